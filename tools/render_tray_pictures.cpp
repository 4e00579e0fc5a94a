// Draws the tray's state pictures from their SVG files at the sizes trays ask for,
// at build time. The SVGs draw their glyph as text; showing ready pictures spares
// the running program the whole font machinery while only the tray icon is up.
// The pictures are plain pixel rows (premultiplied ARGB, 32 bits a pixel in this
// machine's byte order), so that showing one needs no image reader either: every
// read of an image file makes Qt load all its image format plugins.
//
//   rk-render-tray-pictures OUTPUT_FOLDER SIZES SVG...
// SIZES is a comma-separated list; each SVG gives OUTPUT_FOLDER/NAME-SIZE.argb32.
// A size written "NxP" gives a PNG instead, at N pixels and P times that:
// OUTPUT_FOLDER/NAME.png and NAME@2x.png for "16x2" (for a build whose program reads
// no SVG at run time: PNG needs no image plugin).
//
// On Windows the tool runs on the windows platform, whose fonts are the system's;
// elsewhere on the offscreen platform (set QT_QPA_PLATFORM to choose).
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER SIZES SVG...\n", argv[0]);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QStringList sizes = QString::fromLatin1(argv[2]).split(QLatin1Char(','));
    for (int i = 3; i < argc; ++i) {
        const QString svg = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QString name = QFileInfo(svg).completeBaseName();
        const auto draw = [&renderer](int side) {
            QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            renderer.render(&painter);
            painter.end();
            return picture;
        };
        for (const QString& size : sizes) {
            if (size.contains(QLatin1Char('x'))) {
                const int side = size.section(QLatin1Char('x'), 0, 0).toInt();
                const int scale = size.section(QLatin1Char('x'), 1).toInt();
                const QString png = QStringLiteral("%1/%2%3.png").arg(folder, name);
                if (!draw(side).save(png.arg(QString())) ||
                    !draw(side * scale).save(png.arg(QStringLiteral("@%1x").arg(scale)))) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(png.arg(QString())));
                    return 1;
                }
                continue;
            }
            const QImage picture = draw(size.toInt());
            QFile file(QStringLiteral("%1/%2-%3.argb32").arg(folder, name, size));
            const auto bytes = reinterpret_cast<const char*>(picture.constBits());
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes, picture.sizeInBytes()) != picture.sizeInBytes()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
                return 1;
            }
        }
    }
    return 0;
}
