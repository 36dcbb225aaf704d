#include "app/window_title.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <utime.h>

// The title names the running build: executable name, file version, file date.
class TestWindowTitle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void title_data();
    void title();
    void unreadableDate_data();
    void unreadableDate();

private:
    QString makeExecutable(const QString &name, const QDate &date);
    QTemporaryDir m_dir;
};

void TestWindowTitle::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

// A copy of this test program, which carries the program's version section, under name,
// dated at noon on date.
QString TestWindowTitle::makeExecutable(const QString &name, const QDate &date)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), path))
        return {};
    const QDateTime noon(date, QTime(12, 0));
    struct utimbuf times = {time_t(noon.toSecsSinceEpoch()), time_t(noon.toSecsSinceEpoch())};
    if (utime(QFile::encodeName(path).constData(), &times) != 0)
        return {};
    return path;
}

void TestWindowTitle::title_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    const QString version =
        QStringLiteral("%1.%2").arg(PALVORIC_VERSION_MAJOR).arg(PALVORIC_VERSION_MINOR);
    QTest::newRow("French")
        << "Palvoric"
        << "fr_FR" << QStringLiteral("PALVORIC %1 | Kestrane ***{:-  | 03/02/2022").arg(version);
    QTest::newRow("lower-case name")
        << "palvoric.exe"
        << "fr_FR" << QStringLiteral("PALVORIC %1 | Kestrane ***{:-  | 03/02/2022").arg(version);
    QTest::newRow("German separator")
        << "PALVORIC"
        << "de_DE" << QStringLiteral("PALVORIC %1 | Kestrane ***{:-  | 03.02.2022").arg(version);
    QTest::newRow("accent kept")
        << "élan"
        << "fr_FR" << QStringLiteral("éLAN %1 | Kestrane ***{:-  | 03/02/2022").arg(version);
}

void TestWindowTitle::title()
{
    QFETCH(QString, name);
    QFETCH(QString, locale);
    QFETCH(QString, title);
    const QString exe = makeExecutable(name, QDate(2022, 2, 3));
    QVERIFY(!exe.isEmpty());
    QCOMPARE(mainWindowTitleOf(exe, QString(), QStringLiteral("dd/mm/yyyy"), QLocale(locale)),
             title);
}

void TestWindowTitle::unreadableDate_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("gone/Palvoric"));
    QTest::newRow("folder") << m_dir.path();
}

void TestWindowTitle::unreadableDate()
{
    QFETCH(QString, path);
    // Neither a version nor a date: the title still forms, ending with "| ".
    const QString title =
        mainWindowTitleOf(path, QString(), QStringLiteral("dd/mm/yyyy"), QLocale());
    QVERIFY2(title.endsWith(QStringLiteral(" 65535.65535 | Kestrane ***{:-  | ")),
             qPrintable(title));
}

QTEST_GUILESS_MAIN(TestWindowTitle)
#include "tst_window_title.moc"
