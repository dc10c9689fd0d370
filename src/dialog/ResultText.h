// The window's text for a measured time: whole microseconds shown as
// milliseconds with six decimals, "ms" appended ("123.456000ms").
#pragma once

#include "framework/AfxString.h"

#include <chrono>

namespace dialog {

/// t1 - t0 in whole microseconds, truncated toward zero.
long long ElapsedMicroseconds(std::chrono::system_clock::duration elapsed);

/// Replaces text with the result text of elapsed: "%.6f" of the whole
/// microseconds divided by 1000, followed by "ms".
void FormatResultText(CString& text, std::chrono::system_clock::duration elapsed);

}  // namespace dialog
