#include "SweepTable.h"

#include "DisplayWidth.h"
#include "SweepChart.h"
#include "bench/Protocol.h"
#include "bench/SweepAnalysis.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace dialog {
namespace {

constexpr std::size_t kColumns = 6;
using Row = std::array<CString, kColumns>;

CString LevelName(int level) {
    if (level == 0) return L"メモリ";
    CString name;
    name.Format(L"L%d", level);
    return name;
}

CString Number(const std::optional<double>& value, const wchar_t* format) {
    if (!value) return L"-";
    CString text;
    text.Format(format, *value);
    return text;
}

CString Count(int count) {
    CString text;
    text.Format(L"%d", count);
    return text;
}

CString Bytes(double bytes) {
    return BytesText(bytes).c_str();
}

double Milliseconds(std::chrono::nanoseconds d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

/// What went wrong in the click the button stopped at, as the window says it.
CString FailureReason(const bench::SweepRun& run, const bench::SweepStop& stop) {
    for (const bench::SweepClick& c : run.clicks) {
        const bench::SweepSubject& s = run.plan.subjects[c.subject];
        if (s.button != stop.button || s.count != stop.count || !c.measurement.error) continue;
        switch (c.measurement.error->kind) {
        case bench::ErrorKind::OutOfMemory: return L"メモリが不足して配列を確保できませんでした";
        case bench::ErrorKind::CountRefused: return L"この要素数は受け付けられませんでした";
        case bench::ErrorKind::Failed: break;
        }
    }
    return L"エラーが発生しました。詳しい内容は標準エラー出力に書き出しました";
}

CString StopLine(const bench::SweepRun& run, const bench::SweepStop& stop) {
    CString line;
    switch (stop.reason) {
    case bench::SweepStop::Reason::Budget:
        line.Format(L"打ち切り: %d 要素から先は測っていません。1 回に約 %.1f ms かかる見込みで、1 回の上限 %.0f ms を超えます。",
                    stop.count, Milliseconds(stop.predicted), Milliseconds(run.plan.clickBudget));
        break;
    case bench::SweepStop::Reason::Memory:
        line.Format(L"打ち切り: %d 要素から先は測っていません。1 回に約 %ls 要りますが、このプロセスが使えるのは %ls です。",
                    stop.count, Bytes(static_cast<double>(stop.neededBytes)).GetString(),
                    Bytes(static_cast<double>(stop.availableBytes)).GetString());
        break;
    case bench::SweepStop::Reason::Failed:
        line.Format(L"打ち切り: %d 要素で失敗したため、そこで終えました（%ls）。", stop.count,
                    FailureReason(run, stop).GetString());
        break;
    }
    return line;
}

}  // namespace

CString SweepRefusalText(const bench::ButtonSpec& button) {
    const CString name(std::string(button.name).c_str());
    CString text;
    if (!button.readsCount) {
        text.Format(L"「%ls」は %d 要素に固定した配列をスタックに置くため、要素数を変えて測ることはできません。",
                    name.GetString(), bench::kFixedArrayLength);
    } else if (button.bytesPerElement == 0) {
        text.Format(L"「%ls」はポインタを動かすだけで配列に書き込まないため、要素数を変えて測るものがありません。",
                    name.GetString());
    }
    return text;
}

CString SweepTableText(const bench::SweepRun& run, const bench::ButtonSpec& button,
                       const std::vector<bench::CacheInfo>& caches) {
    const std::vector<bench::CacheInfo> levels = bench::DataCacheLevels(caches);
    const std::vector<bench::CurvePoint> curve = bench::CurveOf(run, button);
    const std::vector<bench::LevelCost> costs = bench::LevelCosts(curve, levels);
    const std::vector<bench::LevelCost> limits = bench::LevelCosts(bench::LimitCurve(run, button.bytesPerElement), levels);

    std::vector<Row> rows{{L"レベル", L"大きさ", L"ns/要素", L"memset ns/要素", L"上限比", L"サイズ数"}};
    for (std::size_t i = 0; i < costs.size(); ++i) {
        const bench::LevelCost& fill = costs[i];
        const std::optional<double>& memset = limits[i].nsPerElement;
        std::optional<double> share;
        if (fill.nsPerElement && memset && *fill.nsPerElement > 0) share = *memset / *fill.nsPerElement * 100;
        rows.push_back({LevelName(fill.level), fill.cacheBytes > 0 ? Bytes(static_cast<double>(fill.cacheBytes)) : CString(L"-"),
                        Number(fill.nsPerElement, L"%.3f"), Number(memset, L"%.3f"), Number(share, L"%.1f%%"),
                        fill.nsPerElement ? Count(fill.sizes) : CString(L"-")});
    }
    std::array<int, kColumns> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c].GetString()));
    }
    CString text;
    for (const Row& row : rows) {
        // The level's name and size read left to right, the figures line up on the right.
        CString line = Padded(row[0], widths[0]) + L"  " + Padded(row[1], widths[1]);
        for (std::size_t c = 2; c < kColumns; ++c) line += L"  " + Padded(row[c], widths[c], true);
        text += line + L"\r\n";
    }

    if (curve.empty()) {
        text += L"中央値の出たサイズはまだありません。\r\n";
    } else {
        const std::vector<bench::CurveBend> bends = bench::Bends(curve, costs);
        if (bends.empty()) {
            CString none;
            none.Format(L"曲がり目: なし（隣り合うレベルの差はどれも %.2f 倍以内）\r\n", bench::kBendRatio);
            text += none;
        }
        for (const bench::CurveBend& bend : bends) {
            CString line;
            line.Format(L"曲がり目: %ls → %ls、約 %ls で（1 要素あたり %.2f 倍）\r\n", LevelName(bend.fromLevel).GetString(),
                        LevelName(bend.toLevel).GetString(), Bytes(bend.bytes).GetString(), bend.ratio);
            text += line;
        }
    }
    for (const bench::SweepStop& stop : run.stops) {
        if (stop.button == &button) text += StopLine(run, stop) + L"\r\n";
    }
    return text;
}

CString SweepLeftOutText(const bench::SweepRun& run, const bench::ButtonSpec& button,
                         const std::vector<bench::CacheInfo>& caches, bool defaultSizes) {
    std::size_t lastBytes = 0;
    bool limitPlanned = false, limitRuns = false;
    for (std::size_t i = 0; i < run.plan.subjects.size(); ++i) {
        const bench::SweepSubject& s = run.plan.subjects[i];
        if (s.button == &button) lastBytes = std::max(lastBytes, s.bytes);
        if (!s.IsLimit()) continue;
        limitPlanned = true;
        limitRuns = limitRuns || run.active[i];
    }
    CString text;
    const std::vector<std::size_t> series = bench::DefaultSweepBytes(bench::DefaultSweepLastBytes(caches));
    if (defaultSizes && !series.empty() && lastBytes < series.back()) {
        CString line;
        if (button.family == bench::Family::GlobalArrays) {
            line.Format(L"グローバル配列は %d 要素（%ls）までなので、そこで終えます。\r\n", bench::kGlobalArrayLength,
                        Bytes(static_cast<double>(bench::kGlobalArrayLength) * static_cast<double>(button.bytesPerElement)).GetString());
        } else {
            line.Format(L"このPCの空きメモリに収まる %ls までを測ります。\r\n", Bytes(static_cast<double>(lastBytes)).GetString());
        }
        text += line;
    }
    if (limitPlanned && !limitRuns) text += L"書き込み限界（memset）は、そのためのメモリを確保できなかったため測りません。\r\n";
    return text;
}

}  // namespace dialog
