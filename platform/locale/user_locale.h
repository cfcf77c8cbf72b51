#pragma once
// The user's locale, in place of the system's locale identifiers: the POSIX
// locale name the environment selects for messages.

#include <optional>
#include <string>

namespace platform {

// The first non-empty of LC_ALL, LC_MESSAGES and LANG; "C" when none is set.
std::string UserLocaleName();

// The two-letter territory of the user's locale ("es_ES.UTF-8" gives "ES");
// none when the locale names no territory.
std::optional<std::string> UserLocaleCountry();

// The territory part of a locale name, as above.
std::optional<std::string> LocaleCountry(const std::string& localeName);

}  // namespace platform
