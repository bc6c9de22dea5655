#include "app/QrImage.h"

#include <qrencode.h>

#include <memory>

namespace melvanta {

QImage qrImage(const QString& text, int moduleSize)
{
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M),
                                                    QRcode_free);
    if (!code || moduleSize <= 0)
        return QImage();
    constexpr int kQuietModules = 4;
    const int side = (code->width + 2 * kQuietModules) * moduleSize;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The lowest bit of a module's byte says whether it is dark.
            if (!(code->data[y * code->width + x] & 1))
                continue;
            const int left = (x + kQuietModules) * moduleSize;
            const int top = (y + kQuietModules) * moduleSize;
            for (int dy = 0; dy < moduleSize; ++dy)
                for (int dx = 0; dx < moduleSize; ++dx)
                    image.setPixel(left + dx, top + dy, qRgb(0, 0, 0));
        }
    }
    return image;
}

} // namespace melvanta
