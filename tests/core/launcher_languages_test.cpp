#include "project/Launcher/core/launcher_languages.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/locale/user_locale.h"

TEST(LauncherLanguagesTest, LocaleIdentifiersSelectTheirLanguage) {
  struct Case {
    uint32_t localeId;
    int languageType;
  } cases[] = {
      {3082, 9},   {1034, 9},   {20490, 9},  {1041, 2},  {1042, 3},  {2052, 1},
      {133124, 1}, {4100, 4},   {197636, 4}, {1028, 4},  {2049, 13}, {15361, 13},
      {1025, 0},   {7169, 0},   {16385, 0},  {66567, 15}, {2110, 17}, {1033, 0},
      {0, 0},      {0xFFFFFFFF, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageIndexForLocaleId(c.localeId), c.languageType) << c.localeId;
  }
}

TEST(LauncherLanguagesTest, PosixLocalesMapThroughTheLocaleTable) {
  struct Case {
    const char* locale;
    int languageType;
  } cases[] = {
      {"es_ES.UTF-8", 9}, {"es_MX", 9},      {"es", 9},          {"ja_JP.UTF-8", 2},
      {"ko_KR.eucKR", 3}, {"zh_CN.UTF-8", 1}, {"zh_SG", 4},       {"zh_HK.UTF-8", 4},
      {"pt_BR.UTF-8", 12}, {"pt_PT", 12},    {"ar_EG.UTF-8", 13}, {"ar_SA.UTF-8", 0},
      {"ar_QA", 0},       {"de_AT@euro", 15}, {"fr_CA.UTF-8", 0}, {"en_GB.UTF-8", 0},
      {"C", 0},           {"POSIX", 0},       {"", 0},            {"ms_BN", 17},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageIndexForPosixLocale(c.locale), c.languageType) << c.locale;
  }
}

TEST(LauncherLanguagesTest, CodesOutsideTheTableFallBackToEnglish) {
  EXPECT_EQ(LanguageCodeForIndex(12), "pt_BR");
  EXPECT_EQ(LanguageCodeForIndex(17), "ms");
  EXPECT_EQ(LanguageCodeForIndex(18), "en");
  EXPECT_EQ(LanguageCodeForIndex(40), "en");
  EXPECT_EQ(LanguageCodeForIndex(-1), "en");
  EXPECT_EQ(LanguageCodeForIndex(INT32_MIN), "en");
  EXPECT_EQ(LanguageIndexForCode("de"), 15);
  EXPECT_EQ(LanguageIndexForCode("DE"), std::nullopt);
  EXPECT_EQ(LanguageIndexForCode("pt"), std::nullopt);
  for (int i = 0; i < kLanguageCount; ++i) {
    EXPECT_EQ(LanguageIndexForCode(LanguageCodeForIndex(i)), i);
  }
}

TEST(UserLocaleTest, MessagesLocaleComesFromTheFirstSetVariable) {
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    const char* locale;
  } cases[] = {
      {"de_DE.UTF-8", "fr_FR", "ja_JP", "de_DE.UTF-8"},
      {"", "fr_FR", "ja_JP", "fr_FR"},
      {nullptr, nullptr, "ja_JP.UTF-8", "ja_JP.UTF-8"},
      {"", "", "", "C"},
      {nullptr, nullptr, nullptr, "C"},
  };
  auto set = [](const char* name, const char* value) {
    if (value == nullptr) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value, 1);
    }
  };
  for (const Case& c : cases) {
    set("LC_ALL", c.all);
    set("LC_MESSAGES", c.messages);
    set("LANG", c.lang);
    EXPECT_EQ(platform::UserLocaleName(), c.locale);
  }
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("LANG");
  EXPECT_EQ(platform::LocaleCountry("pt_BR.UTF-8@x"), std::optional<std::string>("BR"));
  EXPECT_EQ(platform::LocaleCountry("sr_RS@latin"), std::optional<std::string>("RS"));
  EXPECT_EQ(platform::LocaleCountry("en"), std::nullopt);
  EXPECT_EQ(platform::LocaleCountry("en_us"), std::nullopt);
  EXPECT_EQ(platform::LocaleCountry("es_419"), std::nullopt);
}
