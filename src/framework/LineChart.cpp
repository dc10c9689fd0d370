#include "LineChart.h"

#include "DialogUnits.h"
#include "PngImage.h"
#include "LineChartCtrl.h"
#include "LineChartPainter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace afx {
namespace {

const QColor kLineColours[] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44), QColor(148, 103, 189),
                               QColor(255, 127, 14), QColor(140, 86, 75), QColor(227, 119, 194), QColor(23, 190, 207)};

QString XText(double x, LineChart::XUnit unit) {
    if (unit == LineChart::XUnit::Number) return QString::number(x, 'g', 4);
    static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int u = 0;
    while (x >= 1024 && u < 4) {
        x /= 1024;
        ++u;
    }
    return QString::number(x, 'g', 3) + QLatin1Char(' ') + QLatin1String(kUnits[u]);
}

// The pen of each line in turn: the data lines in the colours in order,
// solid; the reference lines grey, each in a dash pattern of its own.
class Pens {
public:
    QPen Next(const ChartLine& line, double width) {
        static const Qt::PenStyle kReferenceStyles[] = {Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
        if (line.reference) return QPen(QColor(110, 110, 110), width, kReferenceStyles[m_references++ % std::size(kReferenceStyles)]);
        return QPen(kLineColours[m_colours++ % std::size(kLineColours)], width, Qt::SolidLine);
    }

private:
    std::size_t m_colours = 0, m_references = 0;
};

QString YText(double y) {
    // "1000", not "1e+03".
    return y >= 1000 ? QString::number(y, 'f', 0) : QString::number(y, 'g', 3);
}

struct Range {
    double low = 0, high = 0;
    bool Empty() const { return !(low > 0 && high > 0); }
    void Add(double v) {
        if (!(v > 0) || !std::isfinite(v)) return;
        low = low > 0 ? std::min(low, v) : v;
        high = std::max(high, v);
    }
};

}  // namespace

QSize LineChartSize(const LineChart& chart, const QFont& font) {
    const QFontMetrics metrics(font);
    int legend = 0;
    for (const ChartLine& line : chart.lines) legend = std::max(legend, metrics.horizontalAdvance(QString::fromStdWString(line.label)));
    return {90 + 640 + 40 + legend + 30, 560};
}

void PaintLineChart(QPainter& p, const QRect& area, const LineChart& chart, const QFont& font, const QFont& titleFont) {
    const QFontMetrics metrics(font);
    Range xs, ys;
    for (const ChartLine& line : chart.lines) {
        for (const ChartPoint& point : line.points) {
            if (!(point.x > 0 && point.y > 0)) continue;
            xs.Add(point.x);
            ys.Add(point.y);
        }
    }
    for (const ChartMark& mark : chart.marks) xs.Add(mark.x);
    const bool empty = xs.Empty() || ys.Empty();
    if (empty) xs = ys = Range{1, 10};
    // The x axis from a power of 4 to a power of 4 (bytes read as KiB, MiB);
    // the y axis over whole decades with the data well inside.
    const double xLow = std::pow(4.0, std::floor(std::log(xs.low) / std::log(4.0)));
    const double xHigh = std::pow(4.0, std::ceil(std::log(xs.high) / std::log(4.0) + 1e-9));
    const int firstDecade = static_cast<int>(std::floor(std::log10(ys.low)));
    const int lastDecade = std::max(firstDecade + 1, static_cast<int>(std::ceil(std::log10(ys.high) - 1e-9)));

    int legendWidth = 0;
    for (const ChartLine& line : chart.lines) {
        legendWidth = std::max(legendWidth, metrics.horizontalAdvance(QString::fromStdWString(line.label)));
    }
    const int lineHeight = metrics.height();
    const QRect plot(area.left() + 90, area.top() + 84, area.width() - 90 - 40 - legendWidth - 30,
                     area.height() - 84 - 3 * lineHeight - 20);
    auto xOf = [&](double x) {
        return plot.left() + (std::log(x) - std::log(xLow)) / (std::log(xHigh) - std::log(xLow)) * plot.width();
    };
    auto yOf = [&](double y) {
        return plot.bottom() - (std::log10(y) - firstDecade) / (lastDecade - firstDecade) * plot.height();
    };

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(titleFont);
    p.setPen(Qt::black);
    p.drawText(QRect(area.left(), area.top() + 8, area.width(), 28), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdWString(chart.title));
    p.setFont(font);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(area.left() + 8, area.top() + 38, area.width() - 16, 40), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromStdWString(chart.subtitle));

    // Grid: x at powers of 4, y at decades with lighter lines between.
    for (double x = xLow; x <= xHigh * 1.0001 && !empty; x *= 4) {
        const double px = xOf(x);
        p.setPen(QPen(QColor(215, 215, 215), 1));
        p.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(px - 45, plot.bottom() + 4, 90, lineHeight), Qt::AlignHCenter, XText(x, chart.xUnit));
    }
    for (int d = firstDecade; d <= lastDecade && !empty; ++d) {
        const double value = std::pow(10.0, d);
        p.setPen(QPen(QColor(215, 215, 215), 1));
        p.drawLine(QPointF(plot.left(), yOf(value)), QPointF(plot.right(), yOf(value)));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(area.left(), yOf(value) - lineHeight / 2.0, 84, lineHeight), Qt::AlignRight | Qt::AlignVCenter, YText(value));
        for (int k = 2; k < 10 && d < lastDecade; ++k) {
            p.setPen(QPen(QColor(238, 238, 238), 1));
            p.drawLine(QPointF(plot.left(), yOf(k * value)), QPointF(plot.right(), yOf(k * value)));
            if (lastDecade - firstDecade <= 2 && (k == 2 || k == 5)) {
                p.setPen(QColor(120, 120, 120));
                p.drawText(QRectF(area.left(), yOf(k * value) - lineHeight / 2.0, 84, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                           YText(k * value));
            }
        }
    }
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(plot.left(), plot.bottom() + 4 + lineHeight, plot.width(), lineHeight + 4), Qt::AlignHCenter,
               QString::fromStdWString(chart.xAxisLabel));
    p.save();
    p.translate(area.left() + 12, plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-plot.height() / 2, -lineHeight / 2, plot.height(), lineHeight + 2), Qt::AlignHCenter,
               QString::fromStdWString(chart.yAxisLabel));
    p.restore();

    // The marks, labelled along the top; a label that would run into the
    // previous one moves down a line.
    double previousRight = -1e9;
    int row = 0;
    for (const ChartMark& mark : chart.marks) {
        if (!(mark.x > 0) || empty) continue;
        const double px = xOf(mark.x);
        p.setPen(QPen(QColor(120, 120, 120), 1.2, Qt::DashLine));
        p.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        const QString text = QString::fromStdWString(mark.label);
        const int width = metrics.horizontalAdvance(text) + 6;
        // A label that would run past the plot into the legend stands left of its line.
        const double left = px + 2 + width > plot.right() ? px - 2 - width : px + 2;
        row = left - 5 < previousRight ? row + 1 : 0;
        previousRight = left + width;
        p.fillRect(QRectF(left, plot.top() + 2 + row * lineHeight, width, lineHeight), QColor(255, 255, 255, 220));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(left + 2, plot.top() + 2 + row * lineHeight, width, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    // The lines, clipped to the plot, then their legend to the right.
    p.save();
    p.setClipRect(plot.adjusted(-4, -4, 4, 4));
    Pens linePens;
    for (const ChartLine& line : chart.lines) {
        const QPen pen = linePens.Next(line, line.reference ? 1.6 : 2.0);
        QPainterPath path;
        bool started = false;
        std::vector<QPointF> dots;
        for (const ChartPoint& point : line.points) {
            if (!(point.x > 0 && point.y > 0)) continue;
            const QPointF at(xOf(point.x), yOf(point.y));
            if (started) path.lineTo(at);
            else path.moveTo(at);
            started = true;
            dots.push_back(at);
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        if (!line.reference) {
            p.setBrush(pen.color());
            for (const QPointF& d : dots) p.drawEllipse(d, 2.5, 2.5);
        }
    }
    p.restore();
    Pens legendPens;
    int legendY = plot.top();
    for (const ChartLine& line : chart.lines) {
        const int x = plot.right() + 16;
        p.setPen(legendPens.Next(line, 2.0));
        p.drawLine(x, legendY + lineHeight / 2, x + 18, legendY + lineHeight / 2);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 24, legendY, legendWidth + 4, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdWString(line.label));
        legendY += lineHeight + 6;
    }
    if (empty) {
        p.setPen(QColor(160, 0, 0));
        p.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdWString(chart.emptyNote));
    }
    p.setPen(QColor(120, 120, 120));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.restore();
}

namespace {

/// The chart's text and title fonts, the same in the image and in a window.
QFont ChartFont(bool title) {
    return title ? TemplateFont(L"MS UI Gothic", 13, 700) : TemplateFont(L"MS UI Gothic", 10, 0);
}

}  // namespace

void LineChartControl::SetChart(LineChart chart) {
    m_chart = std::move(chart);
    update();
}

void LineChartControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    PaintLineChart(p, rect(), m_chart, ChartFont(false), ChartFont(true));
}

std::optional<std::string> RenderLineChartPng(const LineChart& chart) {
    QImage image(LineChartSize(chart, ChartFont(false)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintLineChart(p, image.rect(), chart, ChartFont(false), ChartFont(true));
    p.end();
    return PngBytes(image);
}

}  // namespace afx

void CLineChartCtrl::SetChart(afx::LineChart chart) {
    if (auto* control = dynamic_cast<afx::LineChartControl*>(Widget())) control->SetChart(std::move(chart));
}
