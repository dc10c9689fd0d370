#include "Text.h"

#include "framework/AfxString.h"

#include <cstdint>
#include <cstdio>

namespace batch {
namespace {

// Length of the UTF-8 character that starts at text[at] and its code point;
// 0 when the bytes there are not a well-formed character.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < minimum || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

std::string Escape(const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Appends the printable form of at most maxCharacters characters of text;
// returns how many bytes of text it took.
std::size_t AppendPrintable(std::string& out, std::string_view text, std::size_t maxCharacters) {
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size() && characters < maxCharacters; ++characters) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(text, at, c);
        if (length == 0) {
            out += Escape("\\x%02x", static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (c == U'\n') out += "\\n";
        else if (c == U'\r') out += "\\r";
        else if (c == U'\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F) out += Escape("\\x%02x", static_cast<unsigned>(c));
        else if (c >= 0x80 && c <= 0x9F) out += Escape("\\u%04x", static_cast<unsigned>(c));  // C1 controls
        else out.append(text.substr(at, length));
        at += length;
    }
    return at;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    return CStringA(CString(text.c_str())).GetString();
}

std::string Printable(std::string_view text) {
    std::string out;
    AppendPrintable(out, text, text.size());
    return out;
}

std::string Quoted(std::string_view text) {
    std::string out = "'";
    const std::size_t taken = AppendPrintable(out, text, kQuotedCharacters);
    out += '\'';
    if (taken < text.size()) out.insert(out.size() - 1, "…").append(" (" + std::to_string(text.size()) + " bytes)");
    return out;
}

std::string Quoted(const std::wstring& text) {
    return Quoted(Utf8(text));
}

std::string ExactDecimal(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

}  // namespace batch
