#include "SweepChart.h"

#include "bench/SweepAnalysis.h"
#include "framework/AfxString.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace dialog {
namespace {

std::wstring Widen(std::string_view utf8) {
    return CString(std::string(utf8).c_str()).GetString();
}

}  // namespace

std::wstring BytesText(double bytes) {
    static const wchar_t* const kUnits[] = {L"B", L"KiB", L"MiB", L"GiB", L"TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    wchar_t text[32];
    // One decimal below 10 where it is not 0: "1.5 MiB", "1 MiB", "48 KiB".
    const bool decimal = bytes < 10 && std::lround(bytes * 10) % 10 != 0;
    std::swprintf(text, std::size(text), decimal ? L"%.1f %ls" : L"%.0f %ls", bytes, kUnits[unit]);
    return text;
}

afx::LineChart MakeSweepChart(const bench::SweepRun& run, const std::vector<bench::CacheInfo>& caches,
                              const std::wstring& machine) {
    afx::LineChart chart;
    chart.title = L"Lumorak: 配列の大きさと 1 要素を埋める時間 (中央値)";
    chart.subtitle = L"各サイズ " + std::to_wstring(run.plan.repetitions) + L" 回 (最初の 1 回と各ラウンドの最初を除く)、" + machine;
    chart.xAxisLabel = L"配列のバイト数 (対数目盛)。縦の破線: この CPU のキャッシュの大きさ";
    chart.yAxisLabel = L"ナノ秒/要素 (対数目盛)";
    chart.emptyNote = L"測定できたサイズがないため、描く線がありません";
    chart.xUnit = afx::LineChart::XUnit::Bytes;
    std::set<std::size_t> elementSizes;
    std::vector<const bench::ButtonSpec*> buttons;
    for (const bench::SweepSubject& s : run.plan.subjects) {
        if (s.IsLimit() || std::find(buttons.begin(), buttons.end(), s.button) != buttons.end()) continue;
        buttons.push_back(s.button);
        elementSizes.insert(s.button->bytesPerElement);
    }
    for (const bench::ButtonSpec* button : buttons) {
        afx::ChartLine line{Widen(button->name), {}, false};
        for (const bench::CurvePoint& p : bench::CurveOf(run, *button)) line.points.push_back({static_cast<double>(p.bytes), p.nsPerElement});
        chart.lines.push_back(std::move(line));
    }
    for (std::size_t elementBytes : elementSizes) {
        afx::ChartLine limit{L"書き込み限界 (memset、" + std::to_wstring(elementBytes) + L" バイト/要素)", {}, true};
        for (const bench::CurvePoint& p : bench::LimitCurve(run, elementBytes)) limit.points.push_back({static_cast<double>(p.bytes), p.nsPerElement});
        if (!limit.points.empty()) chart.lines.push_back(std::move(limit));
    }
    for (const bench::CacheInfo& level : bench::DataCacheLevels(caches)) {
        chart.marks.push_back({static_cast<double>(level.sizeBytes), L"L" + std::to_wstring(level.level) + L" " + BytesText(static_cast<double>(level.sizeBytes))});
    }
    return chart;
}

}  // namespace dialog
