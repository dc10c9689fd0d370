// Text between the layer's strings and Qt's.
#pragma once

#include "AfxString.h"

#include <QString>

namespace afx {

/// The text as a QString; a null pointer gives an empty string.
QString ToQString(const wchar_t* text);
/// The QString as the layer's wide string.
CString FromQString(const QString& text);

}  // namespace afx
