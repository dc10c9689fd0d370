#include "Runner.h"

#include "bench/Buttons.h"
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

    run.clicks.reserve(options.buttons.size() * static_cast<std::size_t>(options.repetitions));
    for (std::size_t index = 0; index < options.buttons.size(); ++index) {
        const bench::ButtonSpec* button = bench::FindButton(options.buttons[index]);
        if (button == nullptr) continue;
        for (int r = 0; r < options.repetitions; ++r) {
            if (progress) progress(index, button->buttonId, r);
            Click click;
            click.buttonId = button->buttonId;
            click.repetition = r;
            const long faultsBefore = MinorFaults();
            click.measurement = button->kernel(button->readsCount ? count : 0);
            click.pageFaults = MinorFaults() - faultsBefore;
            run.clicks.push_back(std::move(click));
        }
    }
    return run;
}

}  // namespace batch
