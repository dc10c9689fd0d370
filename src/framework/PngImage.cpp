#include "PngImage.h"

#include <QBuffer>
#include <QByteArray>

namespace afx {

std::optional<std::string> PngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return std::nullopt;
    return png.toStdString();
}

}  // namespace afx
