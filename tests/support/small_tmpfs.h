#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted on a temporary folder, for tests that need a disk that fills up
// or turns read-only for real. Mounting needs root; when it fails, isMounted() is false
// and skipReason() says why, for QSKIP.
class SmallTmpfs
{
public:
    explicit SmallTmpfs(qint64 sizeBytes = 1024 * 1024);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    QString path() const { return m_dir.path(); }

    // Fills the file system with a filler file until at most leaveFree bytes are free.
    bool fillUpTo(qint64 leaveFree);
    // Bytes still free on the file system.
    qint64 freeBytes() const;
    bool remountReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_skipReason;
};
