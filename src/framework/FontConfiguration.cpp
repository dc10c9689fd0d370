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

}  // namespace afx
