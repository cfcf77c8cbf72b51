#include "platform/fonts/user_fonts.h"

#include <fontconfig/fontconfig.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

// Fontconfig keeps its configuration and caches for the whole process; they
// are released at exit so leak checkers see a clean process.
bool InitFontconfig() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    ready = FcInit() == FcTrue;
    if (ready) std::atexit([] { FcFini(); });
  });
  return ready;
}

}  // namespace

std::string UserFontFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/fonts";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share/fonts";
  struct passwd* pw = getpwuid(getuid());
  if (pw != nullptr && pw->pw_dir != nullptr) {
    return std::string(pw->pw_dir) + "/.local/share/fonts";
  }
  return "/tmp/.local/share/fonts";
}

bool RegisterFontFile(const std::string& path) {
  if (!InitFontconfig()) return false;
  return FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str())) == FcTrue;
}

std::string FontFileFamilies(const std::string& path) {
  if (!InitFontconfig()) return std::string();
  int count = 0;
  FcPattern* pattern =
      FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr, &count);
  if (pattern == nullptr) return std::string();
  std::string families;
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    if (!families.empty()) families += ",";
    families += reinterpret_cast<const char*>(family);
  }
  FcPatternDestroy(pattern);
  return families;
}

}  // namespace platform
