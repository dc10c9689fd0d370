#include "DialogData.h"

namespace afx {
namespace {

std::uint16_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(Read16(b, at)) | (static_cast<std::uint32_t>(Read16(b, at + 2)) << 16);
}

std::string Tag(const std::string& text, const std::string& name) {
    const std::string open = "<" + name + ">";
    const std::string close = "</" + name + ">";
    const auto start = text.find(open);
    if (start == std::string::npos) return {};
    const auto from = start + open.size();
    const auto end = text.find(close, from);
    if (end == std::string::npos) return {};
    return text.substr(from, end - from);
}

}  // namespace

std::optional<std::vector<DialogInitRecord>> ParseDialogInit(std::span<const std::uint8_t> bytes) {
    std::vector<DialogInitRecord> records;
    std::size_t at = 0;
    for (;;) {
        if (at + 2 > bytes.size()) return std::nullopt;
        const std::uint16_t id = Read16(bytes, at);
        if (id == 0) return records;
        if (at + 8 > bytes.size()) return std::nullopt;
        const std::uint16_t message = Read16(bytes, at + 2);
        const std::uint32_t length = Read32(bytes, at + 4);
        at += 8;
        if (length > bytes.size() - at) return std::nullopt;
        records.push_back({static_cast<std::int16_t>(id), message,
                           std::string(reinterpret_cast<const char*>(bytes.data() + at), length)});
        at += length;
    }
}

LinkSettings ParseLinkSettings(const std::string& text) {
    LinkSettings s;
    s.url = Tag(text, "MFCLink_Url");
    s.urlPrefix = Tag(text, "MFCLink_UrlPrefix");
    s.tooltip = Tag(text, "MFCLink_Tooltip");
    s.fullTextTooltip = Tag(text, "MFCLink_FullTextTooltip") == "TRUE";
    return s;
}

}  // namespace afx
