#include "pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QResource>

namespace {

struct Picture
{
    const char *name;   // upper-case name the program asks for
    const char *file;   // file under :/pictures/, rendered by the build from the SVG art
    int width;
    int height;
};

// Nominal sizes come from the screen layouts, not from the SVG files, so that the art can be
// redrawn without moving anything on screen. media/CMakeLists.txt renders each at this size.
constexpr Picture kPictures[] = {
    {"WAYS", "ways", 127, 130},  {"GAME", "game", 252, 189}, {"VEDOK", "vedok", 101, 100},
    {"DR1", "dr1", 50, 72},      {"DR2", "dr2", 50, 72},     {"DR3", "dr3", 50, 72},
    {"DR4", "dr4", 50, 72},      {"DR5", "dr5", 50, 72},     {"DR6", "dr6", 50, 72},
    {"DR7", "dr7", 50, 72},      {"DR8", "dr8", 50, 72},     {"DR9", "dr9", 50, 72},
    {"DR10", "dr10", 50, 72},    {"DR11", "dr11", 50, 72},   {"DR12", "dr12", 50, 72},
    {"DR13", "dr13", 50, 72},    {"DR14", "dr14", 50, 72},   {"BOARD", "board", 1024, 50},
    {"MYHAND", "myhand", 32, 32}, {"NORM", "norm", 32, 32},
};

constexpr Picture kToolbar[] = {
    {"SL1", "sl1", 48, 24}, {"SL2", "sl2", 48, 24}, {"SL3", "sl3", 48, 24}, {"SL4", "sl4", 48, 24},
    {"SL6", "sl6", 48, 24}, {"SL7", "sl7", 48, 24}, {"SL8", "sl8", 48, 24},
};

template <std::size_t N>
const Picture *find(const Picture (&table)[N], const QString &name)
{
    const QString key = name.trimmed().toUpper();
    for (const Picture &p : table) {
        if (key == QLatin1String(p.name))
            return &p;
    }
    return nullptr;
}

// The build leaves each picture as bare pixels at its nominal size, premultiplied ARGB words
// in this machine's byte order, stored uncompressed: a pixmap's own layout. Decoding the same
// pictures from PNG took longer than building all the rest of the toolbar and the board.
QPixmap load(const QString &resource, QSize size)
{
    const QResource stored(resource);
    // Shares the stored bytes when they are kept as they are; a copy when compressed.
    const QByteArray pixels = stored.uncompressedData();
    if (size.isEmpty() || pixels.size() != qsizetype(size.width()) * size.height() * 4)
        return {};
    const QImage borrowed(reinterpret_cast<const uchar *>(pixels.constData()), size.width(), size.height(),
                          size.width() * 4, QImage::Format_ARGB32_Premultiplied);
    // The pixmap gets pixels of its own: the borrowed ones may go with the array.
    return QPixmap::fromImage(borrowed.copy());
}

// Making a pixmap costs more than handing out a shared one: each picture is made once.
QPixmap cached(const Picture &picture, const char *suffix = "")
{
    static QHash<QString, QPixmap> cache;
    const QString file = QLatin1String(picture.file) + QLatin1String(suffix);
    const auto it = cache.constFind(file);
    if (it != cache.constEnd())
        return *it;
    const QPixmap pixmap = load(QStringLiteral(":/pictures/%1.pixels").arg(file), QSize(picture.width, picture.height));
    cache.insert(file, pixmap);
    return pixmap;
}

// Qt draws a Windows bitmap whose pixel rows were cut off as far as they go; a cut file is damaged
// all the same, so an uncompressed bitmap must hold every row its header promises.
bool bitmapIsComplete(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(34);
    if (!head.startsWith("BM"))
        return true; // not a bitmap: the reader judges it
    if (head.size() < 34)
        return false;
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const auto i32 = [&](int at) { return qFromLittleEndian<qint32>(head.constData() + at); };
    const qint64 offset = quint32(i32(10));
    const bool core = i32(14) == 12; // the old OS/2 header: 16-bit sizes, never compressed
    const qint64 width = core ? u16(18) : qAbs(qint64(i32(18)));
    const qint64 height = core ? u16(20) : qAbs(qint64(i32(22)));
    const qint64 bits = core ? u16(24) : u16(28);
    const quint32 compression = core ? 0 : quint32(i32(30));
    if (compression != 0 && compression != 3 && compression != 6)
        return file.size() > offset; // run-length data: its length is not known beforehand
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return file.size() >= offset + stride * height;
}

} // namespace

QPixmap BuiltinPicture(const QString &name)
{
    const Picture *picture = find(kPictures, name);
    return picture ? cached(*picture) : QPixmap();
}

QSize BuiltinPictureSize(const QString &name)
{
    const Picture *picture = find(kPictures, name);
    return picture ? QSize(picture->width, picture->height) : QSize();
}

QPixmap ToolbarPicture(const QString &item, bool enabled)
{
    const Picture *picture = find(kToolbar, item);
    if (!picture)
        return {};
    return cached(*picture, enabled ? "" : "_off");
}

QCursor BuiltinCursor(const QString &name)
{
    const QString key = name.trimmed().toUpper();
    if (key == QLatin1String("MYHAND"))
        return QCursor(BuiltinPicture(key), 12, 1);
    if (key == QLatin1String("NORM"))
        return QCursor(BuiltinPicture(key), 0, 0);
    return QCursor(Qt::ArrowCursor);
}

QPixmap LoadPictureFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile() || !bitmapIsComplete(path))
        return {};
    // Replacement pictures are often renamed by hand, so the content decides the format.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image);
}
