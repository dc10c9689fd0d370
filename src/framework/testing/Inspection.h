// Looks into a dialog's widgets for the tests: geometry in pixels, fonts,
// label texts, what would not fit, and the menus Qt gives a control. Only
// the test suite links this; the program never needs it.
#pragma once

#include "framework/Dialog.h"

#include <string>
#include <vector>

namespace afx::testing {

/// Geometry of a control in pixels, relative to its dialog's client area.
struct PixelRect {
    int x, y, width, height;
};

/// The control's geometry; all zero when the dialog has no such control.
PixelRect Geometry(const CDialog& dialog, int id);
/// The dialog's client area; all zero when it has no window.
PixelRect ClientSize(const CDialog& dialog);
/// Texts of every static control (labels), in creation order.
std::vector<CString> StaticTexts(const CDialog& dialog);
/// The font family the dialog's controls are drawn in.
std::string FontFamily(const CDialog& dialog);
/// Visible labels and buttons whose text needs more room than they have.
std::vector<std::string> ClippedTexts(const CDialog& dialog);
/// The texts of the actions of an edit control's right-click menu, without
/// the access-key marks and shortcuts; empty when the control is no edit.
std::vector<std::string> EditMenuTexts(const CDialog& dialog, int id);

}  // namespace afx::testing
