#include "platform/dos_attributes.h"
#include "platform/folder_listing.h"
#include "platform/unique_fd.h"
#include "tests/support/file_helpers.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/testdir.h"
#include "tests/support/windows_disk_image.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

using platform::DosAttributeReader;
using platform::kDosAttributeHidden;
using platform::kDosAttributeSystem;
using platform::listFolder;

using Format = WindowsDiskImage::Format;

namespace {

constexpr quint32 kReadOnly = 0x1;

enum class Kind { Folder, File, Link };

struct DiskEntry
{
    QString name;
    Kind kind;
    quint32 attributes; // added to those the file system gives
    QString linkTarget = {};
};

// A start folder as a practice's Windows disk holds it: patients' folders and files,
// some hidden by a user, and what Windows puts there itself.
const QList<DiskEntry> &diskEntries()
{
    static const QList<DiskEntry> entries = {
        {u"DUPONT Marie"_qs, Kind::Folder, 0},
        {u"DUPONT caché"_qs, Kind::Folder, kDosAttributeHidden},
        {u"MARTIN Paul"_qs, Kind::Folder, 0},
        {u"SIMON Luc"_qs, Kind::Folder, 0},
        {u"Lefèvre Éloïse"_qs, Kind::Folder, 0},
        {u"LEFÈVRE caché"_qs, Kind::Folder, kDosAttributeHidden},
        {u"$RECYCLE.BIN"_qs, Kind::Folder, kDosAttributeSystem},
        {u"System Volume Information"_qs, Kind::Folder, kDosAttributeHidden | kDosAttributeSystem},
        {u"DUPONT visible.pdf"_qs, Kind::File, 0},
        {u"DUPONT cachet.pdf"_qs, Kind::File, 0},
        {u"DUPONT lecture seule.pdf"_qs, Kind::File, kReadOnly},
        {u"DUPONT système.dat"_qs, Kind::File, kDosAttributeSystem},
        {u"desktop.ini"_qs, Kind::File, kDosAttributeHidden | kDosAttributeSystem},
        {u"Thumbs.db"_qs, Kind::File, kDosAttributeHidden | kDosAttributeSystem},
        // Each link's own attributes count, never its target's.
        {u"DUPONT lien"_qs, Kind::Link, 0, u"DUPONT caché"_qs},
        {u"DUPONT lien caché"_qs, Kind::Link, kDosAttributeHidden, u"DUPONT Marie"_qs},
    };
    return entries;
}

bool supportsLinks(Format format)
{
    return format == Format::Ntfs;
}

// Empty when every entry was made with its attributes, else the first that was not.
QString populate(WindowsDiskImage &image, Format format)
{
    for (const DiskEntry &entry : diskEntries()) {
        const QString path = image.path() + u'/' + entry.name;
        bool made = false;
        switch (entry.kind) {
        case Kind::Folder:
            made = QDir().mkdir(path);
            break;
        case Kind::File: {
            QFile file(path);
            made = file.open(QIODevice::WriteOnly);
            break;
        }
        case Kind::Link:
            if (!supportsLinks(format))
                continue;
            made = ::symlink(QFile::encodeName(entry.linkTarget).constData(),
                             QFile::encodeName(path).constData()) == 0;
            break;
        }
        if (!made || (entry.attributes != 0 && !image.addAttributes(entry.name, entry.attributes)))
            return entry.name;
    }
    return {};
}

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

QString formatName(Format format)
{
    return format == Format::Ntfs ? u"ntfs"_qs : u"fat"_qs;
}

} // namespace

class TestDosAttributes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hiddenAndSystemLeftOut_data();
    void hiddenAndSystemLeftOut();
    void ntfsAttributesOfEntryItself_data();
    void ntfsAttributesOfEntryItself();
    void ordinaryFileSystemUnchanged_data();
    void ordinaryFileSystemUnchanged();
    void smbValueDecoded_data();
    void smbValueDecoded();

private:
    WindowsDiskImage *image(Format format) const
    {
        return format == Format::Ntfs ? m_ntfs.get() : m_fat.get();
    }

    std::unique_ptr<WindowsDiskImage> m_ntfs;
    std::unique_ptr<WindowsDiskImage> m_fat;
};

void TestDosAttributes::initTestCase()
{
    for (const Format format : {Format::Ntfs, Format::Fat}) {
        auto disk = std::make_unique<WindowsDiskImage>(format);
        if (disk->isMounted()) {
            const QString failed = populate(*disk, format);
            QVERIFY2(failed.isEmpty(), qPrintable(u"cannot make %1 on the %2 image"_qs.arg(
                                           failed, formatName(format))));
            // The image holds every entry: what a listing leaves out, it leaves out itself.
            QCOMPARE(QDir(disk->path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot)
                         .size(),
                     qsizetype(std::count_if(
                         diskEntries().cbegin(), diskEntries().cend(), [&](const DiskEntry &entry) {
                             return entry.kind != Kind::Link || supportsLinks(format);
                         })));
        }
        (format == Format::Ntfs ? m_ntfs : m_fat) = std::move(disk);
    }
}

void TestDosAttributes::hiddenAndSystemLeftOut_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    struct Row
    {
        const char *name;
        QString pattern;
        QStringList expected;
    };
    const QList<Row> rows = {
        {"everything", u"*"_qs,
         QStringList{u"DUPONT Marie"_qs, u"MARTIN Paul"_qs, u"SIMON Luc"_qs, u"Lefèvre Éloïse"_qs,
                     u"DUPONT visible.pdf"_qs, u"DUPONT cachet.pdf"_qs,
                     u"DUPONT lecture seule.pdf"_qs, u"DUPONT lien"_qs}},
        {"begins with", u"du*"_qs,
         QStringList{u"DUPONT Marie"_qs, u"DUPONT visible.pdf"_qs, u"DUPONT cachet.pdf"_qs,
                     u"DUPONT lecture seule.pdf"_qs, u"DUPONT lien"_qs}},
        {"hidden ones match too", u"*cach*"_qs, QStringList{u"DUPONT cachet.pdf"_qs}},
        {"with an extension", u"*.*"_qs,
         QStringList{u"DUPONT visible.pdf"_qs, u"DUPONT cachet.pdf"_qs,
                     u"DUPONT lecture seule.pdf"_qs}},
        // A "?" against an accented letter: the name is decoded before it matches.
        {"decoded to match", u"lef?vre*"_qs, QStringList{u"Lefèvre Éloïse"_qs}},
        {"system folder", u"s*"_qs, QStringList{u"SIMON Luc"_qs}},
        {"exact hidden name", u"desktop.ini"_qs, QStringList{}},
    };
    for (const Format format : {Format::Ntfs, Format::Fat}) {
        for (const Row &row : rows) {
            QStringList expected = row.expected;
            if (!supportsLinks(format))
                expected.removeIf([](const QString &name) { return name.contains(u"lien"); });
            QTest::addRow("%s: %s", qPrintable(formatName(format)), row.name)
                << format << row.pattern << sorted(expected);
        }
    }
}

void TestDosAttributes::hiddenAndSystemLeftOut()
{
    QFETCH(Format, format);
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    const WindowsDiskImage *disk = image(format);
    if (!disk->isMounted())
        QSKIP(qPrintable(disk->skipReason()));
    QCOMPARE(sorted(listFolder(disk->path(), pattern)), expected);
}

void TestDosAttributes::ntfsAttributesOfEntryItself_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<quint32>>("marks"); // hidden and system bits
    const quint32 hiddenSystem = kDosAttributeHidden | kDosAttributeSystem;
    QTest::newRow("plain folder") << u"DUPONT Marie"_qs << std::optional<quint32>(0);
    QTest::newRow("read-only file") << u"DUPONT lecture seule.pdf"_qs << std::optional<quint32>(0);
    QTest::newRow("hidden folder")
        << u"DUPONT caché"_qs << std::optional<quint32>(kDosAttributeHidden);
    QTest::newRow("system folder")
        << u"$RECYCLE.BIN"_qs << std::optional<quint32>(kDosAttributeSystem);
    QTest::newRow("hidden system file")
        << u"desktop.ini"_qs << std::optional<quint32>(hiddenSystem);
    // ntfs-3g makes a link a system file (Interix), whose target here is hidden.
    QTest::newRow("link to a hidden folder")
        << u"DUPONT lien"_qs << std::optional<quint32>(kDosAttributeSystem);
    QTest::newRow("hidden link to a plain folder")
        << u"DUPONT lien caché"_qs << std::optional<quint32>(hiddenSystem);
    QTest::newRow("missing entry") << u"ABSENT"_qs << std::optional<quint32>();
}

void TestDosAttributes::ntfsAttributesOfEntryItself()
{
    QFETCH(QString, name);
    QFETCH(std::optional<quint32>, marks);
    const WindowsDiskImage *disk = image(Format::Ntfs);
    if (!disk->isMounted())
        QSKIP(qPrintable(disk->skipReason()));
    const platform::UniqueFd folder(
        ::open(QFile::encodeName(disk->path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QVERIFY(folder.isValid());
    DosAttributeReader reader(folder.get());
    QVERIFY(reader.readsAttributes());
    const std::optional<quint32> attributes =
        reader.attributesOf(QFile::encodeName(name).constData());
    QCOMPARE(attributes.has_value(), marks.has_value());
    if (attributes)
        QCOMPARE(*attributes & (kDosAttributeHidden | kDosAttributeSystem), *marks);
    // One entry that cannot be read says nothing of the others.
    QVERIFY(reader.readsAttributes());
    QVERIFY(reader.attributesOf("DUPONT Marie").has_value());
}

void TestDosAttributes::ordinaryFileSystemUnchanged_data()
{
    QTest::addColumn<bool>("onTmpfs");
    QTest::newRow("temporary folder") << false;
    QTest::newRow("tmpfs") << true;
}

void TestDosAttributes::ordinaryFileSystemUnchanged()
{
    QFETCH(bool, onTmpfs);
    TestDir dir;
    std::optional<SmallTmpfs> tmpfs;
    QString folder = dir.path();
    if (onTmpfs) {
        tmpfs.emplace();
        if (!tmpfs->isMounted())
            QSKIP(qPrintable(tmpfs->skipReason()));
        folder = tmpfs->path();
    }
    QVERIFY(QDir().mkdir(folder + u"/DUPONT Marie"_qs));
    const QString marked = folder + u"/DUPONT marqué.pdf"_qs;
    QVERIFY(writeFileBytes(marked, "pdf"));
    // What an SMB mount would read as hidden and system: here, a user's own attribute.
    const char hiddenSystem[4] = {char(kDosAttributeHidden | kDosAttributeSystem), 0, 0, 0};
    for (const char *attribute : {"user.cifs.dosattrib", "user.smb3.dosattrib"}) {
        if (::setxattr(QFile::encodeName(marked).constData(), attribute, hiddenSystem,
                       sizeof hiddenSystem, 0) != 0)
            QSKIP("this file system keeps no user attributes");
    }

    const platform::UniqueFd fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QVERIFY(fd.isValid());
    DosAttributeReader reader(fd.get());
    QVERIFY(!reader.readsAttributes());
    QVERIFY(!reader.isHiddenOrSystem("DUPONT marqué.pdf", DT_REG));
    QCOMPARE(sorted(listFolder(folder, u"du*"_qs)),
             QStringList({u"DUPONT Marie"_qs, u"DUPONT marqué.pdf"_qs}));
}

void TestDosAttributes::smbValueDecoded_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<std::optional<quint32>>("expected");
    const auto binary = [](quint32 attributes) {
        return QByteArray(reinterpret_cast<const char *>(&attributes), sizeof attributes);
    };
    QTest::newRow("binary hidden") << binary(0x22) << std::optional<quint32>(0x22);
    QTest::newRow("binary high bits") << binary(0x2010) << std::optional<quint32>(0x2010);
    QTest::newRow("text") << QByteArray("0x26") << std::optional<quint32>(0x26);
    QTest::newRow("text with nul") << QByteArray("0x6\0", 4) << std::optional<quint32>(0x6);
    QTest::newRow("text capitals") << QByteArray("0X1A") << std::optional<quint32>(0x1a);
    QTest::newRow("text eight digits") << QByteArray("0x00000004") << std::optional<quint32>(4);
    QTest::newRow("text too long") << QByteArray("0x100000000") << std::optional<quint32>();
    QTest::newRow("text without digits") << QByteArray("0x") << std::optional<quint32>();
    QTest::newRow("text not hex") << QByteArray("0x2g") << std::optional<quint32>();
    QTest::newRow("empty") << QByteArray() << std::optional<quint32>();
    QTest::newRow("three bytes") << QByteArray("\x22\0\0", 3) << std::optional<quint32>();
    QTest::newRow("eight bytes") << QByteArray(binary(0x22) + binary(0))
                                 << std::optional<quint32>();
}

void TestDosAttributes::smbValueDecoded()
{
    QFETCH(QByteArray, value);
    QFETCH(std::optional<quint32>, expected);
    QCOMPARE(platform::dosAttributesFromSmbValue(value), expected);
}

QTEST_GUILESS_MAIN(TestDosAttributes)
#include "tst_dos_attributes.moc"
