// Inside the layer: the painting of a line chart, shared by the PNG image
// and a window's chart control.
#pragma once

#include "LineChart.h"

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QSize>

namespace afx {

/// The size a chart is drawn at: the plot and the legend of its lines.
QSize LineChartSize(const LineChart& chart, const QFont& font);

/// Paints the chart into area.
void PaintLineChart(QPainter& p, const QRect& area, const LineChart& chart, const QFont& font, const QFont& titleFont);

}  // namespace afx
