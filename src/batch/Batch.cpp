#include "Batch.h"

#include "CsvReport.h"
#include "JsonReport.h"
#include "Options.h"
#include "RunOutputs.h"
#include "Results.h"
#include "Runner.h"
#include "Stability.h"
#include "SystemInfo.h"
#include "TableReport.h"
#include "bench/Buttons.h"
#include "framework/Chart.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace batch {
namespace {

std::string MachineMovedNote(const MachineStability& machine) {
    const auto fastest = *std::min_element(machine.roundMedians.begin(), machine.roundMedians.end());
    const auto slowest = *std::max_element(machine.roundMedians.begin(), machine.roundMedians.end());
    char line[256];
    std::snprintf(line, sizeof line,
                  "the machine's speed moved during the run: the probe loop took %.3f to %.3f us per round (%.2fx, "
                  "above %.2fx); medians from separate runs may differ by as much",
                  std::chrono::duration<double, std::micro>(fastest).count(),
                  std::chrono::duration<double, std::micro>(slowest).count(), machine.spread, kMachineMovedSpread);
    return line;
}

std::wstring Wide(const std::string& utf8) {
    return CString(utf8.c_str()).GetString();
}

// The chart's subtitle: the count, the clicks and the machine.
std::wstring Subtitle(const BatchRun& run, const SystemInfo& system, std::size_t clicks) {
    return L"処理回数 " + run.countText + L"、各ボタン " + std::to_wstring(clicks) + L" 回 (各ラウンドの最初のクリックを除く)、" +
           MachineLabel(system);
}

// Each button's time in milliseconds: median, whiskers from fastest to slowest.
afx::BarChart TimeChart(const BatchRun& run, const SystemInfo& system, const std::vector<ButtonResult>& results) {
    afx::BarChart chart;
    const std::size_t clicks = results.empty() ? 0 : results.front().clicks.size();
    const auto milliseconds = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    chart.title = L"Lumorak: 配列を1回埋める時間 (中央値、ひげは最小〜最大)";
    chart.subtitle = Subtitle(run, system, clicks);
    chart.axisLabel = L"ミリ秒 (対数目盛)。赤線: この機械の書き込み限界 (memset) で同じバイト数を書く時間";
    chart.emptyNote = L"成功したクリックがないため、描く値がありません";
    for (const ButtonResult& r : results) {
        // A button clicked once has only its first click to show.
        const Summary s = r.elapsed.samples > 0 || !r.First().measurement.Succeeded()
                              ? r.elapsed
                              : Summarize({Elapsed(r.First().measurement)});
        std::optional<double> limitMilliseconds;
        if (r.timeAtLimit) limitMilliseconds = milliseconds(*r.timeAtLimit);
        chart.bars.push_back({Wide(BenchmarkName(r.buttonId, *r.variant)), milliseconds(s.median), milliseconds(s.min),
                              milliseconds(s.max), limitMilliseconds});
    }
    return chart;
}

// Each button's ratio to the baseline: the median of the rounds' ratios,
// whiskers over the 95 % interval, a line at 1.
afx::BarChart RatioChart(const BatchRun& run, const SystemInfo& system, const std::vector<ButtonResult>& results) {
    afx::BarChart chart;
    const std::wstring baseline = Wide(BenchmarkName(run.baseline->buttonId, *run.baseline->variant));
    chart.title = L"Lumorak: " + baseline + L" に対する時間の比 (ラウンドごとの比の中央値)";
    chart.subtitle = Subtitle(run, system, results.empty() ? 0 : results.front().clicks.size());
    chart.axisLabel = L"同じラウンドの基準との比 (対数目盛)。ひげ: 95% 信頼区間、赤線: 1 (基準と同じ)";
    chart.emptyNote = L"比を求められるボタンがありません";
    chart.line = 1.0;
    for (const ButtonResult& r : results) {
        afx::ChartBar bar{Wide(BenchmarkName(r.buttonId, *r.variant)), 0, 0, 0};
        const RatioToBaseline& to = *r.toBaseline;
        if (to.ratio) {
            bar.value = to.ratio->median;
            bar.low = to.ratio->low.value_or(bar.value);
            bar.high = to.ratio->high.value_or(bar.value);
            if (to.isBaseline) bar.note = L"基準";
            else if (!to.ratio->low) bar.note = L"区間なし (ラウンド不足)";
            else if (!to.ratio->DifferenceShown()) bar.note = L"差なし";
        } else {
            bar.note = to.isBaseline ? L"基準: 比なし" : L"比なし";
        }
        chart.bars.push_back(bar);
    }
    return chart;
}

afx::BarChart MakeChart(const BatchRun& run, const SystemInfo& system) {
    const std::vector<ButtonResult> results = GroupByButton(run);
    return run.baseline ? RatioChart(run, system, results) : TimeChart(run, system, results);
}

}  // namespace

int ListMain(std::ostream& out) {
    for (const bench::ButtonSpec& b : bench::kButtons) {
        out << b.buttonId << '\t' << bench::Title(b) << '\t'
            << (b.readsCount ? "reads the count field" : "fixed 100000 elements") << (b.hidden ? "\thidden" : "") << '\n';
    }
    return 0;
}

int BatchMain(int& argc, char** argv, const Options& options) {
    auto outputs = RunOutputs::Open(options);
    if (const auto* why = std::get_if<std::string>(&outputs)) return BadRun(*why);

    const SystemInfo system = ReadSystemInfo(argc > 0 ? argv[0] : nullptr);

    const bool showProgress = isatty(STDERR_FILENO) != 0;
    const BatchRun run = RunButtons(options, [&](std::size_t position, std::size_t clicks, const PlannedClick& click) {
        if (!showProgress) return;
        std::fprintf(stderr, "\r\x1b[K[%zu/%zu] %s: click %d/%d", position + 1, clicks, BenchmarkName(click.buttonId, *click.variant).c_str(),
                     click.repetition + 1, options.repetitions);
        std::fflush(stderr);
    });
    if (showProgress) std::fprintf(stderr, "\r\x1b[K");
    for (const std::string& warning : run.warnings) std::fprintf(stderr, "velquor: %s\n", warning.c_str());
    if (run.baseline) {
        for (const ButtonResult& r : GroupByButton(run)) {
            if (r.toBaseline->isBaseline && !r.toBaseline->ratio) {
                std::fprintf(stderr, "velquor: no ratios: %s\n", r.toBaseline->whyNone.c_str());
            }
        }
    }
    if (run.order == Order::Rounds) {
        std::fprintf(stderr, "velquor: %d %s, buttons in a random order each round, seed %u (--seed %u repeats it)\n",
                     run.rounds, run.rounds == 1 ? "round" : "rounds", run.seed, run.seed);
        const MachineStability machine = ProbeStability(run.probes);
        if (machine.moved) std::fprintf(stderr, "velquor: %s\n", MachineMovedNote(machine).c_str());
    }

    const int status = std::get<RunOutputs>(outputs).Write(
        [&](std::ostream& report) {
            switch (options.format) {
            case Format::Table: WriteTable(report, run, system); break;
            case Format::Csv: WriteCsv(report, run); break;
            case Format::Json: WriteJson(report, run, system); break;
            }
        },
        [&] { return afx::RenderBarChartPng(MakeChart(run, system)); }, argc, argv);
    if (status) return status;
    for (const Click& c : run.clicks) {
        if (!c.measurement.Succeeded()) return 1;
    }
    return 0;
}

}  // namespace batch
