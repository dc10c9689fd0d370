// The few C run-time conversions the program calls by their MS names.
// Unlike the C library's, they never depend on the locale and never overflow:
// out-of-range values saturate.
#pragma once

namespace crt {

// Both: nullptr gives 0; leading ASCII white space (space, \t \n \v \f \r) is
// skipped; then an optional sign and ASCII digits '0'-'9'. Any other character
// (full-width digits too) ends the number; no digits give 0.
int wtoi(const wchar_t* s) noexcept;      // saturates to INT_MIN/INT_MAX
long long atoll(const char* s) noexcept;  // saturates to LLONG_MIN/LLONG_MAX

}  // namespace crt

inline int _wtoi(const wchar_t* s) noexcept { return crt::wtoi(s); }
