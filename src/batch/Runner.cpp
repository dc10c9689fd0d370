#include "Runner.h"

#include "Text.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"
#include "dialog/CountCheck.h"
#include "framework/Crt.h"

#include <sys/resource.h>

#include <climits>
#include <random>

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

bool IsAsciiDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Compares what the field's conversion read (white space, a sign, ASCII
// digits: the same rules as _wtoi) with the whole text.
std::string ReadingNote(const std::wstring& text, int count) {
    const std::size_t blank = text.find_first_not_of(L" \t\n\v\f\r");
    const std::size_t sign = blank == std::wstring::npos ? text.size() : blank;
    const bool negative = sign < text.size() && text[sign] == L'-';
    const std::size_t digits = sign + (sign < text.size() && (text[sign] == L'+' || negative));
    std::size_t end = digits;
    long long value = 0;
    for (; end < text.size() && IsAsciiDigit(text[end]); ++end) {
        // Past what an int holds the exact value no longer matters.
        if (value <= LLONG_MAX / 100) value = value * 10 + (text[end] - L'0');
    }
    const std::string typed = "--count " + Quoted(text);
    if (end == digits) return typed + " has no leading digits: the count field reads it as 0";
    if (end < text.size()) {
        return typed + " is read as " + std::to_string(count) + "; the rest, " + Quoted(text.substr(end)) + ", was ignored";
    }
    if ((negative ? -value : value) != count) return typed + " does not fit an int: it is read as " + std::to_string(count);
    return {};
}

}  // namespace

StoreRate RateOf(const BatchRun& run, const bench::ButtonSpec& button, int elementCount, std::chrono::duration<double> elapsed) {
    const bench::StoreSize size = bench::LimitSizeFor(button, elementCount);
    StoreRate rate{bench::BytesPerSecond(size.bytes, elapsed), std::nullopt};
    const auto limit = run.storeLimits.find(size);
    if (rate.bytesPerSecond && limit != run.storeLimits.end()) {
        rate.fractionOfLimit = bench::FractionOfLimit(*rate.bytesPerSecond, limit->second);
    }
    return rate;
}

PastedCount PasteCount(const std::wstring& text) {
    PastedCount pasted{text, {}, 0, {}};
    // A paste passes the field's digits-only filter; then the count check applies.
    if (dialog::CountExceedsLimit(CString(text.c_str()))) {
        pasted.fieldText = dialog::kCountLimitText;
        pasted.warning = OneLine(dialog::kCountLimitWarning);
    }
    // The window reads the count afresh on every click; the text never changes here.
    pasted.count = _wtoi(CString(pasted.fieldText.c_str()));
    pasted.readingNote = ReadingNote(pasted.fieldText, pasted.count);
    return pasted;
}

BatchRun RunButtons(const Options& options, const Progress& progress) {
    BatchRun run;
    // The field holds "100000" when the window opens.
    const PastedCount pasted = PasteCount(options.countText.value_or(dialog::kCountLimitText));
    run.countText = pasted.fieldText;
    if (!pasted.warning.empty()) run.warnings.push_back(Utf8(pasted.warning));
    if (!pasted.readingNote.empty()) run.warnings.push_back(pasted.readingNote);
    const int count = pasted.count;

    run.buttons = options.buttons;
    run.variants = options.variants;
    run.baseline = options.baseline;
    run.order = options.order;
    run.seed = options.seed ? *options.seed : static_cast<std::uint32_t>(std::random_device{}());
    run.rounds = options.order == Order::Rounds ? RoundCount(options.repetitions) : 1;

    // The limits first, while nothing else runs: one per size these buttons store.
    for (const int id : options.buttons) {
        const bench::ButtonSpec* button = bench::FindButton(id);
        if (button == nullptr) continue;
        const bench::StoreSize size = bench::LimitSizeFor(*button, button->readsCount ? count : bench::kFixedArrayLength);
        if (size.bytes >= bench::kMinRateBytes) run.storeLimits.try_emplace(size, bench::StoreLimit(size));
    }

    const std::vector<PlannedClick> plan =
        PlanClicks(options.buttons, options.variants, options.repetitions, options.order, run.seed);
    run.clicks.reserve(plan.size());
    int probedRound = -1;
    for (const PlannedClick& planned : plan) {
        const bench::ButtonSpec* button = bench::FindButton(planned.buttonId);
        if (button == nullptr) continue;
        if (options.order == Order::Rounds && planned.round != probedRound) {
            probedRound = planned.round;
            for (int p = 0; p < kProbeClicksPerRound; ++p) run.probes.push_back({planned.round, bench::ProbeStoreLoop()});
        }
        if (progress) progress(run.clicks.size(), plan.size(), planned);
        Click click;
        click.buttonId = button->buttonId;
        click.variant = planned.variant;
        click.repetition = planned.repetition;
        click.round = planned.round;
        click.position = static_cast<int>(run.clicks.size());
        click.followsOwnClick = !run.clicks.empty() && run.clicks.back().buttonId == button->buttonId &&
                                run.clicks.back().variant == planned.variant;
        if (bench::IsAvailable(*planned.variant)) {
            const bench::KernelFunction kernel = bench::KernelOf(*planned.variant, button->buttonId);
            const long faultsBefore = MinorFaults();
            click.measurement = kernel(button->readsCount ? count : 0);
            click.pageFaults = MinorFaults() - faultsBefore;
        } else {
            // Its instructions would stop the program on this CPU.
            click.measurement.error = bench::KernelError{bench::ErrorKind::Failed, UnavailableVariant(*planned.variant), 0};
        }
        if (const bench::Measurement& m = click.measurement; m.Succeeded()) {
            click.rate = RateOf(run, *button, m.elementCount, m.elapsed);
        }
        run.clicks.push_back(std::move(click));
    }
    return run;
}

}  // namespace batch
