#include "store/check_states.h"

#include "store/ini_file.h"

namespace store {

namespace {

const QString kSection = QStringLiteral("CASES_A_COCHER");

// Only A to Z are lowered, as the name test of the save has always done.
QString asciiLower(const QString &text)
{
    QString lowered = text;
    for (QChar &c : lowered) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return lowered;
}

} // namespace

void SaveCheckStates(const QList<CheckState> &components, const QString &file)
{
    // Menu items and check boxes pass the same test.
    for (const CheckState &component : components) {
        if (asciiLower(component.name).contains(QLatin1String("chk_")))
            IniWriteBool(kSection, component.name, component.checked, file);
    }
}

QList<bool> LoadCheckStates(const QList<CheckState> &components, const QString &file)
{
    QList<bool> states;
    states.reserve(components.size());
    for (const CheckState &component : components) {
        if (component.name.startsWith(QLatin1String("chk_")))
            states.append(IniReadBool(kSection, component.name, component.checked, file));
        else
            states.append(component.checked);
    }
    return states;
}

} // namespace store
