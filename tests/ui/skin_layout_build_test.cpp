// Every layout of the built skin package becomes a control tree through the
// layout builder (tags of widgets that are not built yet are skipped, and
// must at least belong to the skin vocabulary); and the launcher's UI
// start-up opens the package, loads "global.xml" and the language table,
// and shuts the framework down again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>
#include <set>
#include <string>

#include "base/framework/message_loop.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/core/store_hooks.h"
#include "skin/embedded_resources.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/skin_checker.h"
#include "tests/ui/zip_fixture.h"
#include "ui/box.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/layout_builder.h"
#include "ui/skin_archive.h"
#include "ui/wide_text.h"
#include "ui/widget_factory.h"
#include "ui/window.h"
#include "ui/zip_reader.h"

namespace ui::testing {
namespace {

// The control tags the skin may use.
const std::set<std::string>& Vocabulary() {
  static const std::set<std::string> tags = {
      "Box", "HBox", "VBox", "TileBox", "ChildBox", "TabBox", "HTabBox", "VTabBox", "ListBox",
      "HListBox", "VListBox", "TileListBox", "VirtualListBox", "ListContainerElement", "TreeView",
      "TreeNode", "Control", "Label", "LabelBox", "Button", "ButtonBox", "Option", "OptionBox",
      "CheckBox", "CheckBoxBox", "Combo", "Progress", "CircleProgress", "Slider", "ScrollBar",
      "RichEdit", "CefControl", "MenuItem"};
  return tags;
}

class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedWorkingFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST(SkinLayoutBuildTest, EveryShippedLayoutBuildsAWindowTree) {
  kbase::MessageLoop loop;  // windows delete replaced trees through their loop
  const auto embedded = skin::EmbeddedSkinPackage();
  SkinArchive::Set(OpenZipArchive(embedded.data(), embedded.size(), kZipFromMemory, ""));
  ASSERT_NE(SkinArchive::Get(), nullptr);
  GlobalManager::SetResourcePath(u"resources/themes/default/");
  GlobalManager::LoadGlobalXml();
  EXPECT_FALSE(GlobalManager::GetClassAttributes(u"vscrollbar").empty());
  EXPECT_NE(GlobalManager::GetFont(u""), nullptr) << "global.xml names a default font";

  SkinChecker checker(SkinChecker::ReadArchive(LAUNCHER_SKIN_ZIP));
  const std::string theme = SkinChecker::kTheme;
  int built = 0;
  for (const std::string& member : checker.LayoutMembers()) {
    const std::string layout = member.substr(theme.size());
    if (layout == "global.xml") continue;
    SCOPED_TRACE(layout);
    std::set<std::string> skipped;
    const CreateControlCallback record = [&skipped](const std::u16string& tag) -> Control* {
      skipped.insert(Utf16ToUtf8(tag));
      return nullptr;
    };
    Window window;
    LayoutBuilder builder;
    Control* root = builder.Create(Utf8ToUtf16(layout), record, &window);
    EXPECT_TRUE(builder.GetDocument().GetErrorMessage().empty()) << Utf16ToUtf8(builder.GetDocument().GetErrorMessage());
    if (root == nullptr) {
      // Only a layout whose top control is a widget not built yet.
      MarkupNode top = builder.GetDocument().GetRoot().GetChild();
      ASSERT_TRUE(top.IsValid());
      EXPECT_TRUE(skipped.count(Utf16ToUtf8(top.GetName()))) << "nothing built from " << layout;
    } else {
      EXPECT_TRUE(window.AttachRoot(root));
    }
    for (const std::string& tag : skipped) {
      EXPECT_TRUE(Vocabulary().count(tag)) << "a tag outside the skin vocabulary: " << tag;
      EXPECT_FALSE(WidgetFactory::GetInstance().IsRegistered(Utf8ToUtf16(tag)));
    }
    ++built;
  }
  EXPECT_GE(built, 20);
  SkinArchive::Close();
  GlobalManager::RemoveAllFonts();
  GlobalManager::RemoveAllTextColors();
  GlobalManager::RemoveAllClasss();
  GlobalManager::SetResourcePath(u"");
}

TEST(FrameworkUiTest, StartUpReadsGlobalXmlAndTheLanguageFromTheCarriedPackage) {
  TempFolder folder;
  ScopedWorkingFolder working(folder.path());
  const auto embedded = skin::EmbeddedSkinPackage();
  SetEmbeddedSkinPackage(embedded.data(), embedded.size());

  StartFrameworkUi("de");
  ASSERT_NE(SkinArchive::Get(), nullptr);
  EXPECT_EQ(Utf16ToUtf8(GlobalManager::GetResourcePath()), "resources/themes/default\\");
  EXPECT_FALSE(GlobalManager::GetClassAttributes(u"hscrollbar").empty());
  EXPECT_NE(GlobalManager::GetFont(u""), nullptr);
  EXPECT_EQ(LanguageTable::GetInstance().GetText(u"STRING_CONFIRM"), u"BESTÄTIGEN");

  // The store's hooks reach the framework.
  StoreHooks hooks;
  BindFrameworkHooks(&hooks);
  EXPECT_EQ(hooks.languageText("STRING_CONFIRM"), u"BESTÄTIGEN");
  hooks.setUiChannel("KR");
  EXPECT_EQ(GlobalManager::GetChannel(), u"KR");
  std::string config;
  EXPECT_TRUE(hooks.readResourceFile("common_config.json", &config));
  GlobalManager::AddClass(u"stale", u"width=\"1\"");
  PrepareSkinPackage();
  hooks.reloadSkin();
  EXPECT_TRUE(GlobalManager::GetClassAttributes(u"stale").empty());
  EXPECT_FALSE(GlobalManager::GetClassAttributes(u"hscrollbar").empty());

  ShutdownFrameworkUi();
  EXPECT_EQ(SkinArchive::Get(), nullptr);
  EXPECT_EQ(GlobalManager::GetFont(u""), nullptr);
  GlobalManager::SetChannel(u"AppStore");
  GlobalManager::RemoveAllClasss();
  GlobalManager::RemoveAllTextColors();
  LanguageTable::GetInstance().Clear();
  SetEmbeddedSkinPackage(nullptr, 0);
}

TEST(FrameworkUiTest, ASkinPackageBesideTheProgramWinsOverTheCarriedOne) {
  TempFolder folder;
  ScopedWorkingFolder working(folder.path());
  std::filesystem::create_directories(folder.File("update"));
  // A package of its own, built from the carried one with another global.xml.
  SkinChecker checker(SkinChecker::ReadArchive(LAUNCHER_SKIN_ZIP));
  checker.members()["resources/themes/default/global.xml"] =
      "<Global><TextColor name=\"beside\" value=\"#ff0000ff\"/></Global>";
  std::vector<ZipMemberSpec> members;
  for (const auto& [name, bytes] : checker.members()) members.push_back(ZipMemberSpec{name, bytes});
  std::ofstream(folder.File("resources.zip"), std::ios::binary) << BuildZip(members);
  const auto embedded = skin::EmbeddedSkinPackage();
  SetEmbeddedSkinPackage(embedded.data(), embedded.size());

  StartFrameworkUi("en");
  EXPECT_EQ(GlobalManager::GetTextColor(u"beside"), 0xFF0000FFu);
  EXPECT_EQ(LanguageTable::GetInstance().GetText(u"STRING_CONFIRM"), u"CONFIRM");
  ShutdownFrameworkUi();
  GlobalManager::RemoveAllTextColors();
  LanguageTable::GetInstance().Clear();
  SetEmbeddedSkinPackage(nullptr, 0);
}

}  // namespace
}  // namespace ui::testing
