#include "app/icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>

// Every picture of the program's resources must load and draw something recognisable at the
// sizes the menus and buttons use: neither blank nor a filled square.
class TestIcons : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pictures_data();
    void pictures();
    void iconByIndex_data();
    void iconByIndex();
    void outOfRange_data();
    void outOfRange();
};

namespace {

struct Coverage
{
    int solid = 0;       // at least half opaque: what the eye sees
    int transparent = 0; // fully transparent: the menu shows through
};

Coverage coverage(const QImage &image)
{
    Coverage c;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha == 0)
                ++c.transparent;
            else if (alpha >= 128)
                ++c.solid;
        }
    }
    return c;
}

} // namespace

void TestIcons::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QStringList paths;
    for (int index = 0; index < kIconCount; ++index)
        paths << iconResourcePath(Icon(index));
    paths << QStringLiteral(":/pictures/folder.svg") << QStringLiteral(":/pictures/palvoric.svg");
    for (const QString &path : std::as_const(paths)) {
        for (int size : {16, 32})
            QTest::addRow("%s@%d", qPrintable(path.section(QLatin1Char('/'), -1)), size)
                << path << size;
    }
}

void TestIcons::pictures()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    QVERIFY2(QFile::exists(path), qPrintable(path));

    // Nothing the tiny renderer skips silently or that depends on the machine: filters, masks,
    // style sheets, fonts, files outside the resources.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray source = file.readAll();
    for (const char *unwanted : {"<filter", "<mask", "<style", "style=", "<text", "<image",
                                 "href=\"http", "href=\"file", "@import"})
        QVERIFY2(!source.contains(unwanted), unwanted);

    // The renderer warns about what it cannot resolve: such a picture would miss a part.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".+")));
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    // Drawn on a 32 x 32 grid so they scale evenly to 16.
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 32, 32));

    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();

    const Coverage c = coverage(image);
    const int pixels = size * size;
    // A subject that fills a fair part of the square, on a background left transparent.
    QVERIFY2(c.solid >= pixels / 10, qPrintable(QStringLiteral("%1 solid").arg(c.solid)));
    QVERIFY2(c.transparent >= pixels / 20,
             qPrintable(QStringLiteral("%1 transparent").arg(c.transparent)));
}

void TestIcons::iconByIndex_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < kIconCount; ++index)
        QTest::addRow("%02d", index) << index;
}

// The icon that the menus receive draws the same picture as the file behind its path.
void TestIcons::iconByIndex()
{
    QFETCH(int, index);
    const QIcon picture = icon(Icon(index));
    QVERIFY(!picture.isNull());

    const QImage fromIcon = picture.pixmap(QSize(32, 32), 1.0)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(fromIcon.size(), QSize(32, 32));

    QImage expected(32, 32, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter painter(&expected);
    QSvgRenderer(iconResourcePath(Icon(index))).render(&painter);
    painter.end();
    QCOMPARE(fromIcon, expected);

    // Each index has its own picture.
    if (index > 0) {
        const QImage previous = icon(Icon(index - 1))
                                    .pixmap(QSize(32, 32), 1.0)
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(previous != fromIcon);
    }
}

void TestIcons::outOfRange_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("none") << int(Icon::None);
    QTest::newRow("past the end") << kIconCount;
}

void TestIcons::outOfRange()
{
    QFETCH(int, index);
    QVERIFY(icon(Icon(index)).isNull());
    QVERIFY(iconResourcePath(Icon(index)).isEmpty());
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestIcons test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_icons.moc"
