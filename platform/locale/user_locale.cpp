#include "platform/locale/user_locale.h"

#include <cstdlib>

namespace platform {

std::string UserLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "C";
}

std::optional<std::string> LocaleCountry(const std::string& localeName) {
  std::string name = localeName.substr(0, localeName.find_first_of(".@"));
  size_t underscore = name.find('_');
  if (underscore == std::string::npos) return std::nullopt;
  std::string territory = name.substr(underscore + 1);
  if (territory.size() != 2) return std::nullopt;
  for (char c : territory) {
    if (c < 'A' || c > 'Z') return std::nullopt;
  }
  return territory;
}

std::optional<std::string> UserLocaleCountry() { return LocaleCountry(UserLocaleName()); }

}  // namespace platform
