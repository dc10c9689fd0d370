// Runs the buttons' kernels without a window, as many clicks as asked, and
// keeps what each click measured.
#pragma once

#include "Options.h"
#include "bench/Measurement.h"

#include <functional>
#include <string>
#include <vector>

namespace batch {

/// One click of one button.
struct Click {
    int buttonId = 0;
    int repetition = 0;              ///< 0-based
    bench::Measurement measurement;  ///< its error is set when the run was refused or failed
    long pageFaults = 0;             ///< minor page faults of the process during the click
};

struct BatchRun {
    std::wstring countText;             ///< the count field's text when the runs started
    std::vector<std::string> warnings;  ///< about the count, one line each (UTF-8)
    std::vector<Click> clicks;           ///< in the order they ran
};

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

/// Called before each click: button index, button id, repetition.
using Progress = std::function<void(std::size_t index, int buttonId, int repetition)>;

/// Runs every click of the options' buttons, one button's clicks after the other.
BatchRun RunButtons(const Options& options, const Progress& progress);

}  // namespace batch
