#pragma once
// The user's fonts: the folder fontconfig reads the user's own fonts from,
// and the registration of a font file with this process's fontconfig
// configuration, so text drawn afterwards can use its faces at once.

#include <string>

namespace platform {

// $XDG_DATA_HOME/fonts, else $HOME/.local/share/fonts (the account's home
// when HOME is unset). Nothing is created.
std::string UserFontFolder();

// Adds the font file to the fonts this process's fontconfig knows; false when
// fontconfig cannot read it as a font.
bool RegisterFontFile(const std::string& path);

// The family names the font file declares, joined by ","; empty when it is
// not a font fontconfig can read.
std::string FontFileFamilies(const std::string& path);

}  // namespace platform
