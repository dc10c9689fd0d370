// The batch mode: runs the buttons' kernels without a window and reports
// statistics, and the list of buttons.
#pragma once

#include "Options.h"

#include <ostream>

namespace batch {

/// velquor --batch ARGS: 0 when every run succeeded, 1 when one failed, 2 for bad arguments.
int BatchMain(int& argc, char** argv, const Options& options);

/// velquor --list: one line per button.
int ListMain(std::ostream& out);

}  // namespace batch
