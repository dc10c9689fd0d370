// What the person at the window is told when a benchmark did not run.
#pragma once

#include "bench/Measurement.h"
#include "framework/AfxString.h"

namespace dialog {

/// The error box's text for a refused or failed run of a button (failed.error
/// is set): in Japanese, what happened and what to do. The technical detail is
/// not in it.
CString FailureMessage(int buttonId, const bench::Measurement& failed);

}  // namespace dialog
