// tallory-render IN.svg OUT WIDTH HEIGHT: draws the vector picture IN.svg at WIDTH x HEIGHT
// pixels on a transparent ground. OUT.png gets a PNG file; any other OUT gets the bare pixels,
// row after row, each a premultiplied ARGB word in this machine's byte order: the layout of a
// pixmap here, taken as it is. The build runs it on the program's art, so that the game has
// its pictures ready as it starts instead of parsing and drawing SVG, or decoding PNG.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "tallory-render: %s\n", qPrintable(message));
    return 1;
}

// The size the picture is drawn at; an invalid size for anything but two positive numbers.
QSize sizeFrom(const QString &width, const QString &height)
{
    bool wide = false, high = false;
    const QSize size(width.toInt(&wide), height.toInt(&high));
    return wide && high && !size.isEmpty() ? size : QSize();
}

// The rows one after the other, without the padding a scan line may carry.
QByteArray pixels(const QImage &image)
{
    QByteArray bytes;
    const qsizetype row = qsizetype(image.width()) * 4;
    bytes.reserve(row * image.height());
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(image.constScanLine(y)), row);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    // Text in the art needs the font database; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tallory-render IN.svg OUT WIDTH HEIGHT\n");
        return 2;
    }
    const QSize size = sizeFrom(args[2], args[3]);
    if (!size.isValid())
        return fail(QStringLiteral("bad size %1 x %2").arg(args[2], args[3]));
    QSvgRenderer renderer(args[0]);
    if (!renderer.isValid())
        return fail(QStringLiteral("cannot read %1").arg(args[0]));

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();

    // Written whole or not at all: a half-written picture must not pass for a built one.
    QSaveFile out(args[1]);
    const bool png = args[1].endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    const bool written = out.open(QIODevice::WriteOnly)
        && (png ? image.save(&out, "PNG") : out.write(pixels(image)) == image.sizeInBytes());
    if (!written || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(args[1]));
    return 0;
}
