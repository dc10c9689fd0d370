#include "Batch.h"

#include "Options.h"
#include "OutputFile.h"
#include "Report.h"
#include "Runner.h"
#include "SystemInfo.h"
#include "bench/Buttons.h"
#include "framework/Chart.h"
#include "framework/Driver.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace batch {
namespace {

afx::BarChart MakeChart(const BatchRun& run, const SystemInfo& system) {
    afx::BarChart chart;
    const std::vector<ButtonResult> results = GroupByButton(run);
    const std::size_t clicks = results.empty() ? 0 : results.front().clicks.size();
    chart.title = L"Lumorak: 配列を1回埋める時間 (中央値、ひげは最小〜最大)";
    chart.subtitle = L"処理回数 " + run.countText + L"、各ボタン " + std::to_wstring(clicks) + L" 回、" +
                     std::wstring(CString(system.cpuModel.c_str()).GetString()) + L" (" +
                     std::wstring(CString(system.hostName.c_str()).GetString()) + L")";
    chart.axisLabel = L"ミリ秒 (対数目盛)。赤線: この機械の書き込み限界 (memset) で同じバイト数を書く時間";
    chart.emptyNote = L"成功したクリックがないため、描く値がありません";
    for (const ButtonResult& r : results) {
        const Summary& s = r.elapsedMilliseconds;
        // The time the median click would take at the store limit: bytes / limit.
        std::optional<double> limitMilliseconds;
        if (r.medianFractionOfLimit && *r.medianFractionOfLimit > 0) limitMilliseconds = s.median * *r.medianFractionOfLimit;
        chart.bars.push_back({std::wstring(CString(BenchmarkName(r.buttonId, *r.variant).c_str()).GetString()), s.median,
                              s.min, s.max, limitMilliseconds});
    }
    return chart;
}

}  // namespace

int ListMain() {
    for (const bench::ButtonSpec& b : bench::kButtons) {
        std::printf("%d\t%s\t%s%s\n", b.buttonId, std::string(bench::Title(b)).c_str(),
                    b.readsCount ? "reads the count field" : "fixed 100000 elements", b.hidden ? "\thidden" : "");
    }
    return 0;
}

int BatchMain(int& argc, char** argv, const std::vector<std::string>& args) {
    ReserveStandardStreams();
    auto fail = [](const std::string& why) {
        std::fprintf(stderr, "velquor: %s\n", why.c_str());
        return 2;
    };
    auto parsed = ParseOptions(args);
    if (auto* error = std::get_if<std::string>(&parsed)) return fail(*error);
    const Options options = std::get<Options>(parsed);

    // Where the report and the chart go is settled before the run: a path
    // that cannot be written costs no run.
    auto opened = options.output.empty() ? OutputFile::StandardOutput() : OutputFile::Open(options.output);
    if (auto* why = std::get_if<std::string>(&opened)) return fail(*why);
    OutputFile& reportFile = std::get<OutputFile>(opened);
    std::optional<OutputFile> plotFile;
    if (!options.plot.empty()) {
        auto chartFile = OutputFile::Open(options.plot);
        if (auto* why = std::get_if<std::string>(&chartFile)) return fail(*why);
        plotFile.emplace(std::move(std::get<OutputFile>(chartFile)));
        if (plotFile->SameFileAs(reportFile)) {
            return fail("cannot write " + options.plot + ": the report goes to the same file");
        }
    }

    const SystemInfo system = ReadSystemInfo(argc > 0 ? argv[0] : nullptr);

    const bool showProgress = isatty(STDERR_FILENO) != 0;
    const BatchRun run = RunButtons(options, [&](std::size_t index, int id, const bench::Variant& variant, int repetition) {
        if (!showProgress) return;
        std::fprintf(stderr, "\r\x1b[K[%zu/%zu] %s: click %d/%d", index + 1, options.buttons.size(),
                     BenchmarkName(id, variant).c_str(), repetition + 1, options.repetitions);
        std::fflush(stderr);
    });
    if (showProgress) std::fprintf(stderr, "\r\x1b[K");
    for (const std::wstring& warning : run.warnings) std::fprintf(stderr, "velquor: %s\n", Utf8(warning).c_str());

    std::ostringstream report;
    switch (options.format) {
    case Format::Table: WriteTable(report, run, system); break;
    case Format::Csv: WriteCsv(report, run); break;
    case Format::Json: WriteJson(report, run, system); break;
    }
    int status = 0;
    if (const std::string why = reportFile.Write(report.str()); !why.empty()) status = fail(why);
    if (plotFile) {
        // Only the chart needs Qt, to draw; on its offscreen platform no display is needed.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        afx::OffscreenApplication application(argc, argv);
        const std::optional<std::string> png = afx::RenderBarChartPng(MakeChart(run, system));
        const std::string why = png ? plotFile->Write(*png) : "cannot draw the chart: the PNG encoder failed";
        if (!why.empty()) status = fail(why);
    }
    if (status) return status;
    for (const Click& c : run.clicks) {
        if (!c.measurement.Succeeded()) return 1;
    }
    return 0;
}

}  // namespace batch
