// A horizontal bar chart drawn as a PNG image: one bar per row at a value,
// with a whisker from a low to a high value, an optional reference mark and
// note, on a logarithmic axis, with an optional line across all rows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace afx {

struct ChartBar {
    std::wstring label;  ///< shown left of the bar
    double value;        ///< bar length, > 0
    double low;          ///< whisker start, > 0
    double high;         ///< whisker end
    /// A reference value for this row, drawn as a red line across it; none for no mark.
    std::optional<double> mark = std::nullopt;
    /// Shown right of the whisker (or of the dash of a bar without a value); empty for none.
    std::wstring note = {};
};

struct BarChart {
    std::wstring title;
    std::wstring subtitle;
    std::wstring axisLabel;  ///< unit of the values, under the axis
    std::wstring emptyNote;  ///< shown across the plot when no bar has a value to draw
    std::vector<ChartBar> bars;
    /// A value marked by a line across every row, from which the bars then
    /// grow, either way (a ratio's 1); none: the bars grow from the axis' start.
    std::optional<double> line = std::nullopt;
};

/// Draws the chart and returns the bytes of its PNG file; none only when the
/// image cannot be encoded. A chart without a positive value is still drawn,
/// with its empty note.
std::optional<std::string> RenderBarChartPng(const BarChart& chart);

}  // namespace afx
