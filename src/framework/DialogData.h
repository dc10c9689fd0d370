// The records a template carries besides its controls: the dialog-init data
// (initial settings of the framework's own controls) and the dynamic layout
// (how controls follow a resized window).
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

/// How one control follows the window when it is resized, in percent of the size change.
struct LayoutRecord {
    int moveX = 0, moveY = 0, sizeX = 0, sizeY = 0;
};

/// Parses a 16-bit version 0 followed by four 16-bit percentages per control.
/// nullopt for another version, a partial record or a percentage above 100.
std::optional<std::vector<LayoutRecord>> ParseDynamicLayout(std::span<const std::uint8_t> bytes);

}  // namespace afx
