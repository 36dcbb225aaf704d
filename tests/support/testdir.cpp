#include "tests/support/testdir.h"

#include <QDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray errnoText()
{
    return QByteArray(std::strerror(errno));
}

int removeOne(const char *path, const struct stat *, int, struct FTW *)
{
    std::remove(path);
    return 0;
}

} // namespace

TestDir::TestDir()
{
    QByteArray templ = QDir::tempPath().toUtf8() + "/palvoric-test-XXXXXX";
    if (::mkdtemp(templ.data()))
        m_path = QString::fromUtf8(templ);
    QVERIFY2(isValid(), errnoText().constData());
}

TestDir::~TestDir()
{
    if (!isValid())
        return;
    // Twice: a locked folder inside another one opens up once its parent has.
    for (int pass = 0; pass < 2; ++pass) {
        for (const QByteArray &locked : std::as_const(m_lockedPaths))
            ::chmod(locked.constData(), 0700);
    }
    // Depth first, without following links; removes names that are not text too.
    ::nftw(m_path.toUtf8().constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

QByteArray TestDir::nativePath(const QByteArray &relative) const
{
    return m_path.toUtf8() + '/' + relative;
}

void TestDir::makeParents(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    if (slash <= 0)
        return;
    const QByteArray parent = nativePath.left(slash);
    struct stat info;
    if (::stat(parent.constData(), &info) == 0)
        return;
    makeParents(parent);
    QVERIFY2(::mkdir(parent.constData(), 0755) == 0 || errno == EEXIST,
             QByteArray(parent + ": " + errnoText()).constData());
}

void TestDir::createDir(const QString &relative)
{
    createDirBytes(relative.toUtf8());
}

void TestDir::createDirs(const QStringList &relatives)
{
    for (const QString &relative : relatives)
        createDir(relative);
}

void TestDir::createFile(const QString &relative, const QByteArray &content)
{
    createFileBytes(relative.toUtf8(), content);
}

void TestDir::createFiles(const QStringList &relatives)
{
    for (const QString &relative : relatives)
        createFile(relative);
}

void TestDir::createDirBytes(const QByteArray &relative)
{
    const QByteArray path = nativePath(relative);
    makeParents(path);
    QVERIFY2(::mkdir(path.constData(), 0755) == 0 || errno == EEXIST,
             QByteArray(path + ": " + errnoText()).constData());
}

void TestDir::createFileBytes(const QByteArray &relative, const QByteArray &content)
{
    const QByteArray path = nativePath(relative);
    makeParents(path);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, QByteArray(path + ": " + errnoText()).constData());
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    QVERIFY2(written, QByteArray(path + ": " + errnoText()).constData());
}

int TestDir::permissions(const QString &relative) const
{
    struct stat info;
    if (::stat(nativePath(relative.toUtf8()).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

void TestDir::setPermissions(const QString &relative, unsigned mode)
{
    const QByteArray path = nativePath(relative.toUtf8());
    QVERIFY2(::chmod(path.constData(), mode) == 0,
             QByteArray(path + ": " + errnoText()).constData());
    m_lockedPaths.append(path);
}
