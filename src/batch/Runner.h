// Drives the real main dialog offscreen as a user would and collects what
// every click published.
#pragma once

#include "Options.h"
#include "bench/Run.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace batch {

/// One click of one button.
struct Click {
    int buttonId = 0;
    int repetition = 0;                     ///< 0-based
    std::optional<bench::RunRecord> record; ///< none when the run failed
    std::wstring error;                     ///< what the error box said; empty on success
    long pageFaults = 0;                    ///< minor page faults of the process during the click
};

struct BatchRun {
    std::wstring countText;              ///< the count field's text when the runs started
    std::vector<std::wstring> warnings;  ///< message boxes the count check showed
    std::vector<Click> clicks;           ///< in the order they ran
};

/// Called before each click: button index, button id, repetition.
using Progress = std::function<void(std::size_t index, int buttonId, int repetition)>;

/// Needs an OffscreenApplication and the program's resources.
BatchRun RunButtons(const Options& options, const Progress& progress);

}  // namespace batch
