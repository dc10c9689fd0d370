// The string table, the records that go with the templates, the version
// block, and the set that bundles them all.
#include "Dialogs.h"
#include "Resource.h"
#include "framework/DialogData.h"

#include <array>
#include <cstdint>
#include <string_view>

// The icon files, embedded at build time.
extern const std::uint8_t velquor_ico[];
extern const std::size_t velquor_ico_size;
extern const std::uint8_t velquor_alt_ico[];
extern const std::size_t velquor_alt_ico_size;

namespace res {
namespace {

constexpr afx::StringResource kStrings[] = {
    {IDS_ABOUTBOX, L"Velquorについて(&A)..."},
    {IDS_KERNEL_DISASM, L"計測ループの機械語を表示(&M)..."},
    {IDS_KERNEL_VARIANTS, L"ビルドの違いを比べる(&B)..."},
    {IDS_KERNEL_SWEEP, L"要素数を変えて測る(&S)..."},
};

// Dialog-init records: (16-bit id, 16-bit message, 32-bit length, bytes)...,
// then a 16-bit zero. Each link control gets its settings as text.
constexpr std::string_view kLinkSettings =
    "<MFCLink_Url></MFCLink_Url><MFCLink_UrlPrefix></MFCLink_UrlPrefix><MFCLink_Tooltip></MFCLink_Tooltip>"
    "<MFCLink_FullTextTooltip>FALSE</MFCLink_FullTextTooltip>";
constexpr int kLinkIds[] = {1027, 1028, 1029};
constexpr std::size_t kDialogInitSize = std::size(kLinkIds) * (8 + kLinkSettings.size()) + 2;

constexpr std::array<std::uint8_t, kDialogInitSize> MakeDialogInit() {
    std::array<std::uint8_t, kDialogInitSize> bytes{};
    std::size_t at = 0;
    auto put16 = [&](unsigned v) {
        bytes[at++] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[at++] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    };
    for (int id : kLinkIds) {
        put16(static_cast<unsigned>(id));
        put16(afx::kInitFrameworkControl);
        put16(static_cast<unsigned>(kLinkSettings.size()));
        put16(0);
        for (char c : kLinkSettings) bytes[at++] = static_cast<std::uint8_t>(c);
    }
    put16(0);
    return bytes;
}
constexpr auto kDialogInit102 = MakeDialogInit();
static_assert(kDialogInit102.size() == 497);

// Dynamic layout: version 0, then per control of the main template (in
// template order) move x, move y, size x, size y in percent. The promotional
// block at the bottom would follow the bottom edge; the window never resizes.
constexpr std::size_t kMainControlCount = 63;
constexpr std::array<std::uint8_t, 2 + kMainControlCount * 8> MakeMainLayout() {
    std::array<std::uint8_t, 2 + kMainControlCount * 8> bytes{};
    for (std::size_t row : {32u, 33u, 35u, 36u}) bytes[2 + (row - 1) * 8 + 2] = 100;
    return bytes;
}
constexpr auto kLayout102 = MakeMainLayout();
constexpr std::array<std::uint8_t, 2> kLayout130{};

constexpr afx::DialogDataResource kDialogInit[] = {{IDD_VELQUOR_DIALOG, kDialogInit102}};
constexpr afx::DialogDataResource kLayouts[] = {{IDD_VELQUOR_DIALOG, kLayout102}, {IDD_VERSION, kLayout130}};

constexpr afx::VersionString kVersionStrings[] = {
    {L"CompanyName", L"Lumorak developers"},
    {L"FileDescription", L"Velquor"},
    {L"FileVersion", L"2.0.7.10"},
    {L"InternalName", L"Velquor.exe"},
    {L"LegalCopyright", L"Copyright (C) the Lumorak developers"},
    {L"OriginalFilename", L"Velquor.exe"},
    {L"ProductName", L"TODO: <Lumorak>"},
    {L"ProductVersion", L"2.0.7.10"},
};

constexpr afx::VersionInfo kVersion{
    {2, 0, 7, 10}, {2, 0, 7, 10}, 0x3F, 0, 0x40004, 1, 0, L"041104b0", kVersionStrings, 0x0411, 0x04B0,
};

}  // namespace

const afx::ResourceSet& ProgramResources() {
    static const afx::IconResource icons[] = {
        {IDR_MAINFRAME, {velquor_ico, velquor_ico_size}},
        {IDI_ALTERNATE, {velquor_alt_ico, velquor_alt_ico_size}},
    };
    static const afx::ResourceSet set{kDialogs, kStrings, icons, kDialogInit, kLayouts, &kVersion};
    return set;
}

const afx::VersionInfo& ProgramVersion() {
    return kVersion;
}

}  // namespace res
