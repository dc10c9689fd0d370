// Resources as plain data: the program hands the layer one ResourceSet at
// start-up, and the layer looks templates, strings, icons and the other
// records up in it by id, as the window system looks them up in a program file.
#pragma once

#include "WinDef.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace afx {

/// The window classes a template control can name. LineChart is the
/// layer's own: a line chart the program hands it (CLineChartCtrl).
enum class ControlClass { Button, Edit, Static, MfcLink, LineChart };

/// One control of a dialog template. Rectangle in dialog units.
struct ControlTemplate {
    int id;                 ///< control id; -1 for statics nobody addresses
    ControlClass kind;
    const wchar_t* text;    ///< caption; for an SS_ICON static "#<icon id>"
    DWORD style;            ///< WS_*, BS_*, ES_*, SS_* bits
    int x, y, cx, cy;
};

/// A dialog template: the window's own data and its controls in creation order.
struct DialogTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;                        ///< dialog units
    const wchar_t* caption;
    const wchar_t* fontFace;
    int fontPointSize;
    int fontWeight;
    std::span<const ControlTemplate> controls;
};

/// One entry of the string table.
struct StringResource {
    UINT id;
    const wchar_t* text;
};

/// One image of an icon group, as encoded bytes of an image file (PNG or BMP/ICO).
struct IconResource {
    UINT id;
    std::span<const std::uint8_t> icoFile;   ///< a complete .ico file with every image
};

/// Raw records attached to a dialog template, in the formats the layer parses.
struct DialogDataResource {
    UINT dialogId;
    std::span<const std::uint8_t> bytes;
};

/// The program file's version block.
struct VersionString {
    const wchar_t* key;
    const wchar_t* value;
};
struct VersionInfo {
    WORD fileVersion[4];
    WORD productVersion[4];
    DWORD flagsMask;
    DWORD flags;
    DWORD fileOs;
    DWORD fileType;
    DWORD fileSubtype;
    const wchar_t* stringTableKey;           ///< e.g. "041104b0"
    std::span<const VersionString> strings;
    WORD translationLanguage;
    WORD translationCodePage;
};

struct ResourceSet {
    std::span<const DialogTemplate> dialogs;
    std::span<const StringResource> strings;
    std::span<const IconResource> icons;
    std::span<const DialogDataResource> dialogInit;   ///< dialog-init records (type 240)
    /// Dynamic-layout records (how controls would follow a resized window).
    /// Carried as the program's data; windows keep their template size, so
    /// the layer never applies them.
    std::span<const DialogDataResource> dialogLayout;
    const VersionInfo* version;
};

/// Installs the program's resources; called once before any window is made.
void SetResources(const ResourceSet& resources);
const ResourceSet& GetResources();

const DialogTemplate* FindDialog(UINT id);
/// The string-table text with that id, or nullptr when there is none.
const wchar_t* FindString(UINT id);
const IconResource* FindIcon(UINT id);
/// The dialog-init records of a template; empty when it has none.
std::span<const std::uint8_t> FindDialogInit(UINT dialogId);

}  // namespace afx
