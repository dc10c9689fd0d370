// The 22 benchmark buttons as the batch mode and its reports name them.
#pragma once

#include <string>
#include <vector>

namespace batch {

struct ButtonInfo {
    int id;
    std::wstring caption;  ///< the button's own caption
    std::wstring heading;  ///< the label above it ("初期化した場合", ...), or empty
    bool readsCount;       ///< false for the fixed 100000-element arrays
    bool hidden;           ///< not visible in the window (1053, 1055)

    /// Caption with its heading, which tells apart buttons of the same caption.
    std::wstring Title() const { return heading.empty() ? caption : caption + L" (" + heading + L")"; }
};

/// All benchmark buttons, in the window's creation order.
const std::vector<ButtonInfo>& Buttons();
const ButtonInfo* FindButton(int id);

}  // namespace batch
