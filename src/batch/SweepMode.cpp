#include "SweepMode.h"

#include "OutputFile.h"
#include "SweepReports.h"
#include "SystemInfo.h"
#include "Text.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "dialog/SweepChart.h"
#include "framework/AfxString.h"
#include "framework/LineChart.h"
#include "framework/QtApplication.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

namespace batch {
namespace {

int Fail(const std::string& why) {
    std::fprintf(stderr, "velquor: %s\n", why.c_str());
    return 2;
}

// The visible buttons a default sweep leaves out, and why, on one line.
std::string LeftOutLine() {
    std::string ids;
    for (const bench::ButtonSpec& b : bench::kButtons) {
        if (!b.hidden && !b.readsCount) ids += (ids.empty() ? "" : ", ") + std::to_string(b.buttonId);
    }
    return "the fixed local arrays (" + ids + ") always fill " + std::to_string(bench::kFixedArrayLength) +
           " elements on the stack and cannot take another size: they are left out of the sweep";
}

}  // namespace

int SweepMain(int& argc, char** argv, const Options& options) {
    ReserveStandardStreams();
    bench::SweepRequest request;
    for (int id : options.buttons) request.buttons.push_back(bench::FindButton(id));
    request.sizes = options.sizes;
    request.repetitions = options.repetitions;
    request.seed = options.seed ? *options.seed : static_cast<std::uint32_t>(std::random_device{}());
    request.clickBudget = options.clickBudget;
    const SystemInfo system = ReadSystemInfo(argc > 0 ? argv[0] : nullptr);
    // A request the arrays or the memory cannot hold is refused before any file is touched.
    auto planned = bench::PlanSweep(request, system.caches, bench::AvailableMemoryBytes());
    if (const auto* why = std::get_if<std::string>(&planned)) return Fail(*why);

    auto opened = options.output.empty() ? OutputFile::StandardOutput() : OutputFile::Open(options.output);
    if (const auto* why = std::get_if<std::string>(&opened)) return Fail(*why);
    OutputFile& reportFile = std::get<OutputFile>(opened);
    std::optional<OutputFile> plotFile;
    if (!options.plot.empty()) {
        auto chartFile = OutputFile::Open(options.plot);
        if (const auto* why = std::get_if<std::string>(&chartFile)) return Fail(*why);
        plotFile.emplace(std::move(std::get<OutputFile>(chartFile)));
        if (plotFile->SameFileAs(reportFile)) return Fail("cannot write " + options.plot + ": the report goes to the same file");
    }

    if (!options.buttonsGiven) std::fprintf(stderr, "velquor: %s\n", LeftOutLine().c_str());
    bench::SweepPlan& plan = std::get<bench::SweepPlan>(planned);
    for (const std::string& note : plan.notes) std::fprintf(stderr, "velquor: %s\n", note.c_str());
    const bool showProgress = isatty(STDERR_FILENO) != 0;
    const bench::SweepRun run = bench::RunSweep(std::move(plan), [&](const bench::SweepRunner& runner) {
        if (!showProgress) return;
        const std::size_t done = runner.ClicksDone(), all = done + runner.ClicksLeft();
        std::fprintf(stderr, "\r\x1b[K[%zu/%zu] clicks", done, all);
        std::fflush(stderr);
    });
    if (showProgress) std::fprintf(stderr, "\r\x1b[K");
    for (const bench::SweepStop& stop : run.stops) {
        std::fprintf(stderr, "velquor: %d %s\n", stop.button->buttonId, StopText(stop, run.plan.clickBudget).c_str());
    }
    std::fprintf(stderr, "velquor: %zu sizes, first clicks smallest first, then %d %s in a random order, seed %u (--seed %u repeats it)\n",
                 run.plan.subjects.size(), run.rounds, run.rounds == 1 ? "round" : "rounds", run.plan.seed, run.plan.seed);

    std::ostringstream report;
    switch (options.format) {
    case Format::Table: WriteSweepTable(report, run, system); break;
    case Format::Csv: WriteSweepCsv(report, run, system); break;
    case Format::Json: WriteSweepJson(report, run, system); break;
    }
    int status = 0;
    if (const std::string why = reportFile.Write(report.str()); !why.empty()) status = Fail(why);
    if (plotFile) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        afx::QtApplication application(argc, argv);
        const std::wstring machine = std::wstring(CString(system.cpuModel.c_str()).GetString()) + L" (" +
                                     std::wstring(CString(system.hostName.c_str()).GetString()) + L")";
        const std::optional<std::string> png = afx::RenderLineChartPng(dialog::MakeSweepChart(run, system.caches, machine));
        const std::string why = png ? plotFile->Write(*png) : "cannot draw the chart: the PNG encoder failed";
        if (!why.empty()) status = Fail(why);
    }
    if (status) return status;
    for (const bench::SweepClick& c : run.clicks) {
        if (!c.measurement.Succeeded()) return 1;
    }
    return 0;
}

}  // namespace batch
