// Runs the buttons' kernels without a window, as many clicks as asked, and
// keeps what each click measured.
#pragma once

#include "Options.h"
#include "bench/Measurement.h"
#include "bench/StoreLimit.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace batch {

/// One click of one button, in one build variant of its kernel.
struct Click {
    int buttonId = 0;
    const bench::Variant* variant = &bench::DefaultVariant();
    int repetition = 0;              ///< 0-based
    bench::Measurement measurement;  ///< its error is set when the run was refused or failed
    long pageFaults = 0;             ///< minor page faults of the process during the click
    /// Bytes the kernel stored per second of its timed section; none when it
    /// stored nothing, failed, or ran too briefly for the clock.
    std::optional<double> bytesPerSecond;
    /// bytesPerSecond against this machine's store limit for the same size.
    std::optional<double> fractionOfLimit;
};

struct BatchRun {
    std::wstring countText;              ///< the count field's text when the runs started
    std::vector<std::wstring> warnings;  ///< what the count check told the user, one line each
    std::vector<Click> clicks;           ///< in the order they ran
    /// The machine's store limits (bytes per second) for the sizes these
    /// buttons store, measured before the first click.
    std::map<bench::StoreSize, double> storeLimits;
};

/// The count field's text after the user pasted text over it: the field's
/// own check rewrites a value above its limit to the limit and warns.
struct PastedCount {
    std::wstring fieldText;
    /// The warning the window shows, on one line; empty when none was shown.
    std::wstring warning;
};
PastedCount PasteCount(const std::wstring& text);

/// Called before each click: button index, button id, variant, repetition.
using Progress = std::function<void(std::size_t index, int buttonId, const bench::Variant& variant, int repetition)>;

/// Runs every click of the options' buttons, one button's clicks after the
/// other, and each button's variants next to each other.
BatchRun RunButtons(const Options& options, const Progress& progress);

}  // namespace batch
