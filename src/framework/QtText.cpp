#include "QtText.h"

#include <string>

namespace afx {

QString ToQString(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

CString FromQString(const QString& text) {
    const std::wstring w = text.toStdWString();
    return CString(w.c_str());
}

}  // namespace afx
