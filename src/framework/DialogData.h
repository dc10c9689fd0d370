// The dialog-init data a template carries besides its controls: the initial
// settings of the framework's own controls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace afx {

/// Message of a dialog-init record that sets up one of the framework's own controls.
inline constexpr std::uint16_t kInitFrameworkControl = 0x037C;

struct DialogInitRecord {
    int controlId;
    std::uint16_t message;
    std::string data;
};

/// Parses records of (16-bit id, 16-bit message, 32-bit length, bytes) ended
/// by a 16-bit zero. nullopt when the data is cut short or a length runs past the end.
std::optional<std::vector<DialogInitRecord>> ParseDialogInit(std::span<const std::uint8_t> bytes);

/// What a link control takes from its dialog-init text.
struct LinkSettings {
    std::string url;
    std::string urlPrefix;
    std::string tooltip;
    bool fullTextTooltip = false;
};
LinkSettings ParseLinkSettings(const std::string& text);

}  // namespace afx
