#include "SweepMode.h"

#include "RunOutputs.h"
#include "SweepReports.h"
#include "SystemInfo.h"
#include "Text.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "dialog/SweepChart.h"
#include "framework/LineChart.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace batch {
namespace {

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
    bench::SweepRequest request;
    for (int id : options.buttons) request.buttons.push_back(bench::FindButton(id));
    request.sizes = options.sizes;
    request.repetitions = options.repetitions;
    request.seed = options.seed ? *options.seed : static_cast<std::uint32_t>(std::random_device{}());
    request.clickBudget = options.clickBudget;
    const SystemInfo system = ReadSystemInfo(argc > 0 ? argv[0] : nullptr);
    // A request the arrays or the memory cannot hold is refused before any file is touched.
    auto planned = bench::PlanSweep(request, system.caches, bench::AvailableMemoryBytes());
    if (const auto* why = std::get_if<std::string>(&planned)) return BadRun(*why);

    auto outputs = RunOutputs::Open(options);
    if (const auto* why = std::get_if<std::string>(&outputs)) return BadRun(*why);

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
    const auto sizes = std::count_if(run.plan.subjects.begin(), run.plan.subjects.end(),
                                     [](const bench::SweepSubject& s) { return !s.IsLimit(); });
    std::fprintf(stderr, "velquor: %td sizes, first clicks smallest first, then %d %s in a random order, seed %u (--seed %u repeats it)\n",
                 sizes, run.rounds, run.rounds == 1 ? "round" : "rounds", run.plan.seed, run.plan.seed);

    const bench::ButtonSpec* baseline = options.baseline ? bench::FindButton(options.baseline->buttonId) : nullptr;
    const int status = std::get<RunOutputs>(outputs).Write(
        [&](std::ostream& report) {
            switch (options.format) {
            case Format::Table: WriteSweepTable(report, run, system, baseline); break;
            case Format::Csv: WriteSweepCsv(report, run, system, baseline); break;
            case Format::Json: WriteSweepJson(report, run, system, baseline); break;
            }
        },
        [&] { return afx::RenderLineChartPng(dialog::MakeSweepChart(run, system.caches, MachineLabel(system))); }, argc, argv);
    if (status) return status;
    for (const bench::SweepClick& c : run.clicks) {
        if (!c.measurement.Succeeded()) return 1;
    }
    return 0;
}

}  // namespace batch
