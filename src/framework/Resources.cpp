#include "Resources.h"

#include <algorithm>

namespace afx {
namespace {
const ResourceSet* g_resources = nullptr;
const ResourceSet kEmpty{};

std::span<const std::uint8_t> FindData(std::span<const DialogDataResource> list, UINT dialogId) {
    const auto it = std::find_if(list.begin(), list.end(), [dialogId](const auto& r) { return r.dialogId == dialogId; });
    return it == list.end() ? std::span<const std::uint8_t>() : it->bytes;
}
}  // namespace

void SetResources(const ResourceSet& resources) {
    g_resources = &resources;
}

const ResourceSet& GetResources() {
    return g_resources ? *g_resources : kEmpty;
}

const DialogTemplate* FindDialog(UINT id) {
    for (const DialogTemplate& d : GetResources().dialogs) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

const wchar_t* FindString(UINT id) {
    for (const StringResource& s : GetResources().strings) {
        if (s.id == id) return s.text;
    }
    return nullptr;
}

const IconResource* FindIcon(UINT id) {
    for (const IconResource& i : GetResources().icons) {
        if (i.id == id) return &i;
    }
    return nullptr;
}

std::span<const std::uint8_t> FindDialogInit(UINT dialogId) {
    return FindData(GetResources().dialogInit, dialogId);
}

}  // namespace afx
