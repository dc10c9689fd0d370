#include "Buttons.h"

#include "res/Resource.h"

#include <algorithm>

namespace batch {
namespace {

// The fixed-size local arrays always fill 100000 elements.
constexpr int kFixedButtons[] = {1012, 1014, 1022, 1024};

bool IsBenchmarkButton(const afx::ControlTemplate& c) {
    return c.kind == afx::ControlClass::Button && c.id >= 1000 && c.id != 1026;
}

// The label that stands right above a button (same column, just over it).
std::wstring HeadingOf(const afx::DialogTemplate& dlg, const afx::ControlTemplate& button) {
    for (const afx::ControlTemplate& c : dlg.controls) {
        if (c.kind != afx::ControlClass::Static || c.id != -1 || !c.text || c.x != button.x) continue;
        if (c.y < button.y && button.y - c.y <= 12) return c.text;
    }
    return {};
}

std::vector<ButtonInfo> Collect() {
    std::vector<ButtonInfo> buttons;
    const afx::DialogTemplate* dlg = afx::FindDialog(res::IDD_VELQUOR_DIALOG);
    if (!dlg) return buttons;
    for (const afx::ControlTemplate& c : dlg->controls) {
        if (!IsBenchmarkButton(c)) continue;
        const bool fixed = std::find(std::begin(kFixedButtons), std::end(kFixedButtons), c.id) != std::end(kFixedButtons);
        buttons.push_back({c.id, c.text, HeadingOf(*dlg, c), !fixed, (c.style & WS_VISIBLE) == 0});
    }
    return buttons;
}

}  // namespace

const std::vector<ButtonInfo>& Buttons() {
    static const std::vector<ButtonInfo> buttons = Collect();
    return buttons;
}

const ButtonInfo* FindButton(int id) {
    for (const ButtonInfo& b : Buttons()) {
        if (b.id == id) return &b;
    }
    return nullptr;
}

}  // namespace batch
