// The out-of-line parts of the string classes: the memory-failure throw and
// the UTF-8 codec used for every CString <-> CStringA conversion. The codec is
// our own so that the result never depends on the process locale.
#include "AfxString.h"

#include <cstdint>

namespace afx::detail {

const NilString<char> kNilStringA{{0, 0, -1}, '\0'};
const NilString<wchar_t> kNilStringW{{0, 0, -1}, L'\0'};

void ThrowMemoryException() { throw CMemoryException(); }

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

// Bytes of the UTF-8 form of one UTF-32 unit; '?' (1 byte) for units that
// are not scalar values.
inline int EncodedSize(std::uint32_t c) noexcept {
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c < 0x10000) return (c >= 0xD800 && c <= 0xDFFF) ? 1 : 3;
    return c <= 0x10FFFF ? 4 : 1;
}

// Decodes UTF-8, replacing each maximal invalid subsequence with one U+FFFD
// (the usual W3C/Unicode practice): a bad byte after a valid lead ends the
// sequence and is then looked at again as a lead of its own. Overlong forms,
// encoded surrogates and values beyond U+10FFFF are invalid. Counts only when
// Store is false, so both passes agree by construction.
template <bool Store>
int Decode(const char* src, int n, wchar_t* out) noexcept {
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    int i = 0;
    int o = 0;
    while (i < n) {
        const std::uint32_t lead = s[i++];
        std::uint32_t cp = lead;
        if (lead >= 0x80) {
            int follow;
            std::uint32_t lo = 0x80;
            std::uint32_t hi = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                follow = 1;
                cp = lead & 0x1F;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                follow = 2;
                cp = lead & 0x0F;
                if (lead == 0xE0) lo = 0xA0;       // no overlong forms
                else if (lead == 0xED) hi = 0x9F;  // no surrogates
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                follow = 3;
                cp = lead & 0x07;
                if (lead == 0xF0) lo = 0x90;       // no overlong forms
                else if (lead == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
            } else {
                follow = 0;  // stray continuation byte, C0, C1 or F5..FF
                cp = kReplacement;
            }
            for (; follow > 0; --follow) {
                if (i >= n || s[i] < lo || s[i] > hi) {
                    cp = kReplacement;
                    break;
                }
                cp = (cp << 6) | (s[i++] & 0x3Fu);
                lo = 0x80;
                hi = 0xBF;
            }
        }
        if constexpr (Store) out[o] = static_cast<wchar_t>(cp);
        ++o;
    }
    return o;
}

}  // namespace

long long Utf8Length(const wchar_t* s, int n) noexcept {
    long long bytes = 0;
    for (int i = 0; i < n; ++i) bytes += EncodedSize(static_cast<std::uint32_t>(s[i]));
    return bytes;
}

void Utf8Encode(const wchar_t* s, int n, char* out) noexcept {
    auto* o = reinterpret_cast<unsigned char*>(out);
    for (int i = 0; i < n; ++i) {
        const auto c = static_cast<std::uint32_t>(s[i]);
        if (c < 0x80) {
            *o++ = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                *o++ = '?';
                continue;
            }
            *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (c <= 0x10FFFF) {
            *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            *o++ = '?';
        }
    }
}

int Utf8DecodedLength(const char* s, int n) noexcept { return Decode<false>(s, n, nullptr); }

void Utf8Decode(const char* s, int n, wchar_t* out) noexcept { Decode<true>(s, n, out); }

}  // namespace afx::detail
