#include "DisplayWidth.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace dialog {

int DisplayWidth(std::wstring_view text) {
    int width = 0;
    for (wchar_t c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
                          (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

CString Padded(const CString& text, int width, bool right) {
    const int missing = std::max(0, width - DisplayWidth(text.GetString()));
    const CString spaces(std::wstring(static_cast<std::size_t>(missing), L' ').c_str());
    return right ? spaces + text : text + spaces;
}

}  // namespace dialog
