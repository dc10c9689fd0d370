// Writes a copy of an .ico file whose PNG images are 32-bit bitmaps, as the
// program embeds its icons: a bitmap's rows are copied as they are at every
// start, where a PNG image took a millisecond to decompress. Run by the build:
//
//   bitmap_icon IN.ico OUT.ico
//
// The other images are copied unchanged, and so is a PNG image that Qt does
// not read as 8-bit RGBA (the only kind a 32-bit bitmap holds unchanged).
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

static_assert(std::endian::native == std::endian::little, "ARGB32 words are written as BGRA bytes");

unsigned Read16(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

unsigned Read32(const QByteArray& bytes, qsizetype at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

void Append16(QByteArray& out, unsigned value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8 & 0xFF));
}

void Append32(QByteArray& out, unsigned value) {
    Append16(out, value & 0xFFFF);
    Append16(out, value >> 16);
}

// The image as an .ico bitmap: BITMAPINFOHEADER (the height counts both
// masks), the colour rows bottom-up as BGRA, then the AND mask (set where a
// pixel is fully transparent), each mask row padded to 32 bits.
QByteArray Bitmap(const QImage& image) {
    const int width = image.width(), height = image.height();
    const auto maskRow = static_cast<unsigned>((width + 31) / 32 * 4);
    const auto colourBytes = static_cast<unsigned>(4 * width * height);
    QByteArray out;
    for (unsigned value : {40u, static_cast<unsigned>(width), static_cast<unsigned>(2 * height)}) Append32(out, value);
    Append16(out, 1);   // planes
    Append16(out, 32);  // bits per pixel
    for (unsigned value : {0u, colourBytes + maskRow * static_cast<unsigned>(height), 0u, 0u, 0u, 0u}) Append32(out, value);
    for (int y = height - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), 4 * width);  // ARGB32 words are BGRA bytes
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(static_cast<qsizetype>(maskRow), '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | 0x80 >> (x % 8));
        }
        out.append(row);
    }
    return out;
}

// The image a PNG entry holds, read as the program's icon reader reads it;
// a null image where a bitmap would not hold it unchanged.
QImage PngImage(const QByteArray& png) {
    QBuffer buffer;
    buffer.setData(png);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.format() != QImage::Format_ARGB32 || image.width() != image.height() || image.width() > 256) return {};
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bitmap_icon IN.ico OUT.ico\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bitmap_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray ico = in.readAll();
    if (ico.size() < 6 || Read16(ico, 0) != 0 || Read16(ico, 2) != 1) {
        std::fprintf(stderr, "bitmap_icon: %s is not an .ico file\n", argv[1]);
        return 1;
    }
    const unsigned count = Read16(ico, 4);
    std::vector<QByteArray> images;
    QByteArray directory = ico.left(6);
    for (unsigned i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * static_cast<qsizetype>(i);
        const qsizetype size = entry + 16 <= ico.size() ? Read32(ico, entry + 8) : 0;
        const qsizetype offset = entry + 16 <= ico.size() ? Read32(ico, entry + 12) : ico.size() + 1;
        if (offset > ico.size() || size > ico.size() - offset) {
            std::fprintf(stderr, "bitmap_icon: image %u of %s lies outside the file\n", i, argv[1]);
            return 1;
        }
        QByteArray image = ico.mid(offset, size);
        QByteArray header = ico.mid(entry, 16);
        if (image.startsWith("\x89PNG")) {
            if (const QImage png = PngImage(image); !png.isNull()) {
                image = Bitmap(png);
                header[4] = 1;  // planes
                header[5] = 0;
                header[6] = 32;  // bits per pixel
                header[7] = 0;
            }
        }
        directory.append(header);
        images.push_back(image);
    }
    // Each image follows the directory in the order of its entry.
    QByteArray out = directory;
    for (unsigned i = 0; i < count; ++i) {
        QByteArray size, offset;
        Append32(size, static_cast<unsigned>(images[i].size()));
        Append32(offset, static_cast<unsigned>(out.size()));
        out.replace(6 + 16 * static_cast<qsizetype>(i) + 8, 4, size);
        out.replace(6 + 16 * static_cast<qsizetype>(i) + 12, 4, offset);
        out.append(images[i]);
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.flush()) {
        std::fprintf(stderr, "bitmap_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
