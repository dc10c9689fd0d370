// A line chart on logarithmic axes: lines of points, vertical marks with a
// label at given x values, drawn as a PNG image or painted into a window's
// chart control.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace afx {

struct ChartPoint {
    double x;  ///< > 0
    double y;  ///< > 0
};

struct ChartLine {
    std::wstring label;  ///< in the legend
    std::vector<ChartPoint> points;  ///< drawn in x order; points not above 0 are left out
    /// A reference line (a limit): drawn dashed and grey, after the data lines' colours.
    bool reference = false;
};

/// A vertical line across the plot at x, labelled at its top.
struct ChartMark {
    double x;
    std::wstring label;
};

struct LineChart {
    std::wstring title;
    std::wstring subtitle;
    std::wstring xAxisLabel;
    std::wstring yAxisLabel;
    std::wstring emptyNote;  ///< shown across the plot when no line has a point to draw
    std::vector<ChartLine> lines;
    std::vector<ChartMark> marks;
    /// How an x value is written under its tick (x is in the unit the caller
    /// chose); empty: the number itself.
    enum class XUnit { Number, Bytes } xUnit = XUnit::Number;
};

/// Draws the chart at its natural size and returns the bytes of its PNG
/// file; none only when the image cannot be encoded.
std::optional<std::string> RenderLineChartPng(const LineChart& chart);

}  // namespace afx
