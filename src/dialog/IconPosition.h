// Where the minimised window draws its icon: centred in the client area.
#pragma once

#include "framework/WinDef.h"

namespace dialog {

struct IconOrigin {
    int x;
    int y;
};

/// (width - cx + 1) / 2 and (height - cy + 1) / 2 in 32-bit integers, which
/// truncate toward zero: a 30-wide area and a 32-wide icon give 0, not -1.
constexpr IconOrigin IconPosition(const RECT& client, int cx, int cy) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    return {(width - cx + 1) / 2, (height - cy + 1) / 2};
}

}  // namespace dialog
