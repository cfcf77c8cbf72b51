#include "project/Launcher/services/update_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts/user_fonts.h"
#include "base/util/string_util.h"
#include "project/Launcher/services/carried_fonts.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/font_installer.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/system_info.h"
#include "tests/services/program_folder_fixture.h"
#include "ui/font_settings.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
  std::string text;
  return ReadFileToString(path, text) ? text : std::string("<missing>");
}

std::vector<std::string> List(const char* path) {
  std::vector<std::string> names;
  if (!ReadJsonStringList(path, names)) return {"<no list>"};
  return names;
}

class UpdateListsTest : public ProgramFolderTest {};

TEST_F(UpdateListsTest, EngineFilesMoveIntoPlaceAndOnlyFailuresStay) {
  WriteProgramFile("update/cef/libcef.so", "new engine");
  WriteProgramFile("update/cef/locales/en.pak", "pak");
  WriteProgramFile("cef/libcef.so", "old engine");
  WriteProgramFile("update/cef/blocked", "cannot land");
  // The destination is a folder with content: the copy cannot replace it.
  WriteProgramFile("cef/blocked/keep", "x");
  WriteProgramFile("update/evil", "outside");
  WriteJsonStringList(kCefUpdateList, {"cef/libcef.so", "cef\\locales\\en.pak", "../evil",
                                       "/etc/passwd", "cef/../../evil", "cef/blocked",
                                       "cef/never-staged"});

  ApplyCefUpdate();

  EXPECT_EQ(Read(ProgramFile("cef/libcef.so")), "new engine");
  EXPECT_EQ(Read(ProgramFile("cef/locales/en.pak")), "pak");
  EXPECT_FALSE(fs::exists(ProgramFile("update/cef/libcef.so")));
  EXPECT_FALSE(fs::exists(ProgramFile("update/cef/locales/en.pak")));
  // Nothing left the program's folder; the unsafe and unstaged names are
  // dropped, the failed copy stays for the next run with its staged file.
  EXPECT_FALSE(fs::exists(folder_.Join("evil")));
  EXPECT_EQ(List(kCefUpdateList), std::vector<std::string>{"cef/blocked"});
  EXPECT_EQ(Read(ProgramFile("update/cef/blocked")), "cannot land");

  fs::remove_all(ProgramFile("cef/blocked"));
  ApplyCefUpdate();
  EXPECT_EQ(Read(ProgramFile("cef/blocked")), "cannot land");
  EXPECT_FALSE(fs::exists(kCefUpdateList));
}

TEST_F(UpdateListsTest, AnEmptyOrBrokenListTouchesNothingElse) {
  WriteProgramFile("update/cef_update.txt", "[]");
  ApplyCefUpdate();
  EXPECT_FALSE(fs::exists(kCefUpdateList));

  WriteProgramFile("update/cef_update.txt", "{not json");
  ApplyCefUpdate();
  EXPECT_EQ(Read(kCefUpdateList), "{not json");
}

TEST_F(UpdateListsTest, FontsTakeBareNamesOnlyAndFailedOnesStay) {
  WriteProgramFile("update/New.ttf", "font bytes");
  WriteProgramFile("update/Blocked.ttf", "blocked");
  WriteProgramFile("update/sub/Deep.ttf", "deep");
  // The font folder already holds a folder where Blocked.ttf would go.
  fs::create_directories(FontFolder() + "/Blocked.ttf/x");
  WriteJsonStringList(kFontUpdateList, {"New.ttf", "sub/Deep.ttf", "../New.ttf", "Blocked.ttf",
                                        "Gone.ttf"});

  ApplyFontUpdate();

  EXPECT_EQ(Read(FontFolder() + "/New.ttf"), "font bytes");
  EXPECT_EQ(Read(ProgramFile("New.ttf")), "font bytes");
  EXPECT_FALSE(fs::exists(ProgramFile("update/New.ttf")));
  EXPECT_FALSE(fs::exists(FontFolder() + "/Deep.ttf"));
  EXPECT_EQ(List(kFontUpdateList), std::vector<std::string>{"Blocked.ttf"});
  EXPECT_TRUE(fs::exists(ProgramFile("update/Blocked.ttf")));
}

class FontInstallerTest : public ProgramFolderTest {};

TEST_F(FontInstallerTest, InstallsRegistersAndSetsTheFaces) {
  ASSERT_TRUE(InstallFonts(std::nullopt));
  for (const CarriedFontInfo& font : kCarriedFonts) {
    const std::string path = FontFolder() + "/" + font.fileName;
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    EXPECT_EQ(ReadMachineRegistryString(kFontsRegistryKey, font.registryName), font.fileName);
  }
  // The carried fonts are real fonts with the faces the skins name.
  EXPECT_EQ(platform::FontFileFamilies(FontFolder() + "/SourceHanSansCNRegular.ttf"),
            "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Regular");
  EXPECT_EQ(platform::FontFileFamilies(FontFolder() + "/SourceHanSansCNBold.ttf"),
            "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Bold");
  EXPECT_EQ(platform::FontFileFamilies(FontFolder() + "/LomaB.ttf"), "Loma");
  const ui::ProbedFontFaces cjk{u"\u601D\u6E90\u9ED1\u4F53 CN Regular",
                            u"\u601D\u6E90\u9ED1\u4F53 CN Bold",
                            u"\u601D\u6E90\u9ED1\u4F53 CN Regular"};
  EXPECT_EQ(ui::GetProbedFontFaces(ui::FontFaceSet::kSystem), cjk);
  EXPECT_EQ(ui::GetProbedFontFaces(ui::FontFaceSet::kButton), cjk);
  EXPECT_TRUE(ui::TextAntiAlias());
}

TEST_F(FontInstallerTest, TheOverrideDecidesAntiAliasing) {
  const struct {
    const char16_t* text;
    bool antiAlias;
  } cases[] = {{u"taa", true}, {u"text_anti_alias", true}, {u"TAA", false},
               {u"Text_Anti_Alias", false}, {u"taa1", false}, {u"", false}};
  for (const auto& c : cases) {
    ui::SetTextAntiAlias(!c.antiAlias);
    ASSERT_TRUE(InstallFonts(std::u16string(c.text)));
    EXPECT_EQ(ui::TextAntiAlias(), c.antiAlias) << kbase::UTF16ToUTF8(c.text);
  }
}

// Another real font than the one the program carries under that name.
std::string OtherFont(int32_t resource) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  EXPECT_TRUE(FindCarriedFont(resource, &data, &size));
  return std::string(reinterpret_cast<const char*>(data), size);
}

TEST_F(FontInstallerTest, AFontAlreadyThereIsKeptAndNeverUninstalled) {
  const std::string usersLoma = OtherFont(143);
  const std::string users = folder_.Write("data/fonts/LomaN.ttf", usersLoma);
  ASSERT_TRUE(InstallFonts(std::nullopt));
  EXPECT_EQ(Read(users), usersLoma);

  // A font the program wrote but the user replaced since is not ours either.
  const std::string replaced = OtherFont(142);
  folder_.Write("data/fonts/LomaB.ttf", replaced);

  UninstallFonts();
  EXPECT_EQ(Read(users), usersLoma);
  EXPECT_EQ(Read(FontFolder() + "/LomaB.ttf"), replaced);
  EXPECT_FALSE(fs::exists(FontFolder() + "/SourceHanSansCNRegular.ttf"));
  EXPECT_FALSE(fs::exists(FontFolder() + "/SourceHanSansCNBold.ttf"));
  for (const CarriedFontInfo& font : kCarriedFonts) {
    EXPECT_EQ(ReadMachineRegistryString(kFontsRegistryKey, font.registryName), "");
  }
}

TEST_F(FontInstallerTest, InstallAppliesTheFontList) {
  WriteProgramFile("update/Extra.ttf", "extra");
  WriteJsonStringList(kFontUpdateList, {"Extra.ttf"});
  ASSERT_TRUE(InstallFonts(std::nullopt));
  EXPECT_EQ(Read(FontFolder() + "/Extra.ttf"), "extra");
  EXPECT_FALSE(fs::exists(kFontUpdateList));
}

}  // namespace
