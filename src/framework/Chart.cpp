#include "Chart.h"

#include "DialogUnits.h"
#include "PngImage.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace afx {

std::optional<std::string> RenderBarChartPng(const BarChart& chart) {
    double lowest = 0, highest = 0;
    for (const ChartBar& b : chart.bars) {
        if (b.value <= 0 || b.low <= 0) continue;
        lowest = lowest == 0 ? b.low : std::min(lowest, b.low);
        highest = std::max({highest, b.high, b.value});
        if (b.mark && *b.mark > 0) {
            lowest = std::min(lowest, *b.mark);
            highest = std::max(highest, *b.mark);
        }
    }
    if (chart.line && *chart.line > 0 && lowest > 0) {
        lowest = std::min(lowest, *chart.line);
        highest = std::max(highest, *chart.line);
    }
    // Nothing to draw: the plot carries the note instead.
    const bool empty = lowest <= 0 || highest <= 0;
    if (empty) lowest = highest = 1;
    // Whole decades around the data.
    const int firstDecade = static_cast<int>(std::floor(std::log10(lowest)));
    const int lastDecade = std::max(firstDecade + 1, static_cast<int>(std::ceil(std::log10(highest))));

    QFont font = TemplateFont(L"MS UI Gothic", 10, 0);
    QFont titleFont = TemplateFont(L"MS UI Gothic", 13, 700);
    const QFontMetrics metrics(font);
    int labelWidth = 0, noteWidth = 0;
    for (const ChartBar& b : chart.bars) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(QString::fromStdWString(b.label)));
        noteWidth = std::max(noteWidth, metrics.horizontalAdvance(QString::fromStdWString(b.note)));
    }

    const int rowHeight = metrics.height() + 10;
    // Notes may stand right of the longest whisker: room for them beyond the plot.
    const int left = labelWidth + 24, right = 40 + noteWidth, top = 78, bottom = 56;
    const int plotWidth = 720;
    const int width = left + plotWidth + right;
    const int rows = std::max(1, static_cast<int>(chart.bars.size()));
    const int height = top + rowHeight * rows + bottom;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    auto xOf = [&](double v) {
        const double t = (std::log10(std::max(v, lowest / 10)) - firstDecade) / (lastDecade - firstDecade);
        return left + static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * plotWidth));
    };

    p.setFont(titleFont);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 8, width, 28), Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdWString(chart.title));
    p.setFont(font);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(0, 38, width, 24), Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdWString(chart.subtitle));

    // Decade grid with labels; an empty chart has no scale to show.
    const int plotBottom = top + rowHeight * rows;
    for (int d = firstDecade; d <= lastDecade && !empty; ++d) {
        const int x = xOf(std::pow(10.0, d));
        p.setPen(QPen(QColor(200, 200, 200), 1));
        p.drawLine(x, top - 4, x, plotBottom);
        p.setPen(QColor(60, 60, 60));
        const double value = std::pow(10.0, d);
        const QString text = d >= 0 ? QString::number(value, 'f', 0) : QString::number(value, 'f', -d);
        p.drawText(QRect(x - 50, plotBottom + 4, 100, metrics.height()), Qt::AlignHCenter, text);
        for (int k = 2; k < 10 && d < lastDecade; ++k) {
            const int xm = xOf(k * value);
            p.setPen(QPen(QColor(235, 235, 235), 1));
            p.drawLine(xm, top - 4, xm, plotBottom);
        }
    }
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(left, plotBottom + 4 + metrics.height(), plotWidth, metrics.height() + 4), Qt::AlignHCenter,
               QString::fromStdWString(chart.axisLabel));

    int y = top;
    for (const ChartBar& b : chart.bars) {
        p.setPen(Qt::black);
        p.drawText(QRect(8, y, labelWidth, rowHeight), Qt::AlignRight | Qt::AlignVCenter, QString::fromStdWString(b.label));
        if (b.value > 0) {
            const int barTop = y + 4, barHeight = rowHeight - 8;
            const int from = chart.line ? xOf(*chart.line) : left, to = xOf(b.value);
            p.fillRect(QRect(std::min(from, to), barTop, std::max(1, std::abs(to - from)), barHeight), QColor(70, 130, 180));
            const int mid = barTop + barHeight / 2;
            p.setPen(QPen(QColor(20, 20, 20), 1.5));
            const int xl = xOf(b.low), xh = xOf(b.high);
            p.drawLine(xl, mid, xh, mid);
            p.drawLine(xl, mid - 4, xl, mid + 4);
            p.drawLine(xh, mid - 4, xh, mid + 4);
            if (b.mark && *b.mark > 0) {
                const int xm = xOf(*b.mark);
                p.setPen(QPen(QColor(200, 30, 30), 2));
                p.drawLine(xm, y + 1, xm, y + rowHeight - 1);
            }
            p.setPen(Qt::black);
            p.drawText(QRect(std::max({from, to, xh, xOf(b.mark.value_or(b.value))}) + 8, y, width, rowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdWString(b.note));
        } else {
            p.setPen(QColor(160, 0, 0));
            p.drawText(QRect(left + 4, y, width, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("—  ") + QString::fromStdWString(b.note));
        }
        y += rowHeight;
    }
    if (chart.line && *chart.line > 0 && !empty) {
        const int x = xOf(*chart.line);
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(x, top - 4, x, plotBottom);
    }
    if (empty) {
        p.setPen(QColor(160, 0, 0));
        p.drawText(QRect(left, top, plotWidth, plotBottom - top), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromStdWString(chart.emptyNote));
    }
    p.setPen(QColor(120, 120, 120));
    p.drawRect(left, top - 4, plotWidth, plotBottom - top + 4);
    p.end();
    return PngBytes(image);
}

}  // namespace afx
