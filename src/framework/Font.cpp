#include "Font.h"

#include "DialogUnits.h"

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCWSTR face) {
    if (face == nullptr || pointSizeTenths <= 0) return FALSE;
    m_font = afx::TemplateFont(face, (pointSizeTenths + 5) / 10, 0);
    return TRUE;
}
