#include "text/line_escape.h"

#include <QRandomGenerator>
#include <QTest>

using namespace text;

Q_DECLARE_METATYPE(text::EscapeRole)

class TstLineEscape : public QObject
{
    Q_OBJECT

private slots:
    void escapes_data();
    void escapes();
    void iniValuesReadAsPeopleWriteThem_data();
    void iniValuesReadAsPeopleWriteThem();
    void plainTextsRoundTrip();
};

void TstLineEscape::escapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<EscapeRole>("role");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("readBack");

    const auto line = EscapeRole::Line;
    const auto value = EscapeRole::IniValue;
    const QString same; // reads back as the text itself
    QTest::newRow("plain name") << QStringLiteral("DUPONT Marie 2019") << line
                                << QStringLiteral("DUPONT Marie 2019") << same;
    QTest::newRow("brackets stay")
        << QStringLiteral("NOM Prénom [2]") << value << QStringLiteral("NOM Prénom [2]") << same;
    QTest::newRow("windows path") << QStringLiteral("C:\\temp\\new") << value
                                  << QStringLiteral("C:\\temp\\new") << same;
    QTest::newRow("share path") << QStringLiteral("\\\\srv\\x") << line
                                << QStringLiteral("\\\\srv\\x") << same;
    QTest::newRow("backslash sequences of other programs")
        << QStringLiteral("D:\\new\\set \\0 \\u12") << line
        << QStringLiteral("D:\\new\\set \\0 \\u12") << same;
    QTest::newRow("line feed: a picture")
        << QStringLiteral("A\nB") << line << QStringLiteral("A␊B") << QStringLiteral("A␊B");
    QTest::newRow("new section cannot start")
        << QStringLiteral("x\r\n[AUTRE]\nk=v") << value << QStringLiteral("x␍␊[AUTRE]␊k=v")
        << QStringLiteral("x␍␊[AUTRE]␊k=v");
    QTest::newRow("tab and NUL") << QStringLiteral("a\tb") + QChar(0) << line
                                 << QStringLiteral("a␉b␀") << QStringLiteral("a␉b␀");
    QTest::newRow("byte of a name that is not UTF-8")
        << QStringLiteral("x") + QChar(0xDCE9) << line << QStringLiteral("x\\udce9") << same;
    QTest::newRow("other lone surrogate") << QStringLiteral("x") + QChar(0xD800) << line
                                          << QStringLiteral("x\uFFFD") << QStringLiteral("x\uFFFD");
    QTest::newRow("pair kept") << QStringLiteral("😀") << line << QStringLiteral("😀") << same;
    QTest::newRow("edge spaces in a value: quoted")
        << QStringLiteral("  a b ") << value << QStringLiteral("\"  a b \"") << same;
    QTest::newRow("quoted name in a value: quoted again")
        << QStringLiteral("'Dupont'") << value << QStringLiteral("\"'Dupont'\"") << same;
    QTest::newRow("one quote stays")
        << QStringLiteral("l'avis") << value << QStringLiteral("l'avis") << same;
    QTest::newRow("edge spaces in a line stay")
        << QStringLiteral(" a ") << line << QStringLiteral(" a ") << same;
    QTest::newRow("equals in a value stays")
        << QStringLiteral("a=b") << value << QStringLiteral("a=b") << same;
}

void TstLineEscape::escapes()
{
    QFETCH(QString, text);
    QFETCH(EscapeRole, role);
    QFETCH(QString, written);
    QFETCH(QString, readBack);
    const QString escaped = escapeLine(text, role);
    QCOMPARE(escaped, written);
    const QString read =
        role == EscapeRole::IniValue ? iniValueText(escaped.trimmed()) : unescapeLine(escaped);
    QCOMPARE(read, readBack.isNull() ? text : readBack);
}

void TstLineEscape::iniValuesReadAsPeopleWriteThem_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("value");
    QTest::newRow("double quotes")
        << QStringLiteral("\"/srv/Patients\"") << QStringLiteral("/srv/Patients");
    QTest::newRow("single quotes")
        << QStringLiteral("'/srv/Patients'") << QStringLiteral("/srv/Patients");
    QTest::newRow("one pair only") << QStringLiteral("\"\"x\"\"") << QStringLiteral("\"x\"");
    QTest::newRow("quotes that do not match")
        << QStringLiteral("\"/srv'") << QStringLiteral("\"/srv'");
    QTest::newRow("a lone quote") << QStringLiteral("\"") << QStringLiteral("\"");
    QTest::newRow("empty quotes") << QStringLiteral("\"\"") << QString();
}

void TstLineEscape::iniValuesReadAsPeopleWriteThem()
{
    QFETCH(QString, written);
    QFETCH(QString, value);
    QCOMPARE(iniValueText(written), value);
}

void TstLineEscape::plainTextsRoundTrip()
{
    // Texts made of the characters that matter, in every order: whatever holds no control
    // character and no lone surrogate comes back as it was; nothing escaped holds a line
    // break, a tab or a NUL.
    const char16_t alphabet[] = {u'\\', u'n',   u'r',   u'0', u'u', u'd',  u'c',  u'8',
                                 u'"',  u'\'',  u'[',   u'=', u' ', u'\t', u'\n', u'\r',
                                 0,     0xD800, 0xDC80, u'a', u'1', 0x240A};
    QRandomGenerator random(20221210);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(12);
        for (int i = 0; i < length; ++i)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        bool plain = !text.contains(QLatin1StringView("\\udc8"), Qt::CaseInsensitive);
        for (QChar c : std::as_const(text))
            plain = plain && c != u'\n' && c != u'\r' && c != u'\t' && c != QChar(0) &&
                    !c.isSurrogate();
        for (EscapeRole role : {EscapeRole::Line, EscapeRole::IniValue}) {
            const QString escaped = escapeLine(text, role);
            QVERIFY(!escaped.contains(u'\n') && !escaped.contains(u'\r') &&
                    !escaped.contains(u'\t') && !escaped.contains(QChar(0)));
            if (!plain)
                continue;
            const QString read = role == EscapeRole::IniValue ? iniValueText(escaped.trimmed())
                                                              : unescapeLine(escaped);
            if (read != text)
                QFAIL(qPrintable(
                    QStringLiteral("no round trip for \"%1\" (role %2)").arg(text).arg(int(role))));
        }
    }
}

QTEST_GUILESS_MAIN(TstLineEscape)

#include "tst_line_escape.moc"
