// The four fonts the program carries, installed into the user's font folder
// when missing and registered with fontconfig, and the font settings of the
// UI framework that follow: the faces it probes for and whether text is drawn
// anti-aliased.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct CarriedFontInfo {
  const char* fileName;
  const char* registryName;  // UTF-8
  int32_t resource;
};

// In installation order.
extern const std::array<CarriedFontInfo, 4> kCarriedFonts;

// The fonts key of the machine registry the fonts are registered under.
inline constexpr char16_t kFontsRegistryKey[] =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// The ownership record: every font file this program wrote into the user's
// font folder, with its digest, so uninstalling never removes a font the user
// or the system put there.
inline constexpr char kInstalledFontsRecord[] = "./save/installed_fonts.txt";

// Writes each missing carried font (to a temporary file renamed into place),
// registers it under the fonts key and with fontconfig, applies the font
// list, and sets the UI framework's probed faces and anti-aliasing switch
// (ui/font_settings.h; |fontOverride|
// "text_anti_alias" or "taa" switches it on, any other text off). False, with
// the later steps left out, when a font cannot be written or registered.
bool InstallFonts(const std::optional<std::u16string>& fontOverride);

// Removes the four registrations and the font files this program wrote and
// that are still the very files it wrote.
void UninstallFonts();

// The UI framework's "button" set: the CJK regular, bold and regular faces.
void SetDefaultFontFaces();

// Records that the program wrote |fileName| with the digest |md5| into the
// user's font folder.
void RecordInstalledFont(const std::string& fileName, const std::string& md5);

