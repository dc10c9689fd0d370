// Fonts of the templates and the dialog units measured in them.
#pragma once

#include <QFont>
#include <QRect>

namespace afx {

/// The size of one dialog unit, from the template font, as the platform
/// computes it: the average width of the 52 Latin letters and the font height.
struct DialogBaseUnits {
    int x = 0;  ///< pixels per four horizontal dialog units
    int y = 0;  ///< pixels per eight vertical dialog units
};

/// The base units of a font.
DialogBaseUnits BaseUnitsFor(const QFont& font);
/// A rectangle in dialog units as pixels, rounding each edge as the platform does.
QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int cx, int cy);

/// The font a template names, resolved to an installed face; "MS UI Gothic"
/// and "MS Shell Dlg" become the installed Japanese gothics, "MS Gothic" the
/// installed fixed-width one.
QFont TemplateFont(const wchar_t* face, int pointSize, int weight);

}  // namespace afx
