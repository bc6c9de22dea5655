#pragma once

#include <QImage>
#include <QString>

namespace melvanta {

// `text` as a QR code, each module `moduleSize` pixels, with the quiet zone
// of four modules around it; a null image when the text cannot be encoded.
QImage qrImage(const QString& text, int moduleSize);

} // namespace melvanta
