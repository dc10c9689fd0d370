// Fonts a program creates for its windows, beside the one each template names.
#pragma once

#include "WinDef.h"

#include <QFont>

/// A font, made once and handed to windows with CWnd::SetFont.
class CFont {
public:
    /// A font of face at pointSizeTenths tenths of a point; the template faces
    /// ("MS UI Gothic", the fixed-width "MS Gothic") become installed ones.
    BOOL CreatePointFont(int pointSizeTenths, LPCWSTR face);

    // For the layer: the Qt font.
    const QFont& Font() const { return m_font; }

private:
    QFont m_font;
};
