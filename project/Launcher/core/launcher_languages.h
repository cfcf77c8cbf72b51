#pragma once
// The launcher's languages: the 18 language codes (which also name the
// language-table files), the keys of their own names shown in the settings,
// the locale identifiers that pick a language on a first run, and the fonts
// the launcher carries for them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int kLanguageCount = 18;

extern const std::array<const char*, kLanguageCount> kLanguageCodes;
extern const std::array<const char*, kLanguageCount> kLanguageNameKeys;

// The code of a language index; an index outside the table gives "en".
std::string LanguageCodeForIndex(int languageType);

// The index whose code equals |code| exactly, if any.
std::optional<int> LanguageIndexForCode(std::string_view code);

// The language a Windows-style locale identifier selects on a first run;
// identifiers the table does not list give 0 ("en").
int LanguageIndexForLocaleId(uint32_t localeId);

// The locale identifier of a POSIX locale name such as "es_ES.UTF-8" or "de";
// 0 when the name is not one the launcher's languages know.
uint32_t LocaleIdForPosixLocale(std::string_view posixLocale);

// The language a POSIX locale name selects on a first run.
int LanguageIndexForPosixLocale(std::string_view posixLocale);

inline constexpr int kFontCount = 4;
extern const std::array<const char*, kFontCount> kFontFaceNames;
extern const std::array<const char*, kFontCount> kFontRegistryNames;
extern const std::array<const char*, kFontCount> kFontFileNames;
