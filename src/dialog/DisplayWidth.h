// The columns a text takes in a fixed-width font or on a terminal, where East
// Asian wide and full-width characters take two: what lines up the window's
// fixed-width tables and the batch mode's table.
#pragma once

#include "framework/AfxString.h"

#include <string_view>

namespace dialog {

/// Columns the text takes: East Asian wide and full-width characters two, every other one.
int DisplayWidth(std::wstring_view text);

/// text with spaces after it (right false) or before it (true) up to width columns.
CString Padded(const CString& text, int width, bool right = false);

}  // namespace dialog
