// What the boxes of the benchmark buttons' right-click menu share.
#pragma once

#include "framework/Font.h"
#include "framework/Wnd.h"

namespace dialog {

/// Appends " - " and title (the button, the kernel) to the box's caption,
/// and gives table a fixed-width font, in which its columns line up.
void SetUpKernelBox(CWnd& box, const CString& title, CFont& font, CWnd& table);

}  // namespace dialog
