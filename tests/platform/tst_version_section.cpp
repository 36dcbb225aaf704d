#include "platform/version_section.h"
#include "tests/support/file_helpers.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <elf.h>

// This test program carries the same version section as the program itself.
class TestVersionSection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsOwnExecutable();
    void noVersion_data();
    void noVersion();

private:
    QTemporaryDir m_dir;
    QString copyOfSelf(const std::function<void(QByteArray &)> &damage);
};

void TestVersionSection::readsOwnExecutable()
{
    const auto version = platform::readFileVersion(QCoreApplication::applicationFilePath());
    QVERIFY(version.has_value());
    QCOMPARE(int(version->major), PALVORIC_VERSION_MAJOR);
    QCOMPARE(int(version->minor), PALVORIC_VERSION_MINOR);
    QCOMPARE(int(version->patch), PALVORIC_VERSION_PATCH);
    QCOMPARE(platform::versionText(version),
             QStringLiteral("%1.%2").arg(PALVORIC_VERSION_MAJOR).arg(PALVORIC_VERSION_MINOR));
}

QString TestVersionSection::copyOfSelf(const std::function<void(QByteArray &)> &damage)
{
    QByteArray bytes = readFileBytes(QCoreApplication::applicationFilePath());
    damage(bytes);
    static int n = 0;
    const QString path = m_dir.filePath(QStringLiteral("copy%1").arg(++n));
    return writeFileBytes(path, bytes) ? path : QString();
}

void TestVersionSection::noVersion_data()
{
    QTest::addColumn<QString>("path");
    QVERIFY(m_dir.isValid());
    auto write = [this](const char *name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        return writeFileBytes(path, bytes) ? path : QString();
    };
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("nothing"));
    QTest::newRow("folder") << m_dir.path();
    QTest::newRow("empty file") << write("empty", {});
    QTest::newRow("text file") << write("text", "[DOSSIER]\r\nDATA=/\r\n");
    QTest::newRow("ELF magic only") << write("magic", QByteArray(ELFMAG) + QByteArray(60, '\xff'));
    // A program of the system, built without our section.
    QTest::newRow("other program") << QStringLiteral("/usr/bin/env");
    QTest::newRow("section headers beyond the end") << copyOfSelf([](QByteArray &b) {
        reinterpret_cast<Elf64_Ehdr *>(b.data())->e_shoff = quint64(b.size()) + 4096;
    });
    QTest::newRow("truncated after the header")
        << copyOfSelf([](QByteArray &b) { b.truncate(sizeof(Elf64_Ehdr)); });
    QTest::newRow("huge section count") << copyOfSelf([](QByteArray &b) {
        reinterpret_cast<Elf64_Ehdr *>(b.data())->e_shnum = 0xFFFF;
        reinterpret_cast<Elf64_Ehdr *>(b.data())->e_shstrndx = 0xFFFE;
    });
    QTest::newRow("damaged record")
        << copyOfSelf([](QByteArray &b) { b.replace("PALVVER1", "XALVVER1"); });
}

void TestVersionSection::noVersion()
{
    QFETCH(QString, path);
    QVERIFY(!path.isEmpty());
    const auto version = platform::readFileVersion(path);
    QVERIFY(!version.has_value());
    QCOMPARE(platform::versionText(version), QStringLiteral("65535.65535"));
}

QTEST_GUILESS_MAIN(TestVersionSection)
#include "tst_version_section.moc"
