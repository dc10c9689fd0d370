#include "FontConfiguration.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>

namespace afx {
namespace {

bool NamesACacheFolder(FcConfig* config) {
    FcStrList* folders = FcConfigGetCacheDirs(config);
    const bool any = folders && FcStrListNext(folders);
    FcStrListDone(folders);
    return any;
}

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// Where fontconfig would print something while it reads (its debugging
// output, a configuration file missing or, likely only in a file of the
// user's own, broken), FcInit reads alone: read twice, it would say it twice.
// (FcConfigFilename would make the default configuration, which is all of
// FcInit's work: the name is looked up for the configuration being made.)
bool ReadsQuietly(FcConfig* config) {
    if (Set("FC_DEBUG") || Set("FONTCONFIG_FILE")) return false;
    FcChar8* file = FcConfigGetFilename(config, nullptr);
    const bool found = file != nullptr;
    FcStrFree(file);
    return found;
}

}  // namespace

void LoadFontConfiguration() {
    // Checked against 2.14: FcConfigSetCurrent keeps a reference of its own,
    // and what FcInit reads besides is only described, never applied. Older
    // versions take FcInit's own way.
    if (FcGetVersion() >= 21400) {
        if (FcConfig* config = FcConfigCreate()) {
            // The very call FcInit makes: when it fails, FcInit reads the
            // files again, falls back to its built-in configuration and says so.
            if (ReadsQuietly(config) && FcConfigParseAndLoad(config, nullptr, FcTrue) && NamesACacheFolder(config) &&
                FcConfigBuildFonts(config)) {
                FcConfigSetCurrent(config);
            }
            FcConfigDestroy(config);
        }
    }
    // Nothing more to do once a configuration is current.
    FcInit();
}

bool FontFamilyInstalled(const char* family) {
    const auto* name = reinterpret_cast<const FcChar8*>(family);
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    // The fonts with that name among their names, each listed with all its names.
    FcFontSet* fonts = pattern && objects && FcPatternAddString(pattern, FC_FAMILY, name)
                           ? FcFontList(nullptr, pattern, objects)
                           : nullptr;
    bool installed = false;
    for (int i = 0; fonts && i < fonts->nfont && !installed; ++i) {
        FcChar8* first = nullptr;
        installed = FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &first) == FcResultMatch &&
                    FcStrCmpIgnoreCase(first, name) == 0;
    }
    if (fonts) FcFontSetDestroy(fonts);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    return installed;
}

}  // namespace afx
