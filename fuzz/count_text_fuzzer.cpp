// Fuzzes the count field's text path: the check that runs on every change of
// the field (dialog::CountExceedsLimit), the handlers' reading of the count
// (_wtoi of the field's text) and the kernels' refusal of counts they cannot
// use (bench::RefuseCount).
//
// Each input is tried twice: its bytes decoded as UTF-8, and its bytes taken
// four at a time as raw UTF-32 code units (any value, surrogates and values
// beyond U+10FFFF included). Both keep embedded NUL characters, which the
// window itself never delivers but which the functions must survive.
//
// Aborts when:
//  - a text passes the check (it is not rewritten to 100000) and yet a
//    handler without a bound of its own would read a count above 100000:
//    what passes the check must never reach a handler as a larger count;
//  - RefuseCount lets a count below 0 or above its maxCount through, or
//    refuses one inside those bounds;
//  - the check's own replacement text fails the check or reads differently.
// Crashes and undefined behaviour are reported by the sanitizers.
#include "bench/Protocol.h"
#include "dialog/CountCheck.h"
#include "framework/Crt.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// The handlers' bounds: none (INT_MAX), the global arrays, the moving pointer's,
// the count field's own limit, and the smallest.
constexpr int kMaxCounts[] = {INT_MAX, 4000000, 1333334, 100000, 1, 0};

[[noreturn]] void Fail(const char* what, const CString& text) {
    std::fprintf(stderr, "count_text_fuzzer: %s\n  text (%d code units):", what, text.GetLength());
    for (int i = 0; i < text.GetLength(); ++i) {
        std::fprintf(stderr, " %08X", static_cast<unsigned>(text.GetString()[i]));
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

/// A CString of exactly these code units, embedded NULs included (the
/// constructors stop at the first NUL, so the pieces are joined around them).
CString FromCodeUnits(const std::wstring& units) {
    CString nul;
    nul.Format(L"%lc", static_cast<wint_t>(0));
    CString text;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = units.find(L'\0', start);
        text += CString(units.substr(start, end - start).c_str());
        if (end == std::wstring::npos) break;
        text += nul;
        start = end + 1;
    }
    return text;
}

/// The bytes decoded as UTF-8 by the layer (invalid sequences become U+FFFD),
/// with each NUL byte kept as a NUL character.
std::wstring Utf8Units(const std::uint8_t* data, std::size_t size) {
    std::wstring units;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < size && data[end] != 0) ++end;
        const std::string piece(reinterpret_cast<const char*>(data) + start, end - start);
        units += CString(piece.c_str()).GetString();
        if (end == size) break;
        units += L'\0';
        start = end + 1;
    }
    return units;
}

/// The bytes four at a time, little-endian, as raw UTF-32 code units.
std::wstring Utf32Units(const std::uint8_t* data, std::size_t size) {
    std::wstring units;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        const std::uint32_t u = static_cast<std::uint32_t>(data[i]) | static_cast<std::uint32_t>(data[i + 1]) << 8 |
                                static_cast<std::uint32_t>(data[i + 2]) << 16 | static_cast<std::uint32_t>(data[i + 3]) << 24;
        units += static_cast<wchar_t>(u);
    }
    return units;
}

void Check(const std::wstring& units) {
    const CString text = FromCodeUnits(units);
    if (std::wstring(text.GetString(), static_cast<std::size_t>(text.GetLength())) != units) {
        Fail("the text lost code units on the way in", text);
    }

    const bool tooLarge = dialog::CountExceedsLimit(text);
    const int count = _wtoi(text);
    if (!tooLarge && count > dialog::kCountLimit) {
        Fail("the count check passed a text that a handler reads as a count above 100000", text);
    }
    for (const int maxCount : kMaxCounts) {
        const bool inside = count >= 0 && count <= maxCount;
        const std::optional<bench::Measurement> refused = bench::RefuseCount(count, maxCount);
        if (inside && refused) Fail("RefuseCount refused a count inside its bounds", text);
        if (!inside && !refused) Fail("RefuseCount let a count outside its bounds through", text);
        if (refused && (refused->Succeeded() || refused->error->kind != bench::ErrorKind::CountRefused)) {
            Fail("a refusal is not a refused count", text);
        }
    }
}

void CheckReplacement() {
    const CString limit(dialog::kCountLimitText);
    if (dialog::CountExceedsLimit(limit)) Fail("the replacement text fails the check", limit);
    if (_wtoi(limit) != dialog::kCountLimit) Fail("the replacement text does not read as 100000", limit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool replacementChecked = (CheckReplacement(), true);
    (void)replacementChecked;

    Check(Utf8Units(data, size));
    Check(Utf32Units(data, size));
    return 0;
}
