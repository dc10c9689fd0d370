#include "CountCheck.h"

#include "framework/Crt.h"

#include <string>

namespace dialog {

bool CountExceedsLimit(const CString& text) {
    if (text.GetLength() > kCountMaxConvertedLength) return true;
    const CStringA narrow(text);
    const std::string digits(narrow.GetString());
    return crt::atoll(digits.c_str()) > kCountLimit;
}

}  // namespace dialog
