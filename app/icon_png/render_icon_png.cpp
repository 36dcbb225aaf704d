// Draws the program's SVG icon into PNG files of the sizes the icon theme asks for, at
// build time, so that the pictures always match the drawing:
//
//     palvoric-icon-png ICON.svg SIZE OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ICON.svg SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    // No display at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    bool sizeRead = false;
    const int size = arguments.at(2).toInt(&sizeRead);
    if (!sizeRead || size < 1) {
        std::fprintf(stderr, "not a size: %s\n", argv[2]);
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    if (!image.save(arguments.at(3), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
