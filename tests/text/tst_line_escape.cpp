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
    void handWrittenTextReadsAsItStands_data();
    void handWrittenTextReadsAsItStands();
    void roundTripsRandomTexts();
};

void TstLineEscape::escapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<EscapeRole>("role");
    QTest::addColumn<QString>("written");

    const auto line = EscapeRole::Line;
    const auto value = EscapeRole::IniValue;
    const auto key = EscapeRole::IniKey;
    QTest::newRow("plain name") << QStringLiteral("DUPONT Marie 2019") << line
                                << QStringLiteral("DUPONT Marie 2019");
    QTest::newRow("brackets stay")
        << QStringLiteral("NOM Prénom [2]") << value << QStringLiteral("NOM Prénom [2]");
    QTest::newRow("line feed") << QStringLiteral("A\nB") << line << QStringLiteral("A\\nB");
    QTest::newRow("carriage return")
        << QStringLiteral("A\r\nB") << line << QStringLiteral("A\\r\\nB");
    QTest::newRow("NUL") << QString(QChar(0)) + u'x' << line << QStringLiteral("\\0x");
    QTest::newRow("new section cannot start")
        << QStringLiteral("x\n[AUTRE]\nk=v") << value << QStringLiteral("x\\n[AUTRE]\\nk=v");
    QTest::newRow("backslash alone stays")
        << QStringLiteral("D:\\Patients") << value << QStringLiteral("D:\\Patients");
    QTest::newRow("backslash before n doubled")
        << QStringLiteral("a\\nb") << line << QStringLiteral("a\\\\nb");
    QTest::newRow("backslash before a line feed")
        << QStringLiteral("a\\\n") << line << QStringLiteral("a\\\\\\n");
    QTest::newRow("two backslashes")
        << QStringLiteral("a\\\\b") << line << QStringLiteral("a\\\\\\b");
    QTest::newRow("trailing backslash") << QStringLiteral("a\\") << line << QStringLiteral("a\\");
    QTest::newRow("lone surrogate")
        << QStringLiteral("x") + QChar(0xDCE9) << line << QStringLiteral("x\\udce9");
    QTest::newRow("pair kept") << QStringLiteral("😀") << line << QStringLiteral("😀");
    QTest::newRow("tab in a line stays")
        << QStringLiteral("a\tb") << line << QStringLiteral("a\tb");
    QTest::newRow("tab in a value") << QStringLiteral("a\tb") << value << QStringLiteral("a\\tb");
    QTest::newRow("edge spaces in a value")
        << QStringLiteral("  a b ") << value << QStringLiteral("\\s\\sa b\\s");
    QTest::newRow("only spaces") << QStringLiteral("  ") << value << QStringLiteral("\\s\\s");
    QTest::newRow("edge spaces in a line stay")
        << QStringLiteral(" a ") << line << QStringLiteral(" a ");
    QTest::newRow("equals in a key") << QStringLiteral("a=b") << key << QStringLiteral("a\\eb");
    QTest::newRow("equals in a value stays")
        << QStringLiteral("a=b") << value << QStringLiteral("a=b");
    QTest::newRow("key that would be a header")
        << QStringLiteral("[x]") << key << QStringLiteral("\\[x]");
}

void TstLineEscape::escapes()
{
    QFETCH(QString, text);
    QFETCH(EscapeRole, role);
    QFETCH(QString, written);
    const QString escaped = escapeLine(text, role);
    QCOMPARE(escaped, written);
    QCOMPARE(unescapeLine(escaped), text);
    for (QChar c : escaped)
        QVERIFY(c != u'\n' && c != u'\r' && c != QChar(0));
}

void TstLineEscape::handWrittenTextReadsAsItStands_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("text");
    QTest::newRow("windows path") << QStringLiteral("D:\\Patients\\2019")
                                  << QStringLiteral("D:\\Patients\\2019");
    QTest::newRow("lone trailing backslash") << QStringLiteral("x\\") << QStringLiteral("x\\");
    QTest::newRow("short unicode escape") << QStringLiteral("\\u12") << QStringLiteral("\\u12");
    QTest::newRow("unknown sequence") << QStringLiteral("\\q") << QStringLiteral("\\q");
}

void TstLineEscape::handWrittenTextReadsAsItStands()
{
    QFETCH(QString, written);
    QFETCH(QString, text);
    QCOMPARE(unescapeLine(written), text);
}

void TstLineEscape::roundTripsRandomTexts()
{
    // Texts made of the characters that matter, in every order.
    const char16_t alphabet[] = {u'\\', u'n',  u'r',  u'0',  u't', u's',   u'e',   u'u', u'[', u'=',
                                 u' ',  u'\t', u'\n', u'\r', 0,    0xD800, 0xDC80, u'a', u'1'};
    QRandomGenerator random(20220203);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(12);
        for (int i = 0; i < length; ++i)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        for (EscapeRole role : {EscapeRole::Line, EscapeRole::IniValue, EscapeRole::IniKey}) {
            const QString escaped = escapeLine(text, role);
            QVERIFY(!escaped.contains(u'\n') && !escaped.contains(u'\r') &&
                    !escaped.contains(QChar(0)));
            if (role != EscapeRole::Line) {
                QVERIFY(!escaped.startsWith(u' ') && !escaped.endsWith(u' '));
                QVERIFY(!escaped.contains(u'\t'));
            }
            if (role == EscapeRole::IniKey)
                QVERIFY(!escaped.contains(u'=') && !escaped.startsWith(u'['));
            if (unescapeLine(escaped) != text)
                QFAIL(qPrintable(QStringLiteral("no round trip for %1 (role %2)")
                                     .arg(QString::fromLatin1(
                                         QByteArray(reinterpret_cast<const char *>(text.utf16()),
                                                    text.size() * 2)
                                             .toHex()))
                                     .arg(int(role))));
        }
    }
}

QTEST_GUILESS_MAIN(TstLineEscape)

#include "tst_line_escape.moc"
