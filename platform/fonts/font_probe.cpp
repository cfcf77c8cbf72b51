#include "platform/fonts/font_probe.h"

#include <fontconfig/fontconfig.h>

namespace platform {

bool IsFontFacePresent(const std::string& family) {
  if (family.empty()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool present = false;
  FcChar8* matched = nullptr;
  // A font may declare several family names (one per language); any of them
  // equal to the request counts.
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &matched) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(matched, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) {
      present = true;
      break;
    }
  }
  FcPatternDestroy(match);
  return present;
}

}  // namespace platform
