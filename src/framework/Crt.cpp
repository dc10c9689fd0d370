#include "Crt.h"

#include <limits>
#include <type_traits>

namespace crt {
namespace {

// The magnitude is gathered unsigned and checked before each step, so the
// conversion has no signed overflow at any point.
template <class Int, class Char>
Int ParseDecimal(const Char* s) noexcept {
    if (s == nullptr) return 0;
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;  // \t \n \v \f \r
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    using U = std::make_unsigned_t<Int>;
    constexpr U maxPositive = static_cast<U>(std::numeric_limits<Int>::max());
    const U limit = negative ? maxPositive + 1 : maxPositive;
    U value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        const auto digit = static_cast<U>(*s - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (!negative) return static_cast<Int>(value);
    if (value == limit) return std::numeric_limits<Int>::min();
    return -static_cast<Int>(value);
}

}  // namespace

int wtoi(const wchar_t* s) noexcept { return ParseDecimal<int>(s); }

long long atoll(const char* s) noexcept { return ParseDecimal<long long>(s); }

}  // namespace crt
