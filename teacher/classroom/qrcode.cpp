#include "qrcode.h"

#include <QPainter>

#include <qrencode.h>

#include <memory>

namespace {

constexpr int kQuietZone = 4;

} // namespace

QImage QrImage(const QString &text, int module)
{
    const QByteArray bytes = text.toUtf8();
    // Level M survives a smudged screen or a poor projector and still keeps an address to a
    // small code; eight-bit mode keeps the letters' case, which a path may need.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code || module < 1)
        return {};
    const int side = (code->width + 2 * kQuietZone) * module;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + kQuietZone) * module, (y + kQuietZone) * module, module, module, Qt::black);
        }
    }
    return image;
}
