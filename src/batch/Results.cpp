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
    std::map<std::pair<int, const bench::Variant*>, std::size_t> index;
    auto add = [&](int id, const bench::Variant* variant) {
        const auto [it, fresh] = index.try_emplace({id, variant}, results.size());
        if (fresh) {
            results.emplace_back();
            results.back().buttonId = id;
            results.back().variant = variant;
        }
        return it->second;
    };
    for (int id : run.buttons) {
        for (const bench::Variant* variant : run.variants) add(id, variant);
    }
    for (const Click& c : run.clicks) results[add(c.buttonId, c.variant)].clicks.push_back(&c);
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
        const bench::ButtonSpec* button = bench::FindButton(r.buttonId);
        if (button == nullptr) continue;
        if (r.elapsed.samples > 0) r.medianRate = RateOf(run, *button, r.elementCount, r.elapsed.median);
        const bench::StoreSize size = bench::LimitSizeFor(*button, r.elementCount);
        if (const auto limit = run.storeLimits.find(size); limit != run.storeLimits.end() && limit->second > 0) {
            r.timeAtLimit = std::chrono::duration<double>(static_cast<double>(size.bytes) / limit->second);
        }
    }
    if (run.baseline) CompareWithBaseline(results, *run.baseline);
    return results;
}

std::string BenchmarkName(int buttonId, const bench::Variant& variant) {
    const bench::ButtonSpec* b = bench::FindButton(buttonId);
    const std::string name = b ? std::string(b->name) : std::to_string(buttonId);
    return variant.isDefault ? name : name + "/" + std::string(variant.name);
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
