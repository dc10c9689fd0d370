// A chart control: a template control of class LineChart, bound to a member
// with DDX_Control, paints the line chart the program hands it.
#pragma once

#include "LineChart.h"
#include "Wnd.h"

class CLineChartCtrl : public CWnd {
public:
    /// Replaces the chart; the control paints the new one at its next paint.
    void SetChart(afx::LineChart chart);
};
