#include "platform/command_line.h"

namespace platform {

QString commandLineText(const QStringList &arguments)
{
    QString text;
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        text += QLatin1Char(' ');
        text += argument;
    }
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace platform
