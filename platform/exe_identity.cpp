#include "platform/exe_identity.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace platform {

namespace {

qsizetype lastSeparator(const QString &path)
{
    return path.lastIndexOf(QLatin1Char('/'));
}

QString fileNameOf(const QString &path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString &executablePathOverride()
{
    static QString path;
    return path;
}

} // namespace

void overrideExecutablePath(const QString &path)
{
    executablePathOverride() = path;
}

QString executablePath()
{
    if (!executablePathOverride().isEmpty())
        return executablePathOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Before the application object exists (or in a tool without one).
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString exeFolderFromPath(const QString &exePath)
{
    QString folder = exePath.left(lastSeparator(exePath) + 1);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString exeBaseNameFromPath(const QString &exePath)
{
    const QString name = fileNameOf(exePath);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString replaceExtension(const QString &path, const QString &extension)
{
    if (path.isEmpty())
        return QString();
    const qsizetype nameStart = lastSeparator(path) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot >= nameStart ? path.left(dot) : path;
    return stem + extension;
}

QString programTitleFromPath(const QString &exePath)
{
    QString name = fileNameOf(exePath);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

QString exeFolder()
{
    return exeFolderFromPath(executablePath());
}

QString exeBaseName()
{
    return exeBaseNameFromPath(executablePath());
}

QString programTitle()
{
    return programTitleFromPath(executablePath());
}

} // namespace platform
