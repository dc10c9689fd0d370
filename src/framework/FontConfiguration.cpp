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

}  // namespace

void LoadFontConfiguration() {
    const char* debug = std::getenv("FC_DEBUG");
    // From 2.12 on, FcConfigSetCurrent keeps a reference of its own.
    if ((!debug || !*debug) && FcGetVersion() >= 21200) {
        if (FcConfig* config = FcConfigCreate()) {
            // The very call FcInit makes: when it fails, FcInit reads the
            // files again, falls back to its built-in configuration and says so.
            if (FcConfigParseAndLoad(config, nullptr, FcTrue) && NamesACacheFolder(config) &&
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
