#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A temporary folder that a test fills by relative names and that goes away with the
// test, whatever it holds (unreadable sub-folders, names that are not valid UTF-8).
// Text names are written as UTF-8; names that are not text are given as bytes. A step
// that fails marks the running test function as failed.
class TestDir
{
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir &) = delete;
    TestDir &operator=(const TestDir &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    // Absolute, without a trailing "/".
    QString path() const { return m_path; }
    QString filePath(const QString &relative) const { return m_path + u'/' + relative; }
    QByteArray nativePath(const QByteArray &relative) const;

    // Folders come with their parents, files with their parent folders.
    void createDir(const QString &relative);
    void createDirs(const QStringList &relatives);
    void createFile(const QString &relative, const QByteArray &content = {});
    void createFiles(const QStringList &relatives);
    void createDirBytes(const QByteArray &relative);
    void createFileBytes(const QByteArray &relative, const QByteArray &content = {});

    // Permission bits of an entry (0 makes a folder unreadable); they are put back
    // before the folder is removed.
    void setPermissions(const QString &relative, unsigned mode);
    // The permission bits of an entry ("" for the folder itself), or -1 when it is not there.
    int permissions(const QString &relative) const;

private:
    void makeParents(const QByteArray &nativePath);

    QString m_path;
    QList<QByteArray> m_lockedPaths;
};
