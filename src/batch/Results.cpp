#include "Results.h"

#include "Stability.h"
#include "bench/Buttons.h"
#include "dialog/ResultText.h"
#include "framework/AfxString.h"

#include <map>

namespace batch {

std::chrono::nanoseconds Elapsed(const bench::Measurement& m) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(m.elapsed);
}

bool CountsInStatistics(const Click& click) {
    return click.followsOwnClick && click.measurement.Succeeded();
}

std::vector<ButtonResult> GroupByButton(const BatchRun& run) {
    std::vector<ButtonResult> results;
    std::map<int, std::size_t> index;
    for (int id : run.buttons) {
        index.try_emplace(id, results.size());
        results.emplace_back();
        results.back().buttonId = id;
    }
    for (const Click& c : run.clicks) {
        auto [it, fresh] = index.try_emplace(c.buttonId, results.size());
        if (fresh) {
            results.emplace_back();
            results.back().buttonId = c.buttonId;
        }
        results[it->second].clicks.push_back(&c);
    }
    // A button the run never clicked has nothing to report.
    std::erase_if(results, [](const ButtonResult& r) { return r.clicks.empty(); });
    for (ButtonResult& r : results) {
        std::vector<std::chrono::nanoseconds> elapsed, cpu;
        double faults = 0;
        for (const Click* c : r.clicks) {
            faults += static_cast<double>(c->pageFaults);
            const bench::Measurement& m = c->measurement;
            if (!m.Succeeded()) {
                ++r.failures;
                continue;
            }
            r.preemptedClicks += WasPreempted(m);
            r.elementCount = m.elementCount;
            r.lastSink = m.sink ? std::wstring(m.sink->GetString()) : L"-";
            if (!CountsInStatistics(*c)) continue;
            elapsed.push_back(Elapsed(m));
            cpu.push_back(m.threadCpuTime);
        }
        r.elapsed = Summarize(std::move(elapsed));
        r.cpuTime = Summarize(std::move(cpu));
        r.roundMedians = RoundMedians(r.clicks);
        r.roundSpread = Spread(r.roundMedians);
        r.meanPageFaults = faults / static_cast<double>(r.clicks.size());
    }
    return results;
}

std::string BenchmarkName(int buttonId) {
    const bench::ButtonSpec* b = bench::FindButton(buttonId);
    return b ? std::string(b->name) : std::to_string(buttonId);
}

std::wstring TitleOf(int buttonId) {
    const bench::ButtonSpec* b = bench::FindButton(buttonId);
    return b ? std::wstring(CString(std::string(bench::Title(*b)).c_str()).GetString()) : std::to_wstring(buttonId);
}

std::wstring ErrorOf(const Click& click) {
    const auto& error = click.measurement.error;
    return error ? std::wstring(CString(error->message.c_str()).GetString()) : std::wstring();
}

std::wstring ResultText(const bench::Measurement& m) {
    CString text;
    dialog::FormatResultText(text, m.elapsed);
    return text.GetString();
}

}  // namespace batch
