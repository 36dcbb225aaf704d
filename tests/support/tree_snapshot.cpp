#include "tests/support/tree_snapshot.h"

#include "tests/support/file_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

void walk(const QByteArray &top, const QByteArray &relative, TreeSnapshot &snapshot)
{
    const QByteArray path = relative.isEmpty() ? top : top + '/' + relative;
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return;
    TreeEntry entry;
    entry.mode = status.st_mode & 07777;
    entry.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    if (S_ISREG(status.st_mode)) {
        entry.kind = 'f';
        entry.content = readFileBytes(path);
    } else if (S_ISLNK(status.st_mode)) {
        entry.kind = 'l';
        QByteArray target(status.st_size + 1, '\0');
        const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
        entry.content = target.left(length < 0 ? 0 : length);
    } else if (S_ISDIR(status.st_mode)) {
        entry.kind = 'd';
    }
    snapshot.insert(relative, entry);
    if (entry.kind != 'd')
        return;
    for (const QByteArray &name : entriesOf(path))
        walk(top, relative.isEmpty() ? name : relative + '/' + name, snapshot);
}

QString describe(const TreeEntry &entry)
{
    return QStringLiteral("%1 mode %2 time %3 %4 bytes")
        .arg(QChar::fromLatin1(entry.kind))
        .arg(entry.mode, 4, 8, QLatin1Char('0'))
        .arg(entry.modifiedNs)
        .arg(entry.content.size());
}

} // namespace

TreeSnapshot snapshotTree(const QByteArray &nativePath)
{
    TreeSnapshot snapshot;
    walk(nativePath, QByteArray(), snapshot);
    return snapshot;
}

QString treeDifference(const TreeSnapshot &expected, const TreeSnapshot &actual,
                       bool withFolderTimes)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString name = QString::fromUtf8(it.key().isEmpty() ? "<top>" : it.key());
        if (!actual.contains(it.key()))
            return QStringLiteral("missing: %1").arg(name);
        TreeEntry want = it.value();
        TreeEntry got = actual.value(it.key());
        if (!withFolderTimes && want.kind == 'd')
            want.modifiedNs = got.modifiedNs;
        if (!(want == got))
            return QStringLiteral("%1: expected %2, got %3")
                .arg(name, describe(want), describe(got));
    }
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        if (!expected.contains(it.key()))
            return QStringLiteral("unexpected: %1").arg(QString::fromUtf8(it.key()));
    }
    return QString();
}
