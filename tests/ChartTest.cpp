// The bar chart is drawn in memory as a PNG file's bytes.
#include "framework/Chart.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage Decode(const std::optional<std::string>& png) {
    EXPECT_TRUE(png);
    if (!png) return {};
    EXPECT_EQ(png->compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    return QImage::fromData(reinterpret_cast<const uchar*>(png->data()), static_cast<int>(png->size()), "PNG");
}

afx::BarChart TwoBars(double first, double second) {
    afx::BarChart chart;
    chart.title = L"title";
    chart.axisLabel = L"ms";
    chart.emptyNote = L"nothing was measured";
    chart.bars = {{L"1000 a", first, first / 2, first * 2}, {L"1002 b", second, second / 2, second * 2}};
    return chart;
}

TEST(ChartTest, AChartIsAPngImageWithARowPerBar) {
    const QImage two = Decode(afx::RenderBarChartPng(TwoBars(0.5, 3)));
    ASSERT_FALSE(two.isNull());
    afx::BarChart three = TwoBars(0.5, 3);
    three.bars.push_back({L"1004 c", 1, 1, 1});
    const QImage taller = Decode(afx::RenderBarChartPng(three));
    EXPECT_EQ(taller.width(), two.width());
    EXPECT_GT(taller.height(), two.height());
}

TEST(ChartTest, AChartWithoutAValueIsDrawnWithItsNote) {
    const afx::BarChart empty = TwoBars(0, 0);
    const QImage withNote = Decode(afx::RenderBarChartPng(empty));
    ASSERT_FALSE(withNote.isNull());
    afx::BarChart silent = empty;
    silent.emptyNote.clear();
    EXPECT_NE(withNote, Decode(afx::RenderBarChartPng(silent))) << "the note is drawn";

    afx::BarChart noBars = empty;
    noBars.bars.clear();
    EXPECT_FALSE(Decode(afx::RenderBarChartPng(noBars)).isNull());
}

TEST(ChartTest, ALineAtAValueCrossesEveryRow) {
    afx::BarChart ratios = TwoBars(0.5, 3);
    ratios.line = 1.0;
    const QImage lined = Decode(afx::RenderBarChartPng(ratios));
    int red = 0;  // the line's colour; nothing else is drawn in it without marks
    for (int y = 0; y < lined.height(); ++y) {
        for (int x = 0; x < lined.width(); ++x) red += lined.pixelColor(x, y) == QColor(200, 30, 30);
    }
    EXPECT_GT(red, 2 * 40) << "a line down both rows";
}

}  // namespace
