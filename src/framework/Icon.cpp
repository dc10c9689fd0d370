#include "Icon.h"

#include "Resources.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <bit>
#include <cstring>
#include <vector>

namespace afx {

static_assert(std::endian::native == std::endian::little, "icon rows are copied as ARGB32 words");

namespace {

// Qt's own PNG reader. Left to guess, QImageReader would first load every
// image-format plugin (GIF, ICO, JPEG and their libraries) to ask each one.
QImage ReadPng(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return QImage();
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// Every 32-bit and PNG image of an .ico file.
std::vector<QImage> IcoImages(std::span<const std::uint8_t> icoFile) {
    // Read here rather than through Qt's image plugins, which would be
    // looked up and loaded at start-up for this one icon. The window needs
    // the 32-bit images (and the PNG one); the 4-, 8- and 24-bit images are
    // for displays with fewer colours.
    auto read16 = [&](std::size_t at) { return static_cast<unsigned>(icoFile[at] | (icoFile[at + 1] << 8)); };
    auto read32 = [&](std::size_t at) { return read16(at) | (read16(at + 2) << 16); };
    std::vector<QImage> images;
    if (icoFile.size() < 6 || read16(0) != 0 || read16(2) != 1) return images;
    const unsigned count = read16(4);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * std::size_t(i);
        if (entry + 16 > icoFile.size()) break;
        const std::size_t size = read32(entry + 8);
        const std::size_t offset = read32(entry + 12);
        if (offset > icoFile.size() || size > icoFile.size() - offset || size < 40) continue;
        const std::uint8_t* data = icoFile.data() + offset;
        if (data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
            if (QImage png = ReadPng(data, size); !png.isNull()) images.push_back(std::move(png));
            continue;
        }
        // BITMAPINFOHEADER, then bottom-up BGRA rows (the AND mask after them is not needed).
        const std::size_t header = read32(offset);
        const auto width = static_cast<int>(read32(offset + 4));
        const auto height = static_cast<int>(read32(offset + 8)) / 2;
        const unsigned bitCount = read16(offset + 14);
        if (bitCount != 32 || width <= 0 || width > 256 || height != width) continue;
        const std::size_t rowBytes = 4 * std::size_t(width);
        if (header + rowBytes * std::size_t(height) > size) continue;
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = data + header + rowBytes * std::size_t(height - 1 - y);
            std::memcpy(image.scanLine(y), row, rowBytes);  // BGRA in memory is ARGB32 on little-endian
        }
        images.push_back(std::move(image));
    }
    return images;
}

QIcon IconFromImages(const std::vector<QImage>& images) {
    QIcon icon;
    for (const QImage& image : images) icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

}  // namespace

QIcon IconFromIco(std::span<const std::uint8_t> icoFile) {
    return IconFromImages(IcoImages(icoFile));
}

QIcon LoadIconResource(UINT id) {
    const IconResource* resource = FindIcon(id);
    return resource ? IconFromIco(resource->icoFile) : QIcon();
}

}  // namespace afx

