#include "store/ini_file.h"

#include "store/stored_names.h"

#include "errors/user_error.h"
#include "platform/atomic_file.h"
#include "platform/exe_identity.h"
#include "platform/file_contents.h"
#include "platform/program_files_lock.h"
#include "store/ini_document.h"
#include "store/int_conversion.h"

namespace store {

namespace {

QString cutToReadLimit(QString text)
{
    if (text.size() > kIniReadLimit) {
        qsizetype keep = kIniReadLimit;
        // Never end on the first half of a surrogate pair.
        if (text[keep - 1].isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

[[noreturn]] void cannotWrite(const QString &path)
{
    throw palvoric::UserError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
}

} // namespace

QString iniFilePath(const QString &file)
{
    return file.isEmpty() ? settingsFilePath() : file;
}

QString programFilesLockPath(const QString &file)
{
    const qsizetype slash = file.lastIndexOf(u'/');
    return file.left(slash + 1) + kLockFileName;
}

QString settingsFilePath()
{
    return platform::replaceExtension(platform::executablePath(), kSettingsExtension);
}

void iniWriteString(const QString &section, const QString &key, const QString &value,
                    const QString &file)
{
    const QString path = iniFilePath(file);
    if (path.isEmpty())
        cannotWrite(path);
    // Another process's change between the read and the replacement would be lost.
    const platform::ProgramFilesLock lock(programFilesLockPath(path));
    if (!lock.isHeld())
        cannotWrite(path);
    QByteArray bytes;
    IniDocument document;
    switch (platform::readFileContents(path, &bytes)) {
    case platform::ReadStatus::Ok:
        document = IniDocument::fromBytes(bytes);
        break;
    case platform::ReadStatus::Missing:
        break;
    case platform::ReadStatus::Failed:
        // Writing without the old content would lose it.
        cannotWrite(path);
    }
    if (!document.setValue(section, key, value))
        return;
    if (!platform::writeFileAtomically(path, document.toBytes()))
        cannotWrite(path);
}

QString iniReadString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file)
{
    QByteArray bytes;
    if (platform::readFileContents(iniFilePath(file), &bytes) != platform::ReadStatus::Ok)
        return cutToReadLimit(defaultValue);
    const auto value = IniDocument::fromBytes(bytes).value(section, key);
    return cutToReadLimit(value ? *value : defaultValue);
}

void iniWriteBool(const QString &section, const QString &key, bool value, const QString &file)
{
    iniWriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"), file);
}

bool iniReadBool(const QString &section, const QString &key, bool defaultValue, const QString &file)
{
    const auto number = textToInt(iniReadString(section, key, QString(), file));
    return number ? *number != 0 : defaultValue;
}

} // namespace store
