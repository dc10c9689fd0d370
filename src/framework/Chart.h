// A horizontal bar chart written to a PNG file: one bar per row at a value,
// with a whisker from a low to a high value, on a logarithmic axis.
#pragma once

#include <string>
#include <vector>

namespace afx {

struct ChartBar {
    std::wstring label;  ///< shown left of the bar
    double value;        ///< bar length, > 0
    double low;          ///< whisker start, > 0
    double high;         ///< whisker end
};

struct BarChart {
    std::wstring title;
    std::wstring subtitle;
    std::wstring axisLabel;  ///< unit of the values, under the axis
    std::vector<ChartBar> bars;
};

/// Draws the chart and writes it as a PNG image. False when the file cannot
/// be written or there is nothing positive to draw.
bool SaveBarChartPng(const BarChart& chart, const std::string& path);

}  // namespace afx
