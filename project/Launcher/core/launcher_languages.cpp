#include "project/Launcher/core/launcher_languages.h"

#include <algorithm>

const std::array<const char*, kLanguageCount> kLanguageCodes = {
    "en", "zh_CN", "ja", "ko", "zh_TW", "vi", "fr", "id", "it",
    "es", "tr", "th", "pt_BR", "ar", "ru", "de", "pl", "ms"};

const std::array<const char*, kLanguageCount> kLanguageNameKeys = {
    "STRING_LANG_ENGLAND",    "STRING_LANG_CHINA",      "STRING_LANG_JAPANESE",
    "STRING_LANG_KOREAN",     "STRING_LANG_TAIWAN",     "STRING_LANG_VIETNAMESE",
    "STRING_LANG_FRENCH",     "STRING_LANG_INDONESIAN", "STRING_LANG_ITALIAN",
    "STRING_LANG_SPAISH",     "STRING_LANG_TURKIC",     "STRING_LANG_THAI",
    "STRING_LANG_PORTGUESE",  "STRING_LANG_ARABIC",     "STRING_LANG_RUSSIAN",
    "STRING_LANG_GERMAN",     "STRING_LANG_POLISH",     "STRING_LANG_MALAY"};

const std::array<const char*, kFontCount> kFontFaceNames = {
    "Loma", "Loma Bold", "思源黑体 CN Regular", "思源黑体 CN Bold"};
const std::array<const char*, kFontCount> kFontRegistryNames = {
    "Loma (TrueType)", "Loma Bold (TrueType)", "思源黑体 CN Regular (TrueType)",
    "思源黑体 CN Bold (TrueType)"};
const std::array<const char*, kFontCount> kFontFileNames = {
    "LomaN.ttf", "LomaB.ttf", "SourceHanSansCNRegular.ttf", "SourceHanSansCNBold.ttf"};

namespace {

struct LocaleLanguage {
  uint32_t localeId;
  int languageType;
};

// Locale identifiers that select a language other than English.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {2052, 1},   {133124, 1},
    {1041, 2},
    {1042, 3},
    {1028, 4},   {3076, 4},   {4100, 4},   {5124, 4},   {197636, 4},
    {1066, 5},
    {1036, 6},
    {1057, 7},
    {1040, 8},   {2064, 8},
    {1034, 9},   {2058, 9},   {3082, 9},   {4106, 9},   {5130, 9},
    {6154, 9},   {7178, 9},   {8202, 9},   {9226, 9},   {10250, 9},
    {11274, 9},  {12298, 9},  {13322, 9},  {14346, 9},  {15370, 9},
    {16394, 9},  {17418, 9},  {18442, 9},  {19466, 9},  {20490, 9},
    {1055, 10},
    {1054, 11},
    {1046, 12},  {2070, 12},
    {2049, 13},  {3073, 13},  {4097, 13},  {5121, 13},  {6145, 13},
    {11265, 13}, {12289, 13}, {13313, 13}, {14337, 13}, {15361, 13},
    {1049, 14},
    {1031, 15},  {2055, 15},  {3079, 15},  {4103, 15},  {5127, 15},  {66567, 15},
    {1045, 16},
    {1086, 17},  {2110, 17},
};

struct PosixLocale {
  const char* name;  // language, or language_TERRITORY
  uint32_t localeId;
};

// POSIX locale names of the identifiers above (and of the Arabic ones that
// the launcher deliberately leaves in English). A bare language name maps to
// that language's primary identifier.
constexpr PosixLocale kPosixLocales[] = {
    {"zh", 2052},     {"zh_CN", 2052},  {"zh_TW", 1028},  {"zh_HK", 3076},
    {"zh_SG", 4100},  {"zh_MO", 5124},
    {"ja", 1041},     {"ja_JP", 1041},
    {"ko", 1042},     {"ko_KR", 1042},
    {"vi", 1066},     {"vi_VN", 1066},
    {"fr", 1036},     {"fr_FR", 1036},
    {"id", 1057},     {"id_ID", 1057},
    {"it", 1040},     {"it_IT", 1040},  {"it_CH", 2064},
    {"es", 3082},     {"es_ES", 3082},  {"es_MX", 2058},  {"es_GT", 4106},
    {"es_CR", 5130},  {"es_PA", 6154},  {"es_DO", 7178},  {"es_VE", 8202},
    {"es_CO", 9226},  {"es_PE", 10250}, {"es_AR", 11274}, {"es_EC", 12298},
    {"es_CL", 13322}, {"es_UY", 14346}, {"es_PY", 15370}, {"es_BO", 16394},
    {"es_SV", 17418}, {"es_HN", 18442}, {"es_NI", 19466}, {"es_PR", 20490},
    {"tr", 1055},     {"tr_TR", 1055},
    {"th", 1054},     {"th_TH", 1054},
    {"pt", 2070},     {"pt_PT", 2070},  {"pt_BR", 1046},
    {"ar", 1025},     {"ar_SA", 1025},  {"ar_IQ", 2049},  {"ar_EG", 3073},
    {"ar_LY", 4097},  {"ar_DZ", 5121},  {"ar_MA", 6145},  {"ar_TN", 7169},
    {"ar_OM", 8193},  {"ar_YE", 9217},  {"ar_SY", 10241}, {"ar_JO", 11265},
    {"ar_LB", 12289}, {"ar_KW", 13313}, {"ar_AE", 14337}, {"ar_BH", 15361},
    {"ar_QA", 16385},
    {"ru", 1049},     {"ru_RU", 1049},
    {"de", 1031},     {"de_DE", 1031},  {"de_CH", 2055},  {"de_AT", 3079},
    {"de_LU", 4103},  {"de_LI", 5127},
    {"pl", 1045},     {"pl_PL", 1045},
    {"ms", 1086},     {"ms_MY", 1086},  {"ms_BN", 2110},
    {"en", 1033},     {"en_US", 1033},
};

uint32_t LookUpPosix(std::string_view name) {
  for (const PosixLocale& entry : kPosixLocales) {
    if (name == entry.name) return entry.localeId;
  }
  return 0;
}

}  // namespace

std::string LanguageCodeForIndex(int languageType) {
  if (languageType < 0 || languageType >= kLanguageCount) return kLanguageCodes[0];
  return kLanguageCodes[static_cast<size_t>(languageType)];
}

std::optional<int> LanguageIndexForCode(std::string_view code) {
  for (int i = 0; i < kLanguageCount; ++i) {
    if (code == kLanguageCodes[static_cast<size_t>(i)]) return i;
  }
  return std::nullopt;
}

int LanguageIndexForLocaleId(uint32_t localeId) {
  for (const LocaleLanguage& entry : kLocaleLanguages) {
    if (entry.localeId == localeId) return entry.languageType;
  }
  return 0;
}

uint32_t LocaleIdForPosixLocale(std::string_view posixLocale) {
  // "language[_TERRITORY][.codeset][@modifier]": the codeset and modifier do
  // not change the language.
  std::string_view name = posixLocale.substr(0, posixLocale.find_first_of(".@"));
  // A territory the table does not know (e.g. "fr_CA") is a locale the
  // launcher does not list, and so gives English on a first run.
  return LookUpPosix(name);
}

int LanguageIndexForPosixLocale(std::string_view posixLocale) {
  return LanguageIndexForLocaleId(LocaleIdForPosixLocale(posixLocale));
}
