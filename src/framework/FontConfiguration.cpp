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
    // Checked against 2.14: FcConfigSetCurrent keeps a reference of its own,
    // and what FcInit reads besides is only described, never applied. Older
    // versions take FcInit's own way.
    if ((!debug || !*debug) && FcGetVersion() >= 21400) {
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
