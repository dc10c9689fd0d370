#include "Runner.h"

#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "dialog/CountCheck.h"
#include "framework/Crt.h"

#include <sys/resource.h>

namespace batch {
namespace {

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

std::wstring OneLine(std::wstring text) {
    for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L" ");
    return text;
}

}  // namespace

PastedCount PasteCount(const std::wstring& text) {
    // A paste passes the field's digits-only filter; then the count check applies.
    if (dialog::CountExceedsLimit(CString(text.c_str()))) {
        return {dialog::kCountLimitText, OneLine(dialog::kCountLimitWarning)};
    }
    return {text, {}};
}

BatchRun RunButtons(const Options& options, const Progress& progress) {
    BatchRun run;
    run.countText = dialog::kCountLimitText;  // the field's text when the window opens
    if (options.countText) {
        const PastedCount pasted = PasteCount(*options.countText);
        run.countText = pasted.fieldText;
        if (!pasted.warning.empty()) run.warnings.push_back(pasted.warning);
    }
    // The window reads the count afresh on every click; the text never changes here.
    const int count = _wtoi(CString(run.countText.c_str()));

    // The limits first, while nothing else runs: one per size these buttons store.
    for (const int id : options.buttons) {
        const bench::ButtonSpec* button = bench::FindButton(id);
        if (button == nullptr) continue;
        const bench::StoreSize size = bench::LimitSizeFor(*button, button->readsCount ? count : bench::kFixedArrayLength);
        if (size.bytes > 0) run.storeLimits.try_emplace(size, bench::StoreLimit(size));
    }

    run.clicks.reserve(options.buttons.size() * options.variants.size() * static_cast<std::size_t>(options.repetitions));
    for (std::size_t index = 0; index < options.buttons.size(); ++index) {
        const bench::ButtonSpec* button = bench::FindButton(options.buttons[index]);
        if (button == nullptr) continue;
        for (const bench::Variant* variant : options.variants) {
            const bench::KernelFunction kernel = bench::KernelOf(*variant, button->buttonId);
            for (int r = 0; r < options.repetitions; ++r) {
                if (progress) progress(index, button->buttonId, *variant, r);
                Click click;
                click.buttonId = button->buttonId;
                click.variant = variant;
                click.repetition = r;
                const long faultsBefore = MinorFaults();
                click.measurement = kernel(button->readsCount ? count : 0);
                click.pageFaults = MinorFaults() - faultsBefore;
                if (click.measurement.Succeeded()) {
                    const bench::Measurement& m = click.measurement;
                    const bench::StoreSize size = bench::LimitSizeFor(*button, m.elementCount);
                    click.bytesPerSecond = bench::BytesPerSecond(size.bytes, m.elapsed);
                    const auto limit = run.storeLimits.find(size);
                    if (click.bytesPerSecond && limit != run.storeLimits.end()) {
                        click.fractionOfLimit = bench::FractionOfLimit(*click.bytesPerSecond, limit->second);
                    }
                }
                run.clicks.push_back(std::move(click));
            }
        }
    }
    return run;
}

}  // namespace batch
