// Inside the layer: the painting of a line chart, shared by the PNG image
// and a window's chart control.
#pragma once

#include "LineChart.h"

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace afx {

/// The size a chart is drawn at: the plot and the legend of its lines.
QSize LineChartSize(const LineChart& chart, const QFont& font);

/// Paints the chart into area.
void PaintLineChart(QPainter& p, const QRect& area, const LineChart& chart, const QFont& font, const QFont& titleFont);

/// The widget of a template control of class LineChart: the chart it was
/// last given, painted on white in the PNG image's fonts.
class LineChartControl : public QWidget {
public:
    using QWidget::QWidget;
    void SetChart(LineChart chart);
    const LineChart& Chart() const { return m_chart; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LineChart m_chart;
};

}  // namespace afx
