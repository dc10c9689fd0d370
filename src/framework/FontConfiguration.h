// fontconfig's configuration, read once for the whole process.
#pragma once

namespace afx {

/// Reads fontconfig's configuration files and its list of fonts and makes
/// them the current configuration: what FcInit does, less the parse of the
/// configuration templates (conf.avail) that FcInit reads only so that
/// fc-conflist can describe them, a third of its time. Call it before
/// anything else in the process uses fontconfig, on any thread. Where its
/// short way does not apply (fontconfig before 2.14, FC_DEBUG or
/// FONTCONFIG_FILE set, no configuration file, no cache folder named),
/// FcInit does it all, with its own fallbacks and messages, once.
void LoadFontConfiguration();

/// Whether a font whose own family name (its first one, not a name in
/// another language) is family, in UTF-8 and in any case, is installed: the
/// families Qt lists, without waiting for Qt to list them.
bool FontFamilyInstalled(const char* family);

}  // namespace afx
