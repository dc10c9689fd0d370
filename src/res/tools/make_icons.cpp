// Draws velquor's two icons and writes them as Windows .ico files.
//
//   make_icons [--out DIR]       writes DIR/velquor.ico and DIR/velquor_alt.ico
//   make_icons --check FILE...   reads each image back through Qt and lists it
//   make_icons --dump DIR        also writes every rendered image as PNG (for review)
//
// Every size is drawn separately, so small images get whole-pixel bars and
// outlines instead of a blurred downscale of the large one.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

enum class Variant { Main, Alt };

// Vga: only the 16 standard colours and no antialiasing, so the 4-bit images
// map exactly instead of scattering edge blends over random palette entries.
// Hard: full colours, no antialiasing; images without alpha would otherwise
// lose every half-covered outline pixel to the transparency threshold.
// Smooth: antialiased, for the images that keep their alpha.
enum class Look { Vga, Hard, Smooth };

struct Entry {
    int size;
    int bpp; // 0 = PNG (32-bit RGBA)
};

struct IconFile {
    const char* name;
    Variant variant;
    std::vector<Entry> entries;
};

const std::vector<IconFile>& iconFiles()
{
    // Order matters: old shells pick the first entry that fits.
    static const std::vector<IconFile> files = {
        {"velquor.ico", Variant::Main,
         {{32, 4}, {16, 4},
          {48, 8}, {32, 8}, {24, 8}, {16, 8},
          {48, 24}, {32, 24}, {24, 24}, {16, 24},
          {256, 0},
          {48, 32}, {32, 32}, {24, 32}, {16, 32}}},
        {"velquor_alt.ico", Variant::Alt,
         {{48, 4}, {32, 4}, {24, 4}, {16, 4},
          {48, 8}, {32, 8}, {24, 8}, {16, 8},
          {256, 0},
          {48, 32}, {32, 32}, {24, 32}, {16, 32}}},
    };
    return files;
}

// ---------------------------------------------------------------- palettes

const std::array<QRgb, 16>& vgaPalette()
{
    static const std::array<QRgb, 16> p = {
        0xff000000, 0xff800000, 0xff008000, 0xff808000,
        0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
        0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
        0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
    };
    return p;
}

// 6x6x6 colour cube plus a 40-step grey ramp; entry 0 is black, which the
// transparent pixels use.
const std::array<QRgb, 256>& cubePalette()
{
    static const std::array<QRgb, 256> p = [] {
        std::array<QRgb, 256> a{};
        int i = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    a[i++] = qRgb(r * 51, g * 51, b * 51);
        for (int k = 1; i < 256; ++k) {
            const int v = k * 255 / 41;
            a[i++] = qRgb(v, v, v);
        }
        return a;
    }();
    return p;
}

// Weighted distance: the eye is most sensitive to green, least to blue.
int colourDistance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

template <std::size_t N>
int nearestIndex(const std::array<QRgb, N>& palette, QRgb c)
{
    int best = 0;
    int bestDist = colourDistance(palette[0], c);
    for (std::size_t i = 1; i < N; ++i) {
        const int d = colourDistance(palette[i], c);
        if (d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// ----------------------------------------------------------------- artwork

struct Colours {
    QColor outline, face, wedge, hand;
    QColor metal; // crown and button: mid-tone so they show on dark backgrounds too
    std::array<QColor, 4> bars;
};

Colours coloursFor(Variant v, Look look)
{
    if (look == Look::Vga) {
        if (v == Variant::Main)
            return {Qt::black, Qt::white, QColor(0xff0000), Qt::black, QColor(0x808080),
                    {QColor(0x0000ff), QColor(0x008080), QColor(0x00ffff), QColor(0x00ff00)}};
        return {Qt::black, Qt::white, QColor(0x00ffff), QColor(0x000080), QColor(0x808080),
                {QColor(0xff0000), QColor(0xff0000), QColor(0xffff00), QColor(0xffff00)}};
    }
    if (v == Variant::Main)
        return {QColor(0x14213d), QColor(0xffffff), QColor(0xff6f61), QColor(0x14213d), QColor(0x748099),
                {QColor(0x3d6cf2), QColor(0x1f9ee8), QColor(0x17c3b2), QColor(0x3ddc84)}};
    return {QColor(0x2b1a10), QColor(0xffffff), QColor(0x4dabf7), QColor(0x2b1a10), QColor(0x94806f),
            {QColor(0xc2410c), QColor(0xea580c), QColor(0xf97316), QColor(0xfbbf24)}};
}

struct Layout {
    int lw = 1;               // outline width in pixels
    std::vector<QRect> bars;  // outer rects, outlines included
    QPointF clockCentre;
    qreal clockRadius = 0;    // outer radius, rim included
};

// Geometry of the main icon: bars rising left to right, standing on the
// bottom edge, which leaves the top-left corner free for the stopwatch.
Layout layoutFor(int n)
{
    Layout l;
    l.lw = n >= 256 ? 8 : n >= 48 ? 2 : 1;
    const int count = n <= 16 ? 3 : 4;
    const int margin = n >= 256 ? 10 : n >= 32 ? 1 : 0;
    const int fill = (n - 2 * margin - (count + 1) * l.lw) / count;
    const int total = count * fill + (count + 1) * l.lw;
    const int x0 = n - margin - total; // hug the right edge; spare pixels go left, under the clock
    const int bottom = n - margin;
    const int avail = n - 2 * margin;
    static constexpr std::array<double, 4> rise4 = {0.40, 0.60, 0.80, 1.0};
    static constexpr std::array<double, 3> rise3 = {0.40, 0.66, 1.0};
    for (int i = 0; i < count; ++i) {
        const double f = count == 3 ? rise3[static_cast<std::size_t>(i)] : rise4[static_cast<std::size_t>(i)];
        const int h = static_cast<int>(std::lround(avail * f));
        l.bars.emplace_back(x0 + i * (fill + l.lw), bottom - h, fill + 2 * l.lw, h);
    }
    // Odd diameters at small sizes centre the face on a pixel, which keeps
    // the aliased circles symmetric.
    switch (n) {
    case 16: l.clockRadius = 4.5; l.clockCentre = {4.5, 5.5}; break;
    case 24: l.clockRadius = 6.5; l.clockCentre = {6.5, 8.5}; break;
    case 32: l.clockRadius = 8.5; l.clockCentre = {9.5, 11.5}; break;
    case 48: l.clockRadius = 12.5; l.clockCentre = {13.5, 16.5}; break;
    default:
        l.clockRadius = n * 0.25;
        l.clockCentre = {n * 0.285, n * 0.385};
        break;
    }
    return l;
}

// The variant stacks bars horizontally (growing downwards) with the clock in
// the top-right: the main layout turned a quarter clockwise, clock kept upright.
Layout altLayoutFor(int n)
{
    Layout l = layoutFor(n);
    for (QRect& r : l.bars)
        r = QRect(n - r.bottom() - 1, r.left(), r.height(), r.width());
    l.clockCentre = {n - l.clockCentre.x(), l.clockCentre.y()};
    return l;
}

QColor shade(const QColor& c, int lighter)
{
    return lighter >= 100 ? c.lighter(lighter) : c.darker(10000 / lighter);
}

void drawBars(QPainter& p, const Layout& l, const Colours& col, bool fancy, bool vertical)
{
    const std::size_t count = l.bars.size();
    for (std::size_t i = 0; i < count; ++i) {
        // Three bars at 16 px skip the second colour so the ends stay distinct.
        const std::size_t ci = count == 3 ? (i == 0 ? 0 : i + 1) : i;
        const QColor base = col.bars[ci];
        const QRect outer = l.bars[i];
        p.fillRect(outer, col.outline);
        const QRect inner = outer.adjusted(l.lw, l.lw, -l.lw, -l.lw);
        if (!fancy) {
            p.fillRect(inner, base);
            continue;
        }
        // Large size only: a soft sheen across the bar and a bright edge.
        QLinearGradient g = vertical ? QLinearGradient(inner.topLeft(), inner.topRight())
                                     : QLinearGradient(inner.topLeft(), inner.bottomLeft());
        g.setColorAt(0.0, shade(base, 135));
        g.setColorAt(0.45, base);
        g.setColorAt(1.0, shade(base, 82));
        p.fillRect(inner, g);
        const int hl = std::max(2, inner.width() / 10);
        const QRect edge = vertical ? QRect(inner.left() + hl, inner.top() + hl, hl, inner.height() - 2 * hl)
                                    : QRect(inner.left() + hl, inner.top() + hl, inner.width() - 2 * hl, hl);
        p.fillRect(edge, QColor(255, 255, 255, 90));
    }
}

void drawClock(QPainter& p, const Layout& l, const Colours& col, int n, bool fancy)
{
    const QPointF c = l.clockCentre;
    const qreal r = l.clockRadius;
    // A 1-pixel ring smeared by antialiasing reads as grey at 32 px.
    const qreal rim = (n == 32 && p.testRenderHint(QPainter::Antialiasing)) ? 2 : l.lw;
    const qreal face = r - rim;

    // Crown on top and a side button: they make the circle a stopwatch rather
    // than a plain clock.
    const qreal stemW = std::round(r * 0.42);
    const qreal stemH = std::round(r * 0.30);
    p.save();
    p.translate(c);
    p.rotate(45);
    const qreal bw = std::round(stemW * 0.7);
    p.fillRect(QRectF(-bw / 2, -r - stemH * 0.8, bw, stemH * 0.8 + rim), col.metal);
    p.restore();
    p.fillRect(QRectF(c.x() - stemW / 2, c.y() - r - stemH, stemW, stemH + rim), col.metal);
    if (fancy) // a wider cap on the crown
        p.fillRect(QRectF(c.x() - stemW * 0.8, c.y() - r - stemH * 1.5, stemW * 1.6, stemH * 0.7), col.metal);

    p.setPen(Qt::NoPen);
    p.setBrush(col.outline);
    p.drawEllipse(c, r, r);
    if (fancy) {
        QRadialGradient g(c - QPointF(face * 0.3, face * 0.35), face * 1.4);
        g.setColorAt(0.0, col.face);
        g.setColorAt(1.0, QColor(0xdde3ec));
        p.setBrush(g);
    } else {
        p.setBrush(col.face);
    }
    p.drawEllipse(c, face, face);

    // Elapsed-time wedge from twelve to four o'clock: it carries the clock
    // reading where a thin hand would vanish.
    const qreal wedgeR = n >= 48 ? face - rim : face - 1;
    p.setBrush(col.wedge);
    p.drawPie(QRectF(c.x() - wedgeR, c.y() - wedgeR, 2 * wedgeR, 2 * wedgeR), 90 * 16, -120 * 16);

    if (n >= 48) {
        const int ticks = n >= 256 ? 12 : 4;
        p.setPen(QPen(col.outline, n >= 256 ? 5 : 2, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < ticks; ++i) {
            const double a = i * 2 * M_PI / ticks;
            const qreal len = (i % 3 == 0) ? face * 0.2 : face * 0.12;
            const QPointF d(std::sin(a), -std::cos(a));
            p.drawLine(c + d * (face - len - rim * 0.5), c + d * (face - rim * 0.5));
        }
    }
    // Hand on the wedge's leading edge.
    const QPointF dir(std::cos(M_PI / 6), std::sin(M_PI / 6));
    const qreal handW = n >= 256 ? 9 : n >= 48 ? 2 : 1.5;
    p.setPen(QPen(col.hand, handW, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + dir * face * 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(col.hand);
    const qreal dot = n >= 256 ? 12 : n >= 48 ? 2.5 : 1.5;
    p.drawEllipse(c, dot, dot);
}

// 16 and 24 px: the stopwatch is set pixel by pixel from distances to the
// centre, so the one-pixel rim stays closed and identical in every depth.
void drawPixelClock(QImage& img, const Layout& l, const Colours& col, int n)
{
    const qreal cx = l.clockCentre.x();
    const qreal cy = l.clockCentre.y();
    const qreal r = l.clockRadius;
    const qreal face = r - 1;
    const int top = static_cast<int>(cy - r + 0.5); // first rim row
    const int mid = static_cast<int>(cx);            // centre column
    auto put = [&img](int x, int y, const QColor& c) {
        if (x >= 0 && y >= 0 && x < img.width() && y < img.height())
            img.setPixelColor(x, y, c);
    };
    // Crown: a 3-pixel stem, widened to a cap at 24 px.
    for (int y = 0; y < top; ++y) {
        const int half = (n >= 24 && y == 0) ? 2 : 1;
        for (int x = mid - half; x <= mid + half; ++x)
            put(x, y, col.metal);
    }
    const double handA = M_PI * 2 / 3; // four o'clock, clockwise from twelve
    const QPointF hand(std::sin(handA), -std::cos(handA));
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const qreal dx = x + 0.5 - cx;
            const qreal dy = y + 0.5 - cy;
            const qreal d = std::hypot(dx, dy);
            if (d > r)
                continue;
            if (d > face) {
                put(x, y, col.outline);
                continue;
            }
            double a = std::atan2(dx, -dy);
            if (a < 0)
                a += 2 * M_PI;
            const qreal along = dx * hand.x() + dy * hand.y();
            const qreal across = std::abs(dx * hand.y() - dy * hand.x());
            if (d < 0.1 || (along > 0 && along < face - 0.5 && across < 0.55))
                put(x, y, col.hand);
            else if (a <= handA + 0.05 && d < face - 0.3)
                put(x, y, col.wedge);
            else
                put(x, y, col.face);
        }
    }
}

QImage render(Variant v, int n, Look look)
{
    QImage img(n, n, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, look == Look::Smooth);
    const Colours col = coloursFor(v, look);
    const Layout l = v == Variant::Main ? layoutFor(n) : altLayoutFor(n);
    const bool fancy = n >= 256 && look == Look::Smooth;
    drawBars(p, l, col, fancy, v == Variant::Main);
    if (n > 24)
        drawClock(p, l, col, n, fancy);
    p.end();
    if (n <= 24)
        drawPixelClock(img, l, col, n);
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ------------------------------------------------------------ ICO writing

void put16(QByteArray& b, int v)
{
    b.append(static_cast<char>(v & 0xff));
    b.append(static_cast<char>((v >> 8) & 0xff));
}

void put32(QByteArray& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool isTransparent(QRgb px) { return qAlpha(px) < 128; }

// One BITMAPINFOHEADER image: header, palette, bottom-up XOR rows, AND mask.
QByteArray encodeDib(const QImage& img, int bpp)
{
    const int w = img.width();
    const int h = img.height();
    const int xorStride = ((w * bpp + 31) / 32) * 4;
    const int andStride = ((w + 31) / 32) * 4;

    QByteArray b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(w));
    put32(b, static_cast<std::uint32_t>(2 * h)); // XOR and AND halves
    put16(b, 1);
    put16(b, bpp);
    put32(b, 0); // BI_RGB
    put32(b, static_cast<std::uint32_t>((xorStride + andStride) * h));
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);

    auto putPalette = [&b](const auto& pal) {
        for (QRgb c : pal) {
            b.append(static_cast<char>(qBlue(c)));
            b.append(static_cast<char>(qGreen(c)));
            b.append(static_cast<char>(qRed(c)));
            b.append('\0');
        }
    };
    if (bpp == 4)
        putPalette(vgaPalette());
    else if (bpp == 8)
        putPalette(cubePalette());

    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorStride, '\0');
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb px = line[x];
            const bool clear = isTransparent(px);
            switch (bpp) {
            case 4: {
                const int idx = clear ? 0 : nearestIndex(vgaPalette(), px);
                row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? idx << 4 : idx));
                break;
            }
            case 8:
                row[x] = static_cast<char>(clear ? 0 : nearestIndex(cubePalette(), px));
                break;
            case 24:
                row[3 * x + 0] = static_cast<char>(clear ? 0 : qBlue(px));
                row[3 * x + 1] = static_cast<char>(clear ? 0 : qGreen(px));
                row[3 * x + 2] = static_cast<char>(clear ? 0 : qRed(px));
                break;
            case 32:
                // Straight (not premultiplied) alpha, as the format expects.
                row[4 * x + 0] = static_cast<char>(qBlue(px));
                row[4 * x + 1] = static_cast<char>(qGreen(px));
                row[4 * x + 2] = static_cast<char>(qRed(px));
                row[4 * x + 3] = static_cast<char>(qAlpha(px));
                break;
            }
        }
        b.append(row);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andStride, '\0');
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (isTransparent(line[x]))
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        b.append(row);
    }
    return b;
}

QByteArray encodePng(const QImage& img)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.convertToFormat(QImage::Format_ARGB32).save(&buf, "PNG");
    return data;
}

QByteArray buildIco(const IconFile& f, const QString& dumpDir)
{
    std::vector<QByteArray> images;
    for (const Entry& e : f.entries) {
        const QImage img = render(f.variant, e.size,
                                   e.bpp == 4 ? Look::Vga : e.bpp == 32 || e.bpp == 0 ? Look::Smooth : Look::Hard);
        images.push_back(e.bpp == 0 ? encodePng(img) : encodeDib(img, e.bpp));
        if (!dumpDir.isEmpty())
            img.save(QStringLiteral("%1/%2_%3_%4.png")
                         .arg(dumpDir, QFileInfo(QString::fromLatin1(f.name)).completeBaseName())
                         .arg(e.size)
                         .arg(e.bpp == 0 ? 32 : e.bpp));
    }

    QByteArray out;
    put16(out, 0); // reserved
    put16(out, 1); // icon, not cursor
    put16(out, static_cast<int>(f.entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(f.entries.size());
    for (std::size_t i = 0; i < f.entries.size(); ++i) {
        const Entry& e = f.entries[i];
        const int side = e.size >= 256 ? 0 : e.size; // 0 means 256 in one byte
        out.append(static_cast<char>(side));
        out.append(static_cast<char>(side));
        out.append(static_cast<char>(e.bpp == 4 ? 16 : 0));
        out.append('\0');
        put16(out, 1);
        put16(out, e.bpp == 0 ? 32 : e.bpp);
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const QByteArray& img : images)
        out.append(img);
    return out;
}

int generate(const QString& outDir, const QString& dumpDir)
{
    if (!QDir().mkpath(outDir) || (!dumpDir.isEmpty() && !QDir().mkpath(dumpDir))) {
        std::fprintf(stderr, "cannot create output directory\n");
        return 1;
    }
    for (const IconFile& f : iconFiles()) {
        const QString path = QDir(outDir).filePath(QString::fromLatin1(f.name));
        QFile file(path);
        const QByteArray data = buildIco(f, dumpDir);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("wrote %s (%zu images, %lld bytes)\n", qPrintable(path), f.entries.size(),
                    static_cast<long long>(data.size()));
    }
    return 0;
}

// ----------------------------------------------------------------- checking

int check(const QStringList& paths)
{
    int failures = 0;
    for (const QString& path : paths) {
        const IconFile* known = nullptr;
        for (const IconFile& f : iconFiles())
            if (QFileInfo(path).fileName() == QLatin1String(f.name))
                known = &f;

        QImageReader reader(path);
        const int count = reader.imageCount();
        std::printf("%s: %d images\n", qPrintable(path), count);
        if (count <= 0) {
            std::printf("  error: %s\n", qPrintable(reader.errorString()));
            ++failures;
            continue;
        }
        if (known && count != static_cast<int>(known->entries.size())) {
            std::printf("  error: expected %zu images\n", known->entries.size());
            ++failures;
        }
        for (int i = 0; i < count; ++i) {
            if (!reader.jumpToImage(i)) {
                std::printf("  [%2d] cannot seek\n", i);
                ++failures;
                continue;
            }
            const QImage img = reader.read();
            if (img.isNull()) {
                std::printf("  [%2d] unreadable: %s\n", i, qPrintable(reader.errorString()));
                ++failures;
                continue;
            }
            int opaque = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    opaque += qAlpha(img.pixel(x, y)) >= 128;
            // Qt's reader records the stored bit count in the image text.
            QString stored = QStringLiteral("?");
            for (const QString& key : img.textKeys())
                if (key.contains(QLatin1String("Depth"), Qt::CaseInsensitive))
                    stored = img.text(key);
            std::printf("  [%2d] %dx%d  stored %s bpp  opaque pixels %d%%\n", i, img.width(), img.height(),
                        qPrintable(stored), 100 * opaque / (img.width() * img.height()));
            if (stored == QLatin1String("24") && opaque == img.width() * img.height())
                std::printf("       (Qt's reader skips the AND mask of 24-bit entries; Windows applies it)\n");
            if (known && i < static_cast<int>(known->entries.size())) {
                const int want = known->entries[static_cast<std::size_t>(i)].size;
                if (img.width() != want || img.height() != want) {
                    std::printf("       error: expected %dx%d\n", want, want);
                    ++failures;
                }
            }
        }
        // What an application actually gets: QIcon keeps one image per size.
        const QIcon icon(path);
        QStringList sizes;
        for (const QSize& s : icon.availableSizes()) {
            // Every one of our images has a see-through area; a fully opaque
            // pick would mean a mask-only entry lost its transparency.
            const QImage px = icon.pixmap(s).toImage();
            bool seeThrough = false;
            for (int y = 0; y < px.height() && !seeThrough; ++y)
                for (int x = 0; x < px.width() && !seeThrough; ++x)
                    seeThrough = qAlpha(px.pixel(x, y)) == 0;
            sizes << QStringLiteral("%1x%2%3").arg(s.width()).arg(s.height()).arg(seeThrough ? "" : "(opaque!)");
            if (!seeThrough)
                ++failures;
        }
        std::printf("  QIcon sizes: %s\n", qPrintable(sizes.join(QLatin1Char(' '))));
        if (sizes.isEmpty())
            ++failures;
    }
    std::printf(failures ? "check FAILED (%d problems)\n" : "check ok\n", failures);
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // No display is needed; QIcon still wants a GUI application object.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    QString outDir = QDir::cleanPath(QStringLiteral(VELQUOR_ICONS_DIR));
    QString dumpDir;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--check"))
            return check(args.mid(i + 1));
        if (a == QLatin1String("--out") && i + 1 < args.size()) {
            outDir = args[++i];
        } else if (a == QLatin1String("--dump") && i + 1 < args.size()) {
            dumpDir = args[++i];
        } else {
            std::fprintf(stderr, "usage: make_icons [--out DIR] [--dump DIR] | --check FILE...\n");
            return 2;
        }
    }
    return generate(outDir, dumpDir);
}
