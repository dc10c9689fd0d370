// Runs the buttons' kernels without a window, as many clicks as asked, and
// keeps what each click measured.
#pragma once

#include "Options.h"
#include "Schedule.h"
#include "bench/Measurement.h"
#include "bench/StoreLimit.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace batch {

/// How fast a fill stored its array, and how close that came to the machine's limit.
struct StoreRate {
    /// Bytes of the array stored per second of the timed section; none when
    /// the fill stored nothing or ran too briefly for the clock.
    std::optional<double> bytesPerSecond;
    /// bytesPerSecond against this machine's store limit for the same size;
    /// none without a rate or a limit.
    std::optional<double> fractionOfLimit;
};

/// One click of one button, in one build variant of its kernel.
struct Click {
    int buttonId = 0;
    const bench::Variant* variant = &bench::DefaultVariant();
    /// 0-based, per button and variant: 0 is the first click of the button in that variant
    int repetition = 0;
    int round = 0;                   ///< 0-based; 0 for every click in blocks order
    int position = 0;                ///< 0-based place among all clicks of the run
    /// The click just before it was one of the same button's in the same
    /// variant: its memory is as that click left it, its code in the caches.
    /// The first click of a button, and in rounds the first of each round,
    /// follow other work that has taken the caches.
    bool followsOwnClick = false;
    bench::Measurement measurement;  ///< its error is set when the run was refused or failed
    long pageFaults = 0;             ///< minor page faults of the process during the click
    /// Of its timed section; none when the click failed.
    StoreRate rate;
};

/// One click of the machine-speed probe, timed before a round.
struct ProbeClick {
    int round = 0;
    bench::Measurement measurement;
};

/// Probe clicks before each round; their median is the round's probe time.
inline constexpr int kProbeClicksPerRound = 3;

struct BatchRun {
    std::vector<int> buttons;           ///< as the options gave them; the reports keep this order
    /// As the options gave them; the reports keep this order for each button's variants.
    std::vector<const bench::Variant*> variants{&bench::DefaultVariant()};
    std::wstring countText;             ///< the count field's text when the runs started
    std::vector<std::string> warnings;  ///< about the count, one line each (UTF-8)
    Order order = Order::Rounds;
    std::uint32_t seed = 0;             ///< of the rounds' order
    int rounds = 1;
    std::vector<Click> clicks;          ///< in the order they ran
    std::vector<ProbeClick> probes;     ///< before each round; none in blocks order
    /// The machine's store limits (bytes per second) for the sizes these
    /// buttons store, measured before the first click.
    std::map<bench::StoreSize, double> storeLimits;
    /// Whose time every button's is set against, round by round; none for no ratios.
    std::optional<BaselineName> baseline;
};

/// The rate of a fill of the button over elementCount elements that took
/// elapsed, against the run's store limit for its size.
StoreRate RateOf(const BatchRun& run, const bench::ButtonSpec& button, int elementCount, std::chrono::duration<double> elapsed);

/// The count field's text after the user pasted text over it: the field's
/// own check rewrites a value above its limit to the limit and warns.
struct PastedCount {
    std::wstring fieldText;
    /// The warning the window shows, on one line; empty when none was shown.
    std::wstring warning;
    /// What a click reads from the field.
    int count = 0;
    /// When that count is not the whole text's value (the conversion stopped
    /// early, found no digits, or the number does not fit an int): the count
    /// used and what was ignored, for the user, in UTF-8; else empty.
    std::string readingNote;
};
PastedCount PasteCount(const std::wstring& text);

/// Called before each click with its place in the run, the number of
/// clicks, and the click.
using Progress = std::function<void(std::size_t position, std::size_t clicks, const PlannedClick& click)>;

/// Runs every click of the options' buttons in each of the options'
/// variants, in the options' order, with the probe before each round when
/// the order is rounds; the store limits first.
BatchRun RunButtons(const Options& options, const Progress& progress);

}  // namespace batch
