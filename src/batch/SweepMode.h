// velquor --sweep: each button's fill over a series of array sizes, without a
// window, reported as a table, CSV or JSON, and drawn as a chart.
#pragma once

#include "Options.h"

namespace batch {

/// velquor --sweep ARGS: 0 when every click succeeded, 1 when one failed, 2
/// for bad arguments (a size no array or no memory can hold among them) or an
/// output that cannot be written.
int SweepMain(int& argc, char** argv, const Options& options);

}  // namespace batch
