#include "folderops/dropped_links.h"

#include "folderops/folder_nesting.h"
#include "platform/native_names.h"

namespace folderops {

namespace {

bool isThisMachine(const QString &host, const QString &hostName)
{
    return host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(hostName, Qt::CaseInsensitive) == 0;
}

} // namespace

DroppedLinks sortDroppedLinks(const QList<QUrl> &urls, const QString &hostName)
{
    DroppedLinks links;
    for (const QUrl &url : urls) {
        if (url.scheme() == u"file" && isThisMachine(url.host(), hostName)) {
            const QByteArray bytes =
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
            if (!bytes.isEmpty()) {
                links.paths.append(platform::decodeFileName(bytes));
                continue;
            }
        }
        links.refused.append(url.toDisplayString());
    }
    return links;
}

QString refusedLinksText(const QStringList &refused)
{
    constexpr qsizetype kShown = 5;
    QString text = QStringLiteral("Ces éléments ne sont pas des fichiers de cet ordinateur : ils "
                                  "ne seront pas déplacés.\r\n");
    for (qsizetype i = 0; i < qMin(kShown, refused.size()); ++i)
        text += QStringLiteral("\r\n") + shortenedPath(refused[i]);
    if (refused.size() > kShown)
        text += QStringLiteral("\r\net %1 autre(s)").arg(refused.size() - kShown);
    return text;
}

} // namespace folderops
