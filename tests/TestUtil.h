// Small helpers shared by the tests.
#pragma once

#include "framework/AfxString.h"

#include <ostream>
#include <string>

/// Lets GoogleTest print wide strings readably in failure messages.
inline void PrintTo(const CString& s, std::ostream* os) {
    *os << '"' << CStringA(s).GetString() << '"';
}

inline std::string Utf8(const CString& s) {
    return std::string(CStringA(s).GetString());
}
