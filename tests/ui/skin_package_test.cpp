// The built skin package ("resources.zip"), read with the project's own zip
// reader, markup parser and language table: every layout parses, the
// controls the windows look up exist with their tags, every image, class,
// font, colour and text id a layout names is there, the 18 language tables
// agree with the English one, and the channel configurations are sound. The
// same checks run on damaged copies to show that they catch what they are
// for. The package carried inside the program is the one built.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "project/Launcher/core/launcher_languages.h"
#include "project/Launcher/core/skin_package.h"
#include "skin/embedded_resources.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/skin_checker.h"
#include "ui/language_table.h"
#include "ui/skin_archive.h"
#include "ui/wide_text.h"
#include "ui/zip_reader.h"

namespace ui::testing {
namespace {

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& line : problems) text += "\n  " + line;
  return text;
}

const SkinChecker::Members& BuiltPackage() {
  static const SkinChecker::Members members = SkinChecker::ReadArchive(LAUNCHER_SKIN_ZIP);
  return members;
}

std::vector<std::string> LanguageCodes() {
  return {kLanguageCodes.begin(), kLanguageCodes.end()};
}

std::vector<std::string> LanguageNameKeys() {
  return {kLanguageNameKeys.begin(), kLanguageNameKeys.end()};
}

// Every language key the program's sources name as a literal.
std::set<std::string> KeysUsedByCode() {
  static const std::regex kKey("\"(STRING_[A-Z0-9_]+)\"");
  std::set<std::string> keys;
  for (const char* folder : {"project", "ui", "browser"}) {
    const std::filesystem::path root = std::filesystem::path(LAUNCHER_SOURCE_DIR) / folder;
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const std::string extension = entry.path().extension().string();
      if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
      std::ifstream file(entry.path());
      const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      for (auto it = std::sregex_iterator(text.begin(), text.end(), kKey); it != std::sregex_iterator(); ++it) {
        keys.insert((*it)[1].str());
      }
    }
  }
  return keys;
}

struct NamedControl {
  const char* layout;
  const char* name;
  const char* tag;
};

// The controls the windows bind by name, with the tag that gives them the
// class the code expects.
const NamedControl kNamedControls[] = {
    {"main/skin.xml", "btn_close", "Button"},
    {"main/skin.xml", "minbtn", "Button"},
    {"main/skin.xml", "wnd_title", "Label"},
    {"main/skin.xml", "text_version", "Label"},
    {"main/skin.xml", "text_title_main", "Label"},
    {"main/skin.xml", "text_title_sub", "Label"},
    {"main/skin.xml", "btn_settings", "Button"},
    {"main/skin.xml", "btn_game", "Button"},
    {"main/skin.xml", "tab_assets", "TabBox"},
    {"main/skin.xml", "tab_predlc", "TabBox"},
    {"main/skin.xml", "webview", "CefControl"},
    {"main/skin.xml", "webview_debug", "CefControl"},
    {"main/skin.xml", "jump_links", "HBox"},
    {"main/skin.xml", "scroll_pages", "HListBox"},
    {"main/skin.xml", "dot_list", "HListBox"},
    {"main/skin.xml", "btn_scroll_left", "Button"},
    {"main/skin.xml", "btn_scroll_right", "Button"},
    {"main/skin.xml", "tab_labels", "HListBox"},
    {"main/skin.xml", "tab_pages", "TabBox"},
    {"main/skin.xml", "poster_frame", "Box"},
    {"main/tab_asset_setup.xml", "text_set_path", "Label"},
    {"main/tab_asset_setup.xml", "btn_set_path", "Button"},
    {"main/tab_asset_setup.xml", "text_title", "Label"},
    {"main/tab_asset_download.xml", "text_download_info", "Label"},
    {"main/tab_asset_download.xml", "text_download_time", "Label"},
    {"main/tab_asset_download.xml", "text_download_speed", "Label"},
    {"main/tab_asset_download.xml", "progress", "Progress"},
    {"main/tab_asset_download.xml", "btn_download_ctrl", "Button"},
    {"main/tab_asset_check.xml", "text_check_asset", "Label"},
    {"main/tab_asset_check.xml", "progress", "Progress"},
    {"main/tab_predlc_before.xml", "btn_download_ctrl", "Button"},
    {"main/tab_predlc_before.xml", "box_hint", "VBox"},
    {"main/tab_predlc_before.xml", "text_title", "Label"},
    {"main/tab_predlc_before.xml", "text_info", "Label"},
    {"main/tab_predlc_download.xml", "btn_download_ctrl", "Button"},
    {"main/tab_predlc_download.xml", "box_hint", "VBox"},
    {"main/tab_predlc_download.xml", "text_title", "Label"},
    {"main/tab_predlc_download.xml", "text_info", "Label"},
    {"main/tab_predlc_download.xml", "progress", "Progress"},
    {"main/tab_predlc_finish.xml", "box_hint", "VBox"},
    {"main/tab_predlc_finish.xml", "text_title", "Label"},
    {"main/tab_predlc_finish.xml", "text_info", "Label"},
    {"main/scroll_page.xml", "bk_image", "Control"},
    {"main/scroll_dot.xml", "btn_dot", "Button"},
    {"main/tab_label.xml", "tab_name", "Label"},
    {"main/tab_label.xml", "tab_line", "Control"},
    {"main/news_item.xml", "news_content", "Label"},
    {"main/news_item.xml", "news_date", "Label"},
    {"predlc/skin.xml", "wnd_title", "Label"},
    {"predlc/skin.xml", "btn_close", "Button"},
    {"predlc/skin.xml", "content", "Label"},
    {"predlc/skin.xml", "size_box", "HBox"},
    {"predlc/skin.xml", "space_box", "HBox"},
    {"predlc/skin.xml", "text_size_title", "Label"},
    {"predlc/skin.xml", "text_size_value", "Label"},
    {"predlc/skin.xml", "text_space_title", "Label"},
    {"predlc/skin.xml", "text_space_value", "Label"},
    {"predlc/skin.xml", "btn_cancel", "Button"},
    {"predlc/skin.xml", "btn_confirm", "Button"},
    {"predlc/popup_skin.xml", "text_title", "Label"},
    {"predlc/popup_skin.xml", "text_info", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_size_title", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_size", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_time_title", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_time", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_speed_title", "Label"},
    {"predlc/popup_skin.xml", "text_dlc_speed", "Label"},
    {"msgbox/skin.xml", "title", "Label"},
    {"msgbox/skin.xml", "content", "Label"},
    {"msgbox/skin.xml", "detail", "Label"},
    {"msgbox/skin.xml", "btn_yes", "Button"},
    {"msgbox/skin.xml", "btn_no", "Button"},
    {"optionsbox/skin.xml", "content", "Label"},
    {"optionsbox/skin.xml", "option_vlist", "VBox"},
    {"optionsbox/skin.xml", "btn_ok", "Button"},
    {"setting/skin.xml", "wnd_title", "Label"},
    {"setting/skin.xml", "btn_close", "Button"},
    {"setting/skin.xml", "setting_btns", "VListBox"},
    {"setting/skin.xml", "setting_pages", "VListBox"},
    {"setting/skin.xml", "btn_cancel", "Button"},
    {"setting/skin.xml", "btn_confirm", "Button"},
    {"setting/tab_label.xml", "tab_name", "Label"},
    {"setting/tab_page0.xml", "vbox_set_language", "VBox"},
    {"setting/tab_page0.xml", "combo_set_language", "Combo"},
    {"setting/tab_page0.xml", "checkbox_start", "CheckBox"},
    {"setting/tab_page0.xml", "option_trayicon", "Option"},
    {"setting/tab_page0.xml", "option_exit", "Option"},
    {"setting/tab_page0.xml", "option_on", "Option"},
    {"setting/tab_page0.xml", "option_off", "Option"},
    {"setting/tab_page0.xml", "speed_tip", "Control"},
    {"setting/tab_page0.xml", "option_nolimit_speed", "Option"},
    {"setting/tab_page0.xml", "option_limit_speed", "Option"},
    {"setting/tab_page0.xml", "text_speed", "RichEdit"},
    {"setting/tab_page0.xml", "predlc_speed_tip", "Control"},
    {"setting/tab_page0.xml", "predlc_option_nolimit_speed", "Option"},
    {"setting/tab_page0.xml", "predlc_option_limit_speed", "Option"},
    {"setting/tab_page0.xml", "predlc_text_speed", "RichEdit"},
    {"setting/tab_page1.xml", "text_game_path", "Label"},
    {"setting/tab_page1.xml", "btn_find_game", "Button"},
    {"setting/tab_page1.xml", "btn_repair_game", "Button"},
    {"setting/tab_page1.xml", "local_tip", "Control"},
    {"setting/tab_page1.xml", "repair_tip", "Control"},
    {"setting/tab_page2.xml", "btn_launcher_update", "Button"},
    {"setting/tab_page2.xml", "label_launcher_version", "Label"},
    {"setting/tab_page2.xml", "btn_game_update", "Button"},
    {"setting/tab_page2.xml", "label_game_version", "Label"},
    {"setting/tab_page2.xml", "btn_agreement", "Button"},
    {"setting/tab_page2.xml", "btn_privacy", "Button"},
    {"setup/skin.xml", "text_set_path", "Label"},
    {"setup/skin.xml", "lable_need_space", "Label"},
    {"setup/skin.xml", "lable_free_space", "Label"},
    {"setup/skin.xml", "btn_close", "Button"},
    {"setup/skin.xml", "btn_change", "Button"},
    {"setup/skin.xml", "btn_ok", "Button"},
};

// The layouts the panels fill their boxes from, and the window sizes.
const char* const kFilledLayouts[] = {
    "main/tab_asset_none.xml", "main/tab_predlc_none.xml", "main/tab_page.xml"};

struct WindowSize {
  const char* layout;
  const char* size;
};
const WindowSize kWindowSizes[] = {
    {"main/skin.xml", "1340,750"},      {"predlc/skin.xml", "580,418"},
    {"predlc/popup_skin.xml", "318,212"}, {"msgbox/skin.xml", "504,320"},
    {"optionsbox/skin.xml", "504,320"}, {"setting/skin.xml", "844,540"},
    {"setup/skin.xml", "584,420"},
};

class SkinPackageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(BuiltPackage().empty()) << "cannot read " << LAUNCHER_SKIN_ZIP; }
  SkinChecker checker_{BuiltPackage()};
};

TEST_F(SkinPackageTest, EveryLayoutParsesWithoutByteOrderMark) {
  // global.xml and the 24 window, panel and row layouts.
  EXPECT_EQ(checker_.LayoutMembers().size(), 25u);
  EXPECT_EQ(checker_.CheckLayoutsParse(), std::vector<std::string>()) << Joined(checker_.CheckLayoutsParse());
}

TEST_F(SkinPackageTest, ControlsTheWindowsLookUpExistWithTheirTags) {
  for (const NamedControl& control : kNamedControls) {
    EXPECT_TRUE(checker_.HasNamedElement(control.layout, control.name, control.tag))
        << control.layout << ": no " << control.tag << " named " << control.name;
  }
  // The window base binds "closebtn" to a plain close that skips the close
  // flow: the main window must not have one.
  EXPECT_FALSE(checker_.HasNamedElement("main/skin.xml", "closebtn", "Button"));
  for (const char* layout : kFilledLayouts) {
    EXPECT_TRUE(BuiltPackage().count(std::string(SkinChecker::kTheme) + layout)) << layout;
  }
  for (const WindowSize& window : kWindowSizes) {
    EXPECT_EQ(checker_.RootAttribute(window.layout, "size"), window.size) << window.layout;
  }
  EXPECT_EQ(checker_.RootAttribute("main/skin.xml", "caption"), "0,0,0,30");
}

TEST_F(SkinPackageTest, EveryImageNamedIsPresentAndDecodes) {
  EXPECT_EQ(checker_.CheckImages(), std::vector<std::string>()) << Joined(checker_.CheckImages());
}

TEST_F(SkinPackageTest, EveryClassFontAndColourIsDefinedInGlobalXml) {
  EXPECT_EQ(checker_.CheckStyles(), std::vector<std::string>()) << Joined(checker_.CheckStyles());
}

TEST_F(SkinPackageTest, EveryTextIdOfLayoutsConfigurationAndCodeIsInEnglishTable) {
  const std::set<std::string> codeKeys = KeysUsedByCode();
  // The sources name at least the texts of the update flow's boxes.
  EXPECT_TRUE(codeKeys.count("STRING_ERROR_UPDATE"));
  EXPECT_EQ(checker_.CheckTextIds(codeKeys), std::vector<std::string>())
      << Joined(checker_.CheckTextIds(codeKeys));
}

TEST_F(SkinPackageTest, LanguageTablesAgreeWithEnglish) {
  auto problems = checker_.CheckLanguageTables(LanguageCodes(), LanguageNameKeys());
  EXPECT_EQ(problems, std::vector<std::string>()) << Joined(problems);
}

TEST_F(SkinPackageTest, ChannelConfigurationsAreSound) {
  EXPECT_EQ(checker_.CheckChannelConfigs(), std::vector<std::string>())
      << Joined(checker_.CheckChannelConfigs());
}

// The checks on damaged copies of the package: each damage is reported.
class DamagedSkinPackageTest : public ::testing::Test {
 protected:
  SkinChecker::Members& members() { return checker_.members(); }
  std::string& Member(const std::string& name) { return members().at(name); }
  static void Replace(std::string* text, const std::string& from, const std::string& to) {
    size_t at = text->find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text->replace(at, from.size(), to);
  }
  SkinChecker checker_{BuiltPackage()};
  const std::string theme_ = SkinChecker::kTheme;
  const std::string lang_ = SkinChecker::kLang;
};

TEST_F(DamagedSkinPackageTest, LayoutWithByteOrderMarkOrBrokenTagIsReported) {
  Member(theme_ + "msgbox/skin.xml").insert(0, "\xEF\xBB\xBF");
  Replace(&Member(theme_ + "setup/skin.xml"), "</Window>", "</Windo>");
  EXPECT_EQ(checker_.CheckLayoutsParse().size(), 3u) << Joined(checker_.CheckLayoutsParse());
}

TEST_F(DamagedSkinPackageTest, RenamedControlIsNotFound) {
  Replace(&Member(theme_ + "main/skin.xml"), "name=\"btn_game\"", "name=\"btn_play\"");
  EXPECT_FALSE(checker_.HasNamedElement("main/skin.xml", "btn_game", "Button"));
  EXPECT_FALSE(checker_.HasNamedElement("setting/skin.xml", "setting_pages", "ListBox"));
}

TEST_F(DamagedSkinPackageTest, MissingOrBrokenImageIsReported) {
  members().erase(theme_ + "public/img_btn_Pause_normal.png");  // named by a class
  members().erase(theme_ + "main/icon_link_faq_hot.png");       // named by the configuration
  std::string& dot = Member(theme_ + "main/dot_filled.png");     // named by a layout
  dot[dot.size() / 2] ^= 0x5A;
  auto problems = checker_.CheckImages();
  EXPECT_EQ(problems.size(), 3u) << Joined(problems);
}

TEST_F(DamagedSkinPackageTest, UndefinedClassFontOrColourIsReported) {
  std::string& global = Member(theme_ + "global.xml");
  Replace(&global, "<Class name=\"btn_radio\"", "<Class name=\"btn_radio_old\"");
  Replace(&global, "<Font id=\"system_bold_22\"", "<Font id=\"system_bold_24\"");
  Replace(&global, "<TextColor name=\"yellow30\"", "<TextColor name=\"yellow31\"");
  auto problems = checker_.CheckStyles();
  auto mentions = [&](const std::string& word) {
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& line) { return line.find(word) != std::string::npos; });
  };
  EXPECT_TRUE(mentions("btn_radio")) << Joined(problems);
  EXPECT_TRUE(mentions("system_bold_22")) << Joined(problems);
  EXPECT_TRUE(mentions("yellow30")) << Joined(problems);
}

TEST_F(DamagedSkinPackageTest, TextIdMissingFromEnglishTableIsReported) {
  Replace(&Member(lang_ + "en.ini"), "STRING_PREDLC_FINISH=", "STRING_PREDLC_FINISHED=");
  Replace(&Member(lang_ + "en.ini"), "STRING_LINK_FAQ=", "STRING_LINK_FAQS=");
  auto problems = checker_.CheckTextIds({"STRING_ERROR_RETRY", "STRING_NOT_A_KEY"});
  // The finish panel's layout, the FAQ of both configurations, the code's key.
  EXPECT_EQ(problems.size(), 4u) << Joined(problems);
}

TEST_F(DamagedSkinPackageTest, LanguageTableDifferencesAreReported) {
  std::string& german = Member(lang_ + "de.ini");
  Replace(&german, "STRING_CANCEL=", "STRING_CANCELLED=");                   // missing and extra key
  Replace(&german, "Verbleibende Zeit: %ls", "Verbleibende Zeit: %s");       // placeholder changed
  Replace(&german, "STRING_LANG_GERMAN=Deutsch", "STRING_LANG_GERMAN=German");  // name differs
  Replace(&Member(lang_ + "fr.ini"), "STRING_CLOSE=Fermer", "STRING_CLOSE=  ");  // empty text
  Replace(&Member(lang_ + "ar.ini"), "; Keys still in English:", "; Keys still in English: STRING_CONFIRM");
  auto problems = checker_.CheckLanguageTables(LanguageCodes(), LanguageNameKeys());
  // German: one key missing, one extra, a placeholder, the language name;
  // French: an empty text (which defines nothing); Arabic: a translated key
  // listed as English.
  EXPECT_EQ(problems.size(), 6u) << Joined(problems);
}

TEST_F(DamagedSkinPackageTest, ForeignAddressOrMissingSectionIsReported) {
  std::string& kr = Member(theme_ + "common_config_CHANNEL_KR.json");
  Replace(&kr, "\"url\": \"\"", "\"url\": \"file:///etc/passwd\"");
  Replace(&kr, "\"Titles\"", "\"Titels\"");
  Replace(&kr, "\"title_sub\": \"Chronicles", "\"title_sub\": \"ftp://example.org/Chronicles");
  Member(theme_ + "common_config.json").resize(40);
  auto problems = checker_.CheckChannelConfigs();
  EXPECT_EQ(problems.size(), 4u) << Joined(problems);
}

TEST(SkinCheckerTest, PlaceholdersAndTableKeys) {
  EXPECT_EQ(SkinChecker::Placeholders("a %ls b %s {p2} {p1} 100%%"),
            (std::vector<std::string>{"%%", "%ls", "%s", "{p1}", "{p2}"}));
  EXPECT_EQ(SkinChecker::TableKeys("; note=1\nA = x\nB=\n=C\nD=e=f\nE==g\r\n"),
            (std::vector<std::string>{"A", "E"}));
}

TEST(EmbeddedSkinTest, ProgramCarriesTheBuiltPackageAndIcon) {
  std::ifstream file(LAUNCHER_SKIN_ZIP, std::ios::binary);
  const std::string onDisk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto embedded = skin::EmbeddedSkinPackage();
  ASSERT_EQ(embedded.size(), onDisk.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(embedded.data()), embedded.size()), onDisk);

  auto handle = OpenZipArchive(embedded.data(), embedded.size(), kZipFromMemory, "");
  ASSERT_TRUE(handle);
  EXPECT_EQ(handle->reader->FindEntry(u"resources/themes/default/global.xml", nullptr, nullptr), kZipOk);
  EXPECT_EQ(handle->reader->FindEntry(u"resources/lang/en.ini", nullptr, nullptr), kZipOk);

  const auto icon = skin::EmbeddedAppIcon();
  EXPECT_TRUE(SkinChecker::DecodesAsPng(std::string(reinterpret_cast<const char*>(icon.data()), icon.size())));
}

// The launcher's start-up with no file beside the program: the carried
// package is opened, its language table and channel configuration are read;
// without a package, the "resources" folder on disk serves.
TEST(EmbeddedSkinTest, LauncherReadsTextsAndConfigurationFromCarriedPackageElseFromDisk) {
  TempFolder folder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const auto embedded = skin::EmbeddedSkinPackage();
  SetEmbeddedSkinPackage(embedded.data(), embedded.size());

  EXPECT_FALSE(PrepareSkinPackage());  // no "resources.zip" here
  LanguageTable& table = LanguageTable::GetInstance();
  EXPECT_TRUE(LoadSkinLanguage("de"));
  EXPECT_EQ(table.GetText(u"STRING_CONFIRM"), u"BESTÄTIGEN");
  EXPECT_EQ(table.GetText(u"STRING_LANG_KOREAN"), u"한국어");
  std::string config;
  EXPECT_TRUE(ReadSkinThemeFile("common_config_CHANNEL_KR.json", &config));
  EXPECT_NE(config.find("\"Forum\""), std::string::npos);
  EXPECT_FALSE(ReadSkinThemeFile("no_such_file.json", &config));
  EXPECT_FALSE(LoadSkinLanguage("xx"));
  EXPECT_EQ(table.GetText(u"STRING_CONFIRM"), u"");

  SkinArchive::Close();
  SetEmbeddedSkinPackage(nullptr, 0);
  EXPECT_FALSE(PrepareSkinPackage());
  EXPECT_FALSE(LoadSkinLanguage("en"));
  folder.Write("resources/lang/en.ini", "STRING_CONFIRM=FROM DISK\n");
  folder.Write("resources/themes/default/common_config.json", "{}");
  EXPECT_TRUE(LoadSkinLanguage("en"));
  EXPECT_EQ(table.GetText(u"STRING_CONFIRM"), u"FROM DISK");
  EXPECT_TRUE(ReadSkinThemeFile("common_config.json", &config));
  EXPECT_EQ(config, "{}");

  table.Clear();
  std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace ui::testing
