// The layout builder over small layouts written to a temporary skin folder
// (or packed into an archive): window and global roots, fonts, colours,
// classes, includes and their bounds, layout events, tags nothing makes,
// children of controls that are not boxes, the layout cache and its reload,
// box filling, "global.xml", child boxes, and every layout of the shipped
// skin.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/zip_fixture.h"
#include "ui/child_box.h"
#include "ui/language_table.h"
#include "ui/layout_builder.h"
#include "ui/markup_document.h"
#include "ui/skin_archive.h"
#include "ui/vbox.h"
#include "ui/wide_text.h"
#include "ui/zip_reader.h"

namespace ui::testing {
namespace {

std::u16string W(const std::string& text) { return Utf8ToUtf16(text); }
std::string N(const std::u16string& text) { return Utf16ToUtf8(text); }

std::vector<std::string> ChildNames(const Box* box) {
  std::vector<std::string> names;
  for (const Control* child : box->GetChildren()) names.push_back(N(child->GetName()));
  return names;
}

class LayoutBuilderTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    GlobalManager::SetResourcePath(W(dir_.path().string()));
  }
  void TearDown() override {
    SkinArchive::Close();
    GlobalManager::ClearLayoutCache();
    GlobalManager::RemoveAllFonts();
    GlobalManager::RemoveAllTextColors();
    GlobalManager::SetDefaultTextColor(u"textdefaultcolor");
    GlobalManager::SetDefaultDisabledTextColor(u"textdefaultdisablecolor");
    GlobalManager::SetResourcePath(u"");
    RunUntilIdle();
    ControlTreeTest::TearDown();
  }

  void WriteLayout(const std::string& name, const std::string& xml) {
    const std::filesystem::path file = dir_.path() / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << xml;
  }

  // Builds a layout file (or text) without a window; the caller owns it.
  std::unique_ptr<Control> Build(const std::string& layout, const CreateControlCallback& callback = {}) {
    LayoutBuilder builder;
    return std::unique_ptr<Control>(builder.Create(W(layout), callback));
  }

  TempDir dir_;
};

TEST_F(LayoutBuilderTest, ElementsBecomeControlsWithAttributesInDocumentOrder) {
  auto root = Build(
      "<Window><VBox name=\"root\" width=\"200\" padding=\"1,2,3,4\">"
      "<Control name=\"a\" height=\"30\"/><Box name=\"b\"><Control name=\"b1\"/></Box>"
      "</VBox></Window>");
  auto* box = dynamic_cast<VBox*>(root.get());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(N(box->GetName()), "root");
  EXPECT_EQ(box->GetFixedWidth(), 200);
  EXPECT_EQ(box->GetLayout()->GetPadding(), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(ChildNames(box), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(box->GetItemAt(0)->GetFixedHeight(), 30);
  EXPECT_EQ(ChildNames(static_cast<Box*>(box->GetItemAt(1))), std::vector<std::string>{"b1"});
}

TEST_F(LayoutBuilderTest, TwoTopLevelControlsWithoutParentKeepTheFirst) {
  int deletions = 0;
  const CreateControlCallback counted = [&deletions](const std::u16string& tag) -> Control* {
    return tag == u"Counted" ? new CountedControl(&deletions) : nullptr;
  };
  auto root = Build("<Window><Counted name=\"one\"/><Counted name=\"two\"/></Window>", counted);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(N(root->GetName()), "one");
  EXPECT_EQ(deletions, 1) << "the second top-level control is destroyed";
}

TEST_F(LayoutBuilderTest, TagsNothingMakesAreSkippedWithTheirChildrenAndUnknownTagsAskTheCallback) {
  std::vector<std::string> asked;
  const CreateControlCallback callback = [&asked](const std::u16string& tag) -> Control* {
    asked.push_back(N(tag));
    return tag == u"CefControl" ? new Control() : nullptr;
  };
  auto root = Build(
      "<Window><VBox><MenuItem name=\"m\"><Control name=\"inside\"/></MenuItem>"
      "<CefControl name=\"web\"/><Image name=\"img\"/><Control name=\"after\"/></VBox></Window>",
      callback);
  auto* box = dynamic_cast<Box*>(root.get());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ChildNames(box), (std::vector<std::string>{"web", "after"}));
  EXPECT_EQ(asked, (std::vector<std::string>{"MenuItem", "CefControl"}))
      << "the factory's own tags and the special elements never reach the callback";
}

TEST_F(LayoutBuilderTest, ChildOfAControlThatIsNoBoxIsDestroyedAndItsLevelStops) {
  int deletions = 0;
  int made = 0;
  const CreateControlCallback counted = [&](const std::u16string& tag) -> Control* {
    if (tag != u"Counted") return nullptr;
    ++made;
    return new CountedControl(&deletions);
  };
  auto root = Build(
      "<Window><VBox><Control name=\"label\"><Counted/><Counted/></Control>"
      "<Control name=\"next\"/></VBox></Window>",
      counted);
  auto* box = dynamic_cast<Box*>(root.get());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ChildNames(box), (std::vector<std::string>{"label", "next"}));
  EXPECT_EQ(made, 1) << "the level under the label stops at its first child";
  EXPECT_EQ(deletions, 1);
}

TEST_F(LayoutBuilderTest, IncludeBuildsTheSourceCountTimesIntoTheParent) {
  WriteLayout("item.xml", "<Window><Control name=\"item\"/></Window>");
  struct Case {
    std::string count_attribute;
    int expected;
  };
  for (const Case& c : {Case{" count=\"3\"", 3}, Case{" count=\"0\"", 0}, Case{"", 1},
                        Case{" count=\"-2\"", 0},
                        Case{" count=\"99999999\"", LayoutBuilder::kMaxIncludeCount}}) {
    SCOPED_TRACE(c.count_attribute);
    auto root = Build("<Window><VBox><Include source=\"item.xml\"" + c.count_attribute +
                      "/></VBox></Window>");
    auto* box = dynamic_cast<Box*>(root.get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetCount(), c.expected);
  }
}

TEST_F(LayoutBuilderTest, IncludeTakesBackslashPathsUnderTheResourcePath) {
  WriteLayout("sub/item.xml", "<Window><Control name=\"item\"/></Window>");
  auto root = Build("<Window><VBox><Include source=\"sub\\item.xml\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ChildNames(static_cast<Box*>(root.get())), std::vector<std::string>{"item"});
}

TEST_F(LayoutBuilderTest, IncludeCyclesStop) {
  WriteLayout("self.xml", "<Window><VBox><Control name=\"c\"/><Include source=\"self.xml\"/></VBox></Window>");
  WriteLayout("a.xml", "<Window><Control name=\"a\"/><Include source=\"b.xml\"/></Window>");
  WriteLayout("b.xml", "<Window><Control name=\"b\"/><Include source=\"a.xml\"/></Window>");

  auto self = Build("self.xml");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(ChildNames(static_cast<Box*>(self.get())), std::vector<std::string>{"c"});

  auto root = Build("<Window><VBox><Include source=\"a.xml\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ChildNames(static_cast<Box*>(root.get())), (std::vector<std::string>{"a", "b"}));
}

TEST_F(LayoutBuilderTest, NestedHugeCountsAreBoundedPerBuild) {
  WriteLayout("outer.xml", "<Window><Include source=\"inner.xml\" count=\"1000\"/></Window>");
  WriteLayout("inner.xml", "<Window><Include source=\"leaf.xml\" count=\"1000\"/></Window>");
  WriteLayout("leaf.xml", "<Window><Control/></Window>");
  auto root = Build("<Window><VBox><Include source=\"outer.xml\"/></VBox></Window>");
  auto* box = dynamic_cast<Box*>(root.get());
  ASSERT_NE(box, nullptr);
  EXPECT_GT(box->GetCount(), 0);
  EXPECT_LE(box->GetCount(), LayoutBuilder::kMaxIncludeBuilds) << "a million controls were asked for";

  // The bound is per top-level build: the next build starts afresh.
  auto again = Build("<Window><VBox><Include source=\"leaf.xml\" count=\"3\"/></VBox></Window>");
  EXPECT_EQ(static_cast<Box*>(again.get())->GetCount(), 3);
}

TEST_F(LayoutBuilderTest, DeepIncludeChainsStopAtTheDepthBound) {
  for (int i = 0; i < 40; ++i) {
    WriteLayout("d" + std::to_string(i) + ".xml", "<Window><Control/><Include source=\"d" +
                                                      std::to_string(i + 1) + ".xml\"/></Window>");
  }
  auto root = Build("<Window><VBox><Include source=\"d0.xml\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(static_cast<Box*>(root.get())->GetCount(), LayoutBuilder::kMaxIncludeDepth);
}

TEST_F(LayoutBuilderTest, OverLongIncludeSourceIsRefusedNotCutIntoAnotherName) {
  // A file whose relative name is exactly the longest usable source.
  const std::string folder = std::string(200, 'a') + "/" + std::string(200, 'b') + "/";
  std::string name = folder + std::string(LayoutBuilder::kMaxSourceLength - folder.size() - 4, 'c') + ".xml";
  ASSERT_EQ(name.size(), LayoutBuilder::kMaxSourceLength);
  WriteLayout(name, "<Window><Control name=\"cut\"/></Window>");

  auto exact = Build("<Window><VBox><Include source=\"" + name + "\"/></VBox></Window>");
  EXPECT_EQ(ChildNames(static_cast<Box*>(exact.get())), std::vector<std::string>{"cut"});

  auto longer = Build("<Window><VBox><Include source=\"" + name + "old\"/></VBox></Window>");
  ASSERT_NE(longer, nullptr);
  EXPECT_EQ(static_cast<Box*>(longer.get())->GetCount(), 0);
}

TEST_F(LayoutBuilderTest, EventAttachesOneHandlerPerTypeAndReceiver) {
  auto root = Build(
      "<Window><VBox name=\"box\"><Event type=\"buttondown  valuechange\" receiver=\"./a ./b\" "
      "applyattribute=\"width=&quot;10&quot;\"/><Control name=\"a\"/><Control name=\"b\"/></VBox></Window>");
  auto* box = dynamic_cast<Box*>(root.get());
  ASSERT_NE(box, nullptr);
  Control* a = box->GetItemAt(0);
  Control* b = box->GetItemAt(1);
  for (int type : {kEventMouseButtonDown, kEventValueChange}) {
    a->SetFixedWidth(1, false, false);
    b->SetFixedWidth(1, false, false);
    box->FireEvent(type);
    EXPECT_EQ(a->GetFixedWidth(), 10) << type;
    EXPECT_EQ(b->GetFixedWidth(), 10) << type;
  }
  a->SetFixedWidth(1, false, false);
  box->FireEvent(kEventMouseMove);
  EXPECT_EQ(a->GetFixedWidth(), 1) << "no handler for another type";
}

TEST_F(LayoutBuilderTest, EventTakesTheLastOfRepeatedAttributes) {
  auto root = Build(
      "<Window><VBox><Event type=\"buttondown\" type=\"valuechange\" receiver=\"./a\" "
      "applyattribute=\"width=&quot;5&quot;\" applyattribute=\"width=&quot;7&quot;\"/>"
      "<Control name=\"a\"/></VBox></Window>");
  auto* box = static_cast<Box*>(root.get());
  Control* a = box->GetItemAt(0);
  box->FireEvent(kEventMouseButtonDown);
  EXPECT_EQ(a->GetFixedWidth(), kSizeStretch);
  box->FireEvent(kEventValueChange);
  EXPECT_EQ(a->GetFixedWidth(), 7);
}

TEST_F(LayoutBuilderTest, DotSlashReceiverFindsOnlyControlsBelowTheSender) {
  auto root = Build(
      "<Window><VBox><VBox name=\"sender\"><Event type=\"valuechange\" receiver=\"./sender ./other ./deep\" "
      "applyattribute=\"width=&quot;9&quot;\"/><Box><Control name=\"deep\"/></Box></VBox>"
      "<Control name=\"other\"/></VBox></Window>");
  auto* outer = static_cast<Box*>(root.get());
  auto* sender = static_cast<Box*>(outer->GetItemAt(0));
  Control* other = outer->GetItemAt(1);
  Control* deep = static_cast<Box*>(sender->GetItemAt(0))->GetItemAt(0);
  sender->FireEvent(kEventValueChange);
  EXPECT_EQ(deep->GetFixedWidth(), 9);
  EXPECT_EQ(sender->GetFixedWidth(), kSizeStretch) << "the sender is not below itself";
  EXPECT_EQ(other->GetFixedWidth(), kSizeStretch);
}

TEST_F(LayoutBuilderTest, BubbledEventSeesEventsOfDescendants) {
  auto root = Build(
      "<Window><VBox><BubbledEvent type=\"valuechange\" receiver=\"./b\" "
      "applyattribute=\"height=&quot;12&quot;\"/><Control name=\"a\"/><Control name=\"b\"/>"
      "</VBox></Window>");
  auto* box = static_cast<Box*>(root.get());
  Window window;  // in a window the children know their parent
  ASSERT_TRUE(window.AttachRoot(root.release()));
  box->GetItemAt(0)->FireEvent(kEventValueChange);
  EXPECT_EQ(box->GetItemAt(1)->GetFixedHeight(), 12);
}

TEST_F(LayoutBuilderTest, GlobalRootFillsFontsColoursAndClasses) {
  const std::string xml =
      "<Global defaultfontcolor=\"c_default\" disabledfontcolor=\"c_disabled\">"
      "<Font id=\"f1\" name=\"DejaVu Sans\" size=\"14\" bold=\"true\" default=\"true\"/>"
      "<Font id=\"f2\" name=\"DejaVu Sans\" default=\"true\"/>"
      "<Font id=\"nameless\" size=\"9\"/>"
      "<TextColor name=\"grey\" value=\"#ff333333\"/><TextColor name=\"\" value=\"#ff000000\"/>"
      "<TextColor name=\"empty\" value=\"\"/>"
      "<Class name=\"caption\" height=\"34\" bkimage=\"a.png\"/>"
      "<Class name=\"valued\" _value=\"5\"/>"
      "<Class name=\"quoted\" tooltiptext=\"say &quot;hi&quot;\" width=\"40\"/>"
      "<Image name=\"ignored\"/></Global>";
  {
    LayoutBuilder without_window;
    EXPECT_EQ(without_window.Create(W(xml), {}), nullptr);
    EXPECT_EQ(GlobalManager::GetFont(u"f1"), nullptr) << "without a window the root does nothing";
  }
  Window window;
  LayoutBuilder builder;
  EXPECT_EQ(builder.Create(W(xml), {}, &window), nullptr) << "no control in global.xml";

  ASSERT_NE(GlobalManager::GetFont(u"f1"), nullptr);
  EXPECT_EQ(GlobalManager::GetFont(u"f1")->iSize, 14);
  EXPECT_TRUE(GlobalManager::GetFont(u"f1")->bBold);
  ASSERT_NE(GlobalManager::GetFont(u"f2"), nullptr);
  EXPECT_EQ(GlobalManager::GetFont(u"f2")->iSize, 12) << "the default size";
  EXPECT_EQ(N(GlobalManager::GetDefaultFontId()), "f2") << "the later default wins";
  EXPECT_EQ(GlobalManager::GetFont(u"nameless"), nullptr);
  EXPECT_EQ(GlobalManager::GetTextColor(u"grey"), 0xFF333333u);
  EXPECT_EQ(GlobalManager::GetTextColor(u""), 0u);
  EXPECT_EQ(GlobalManager::GetTextColor(u"empty"), 0u);
  EXPECT_EQ(N(GlobalManager::GetDefaultTextColor()), "c_default");
  EXPECT_EQ(N(GlobalManager::GetDefaultDisabledTextColor()), "c_disabled");
  EXPECT_EQ(N(GlobalManager::GetClassAttributes(u"caption")), "height=\"34\" bkimage=\"a.png\"");
  EXPECT_EQ(N(GlobalManager::GetClassAttributes(u"valued")), "value=\"5\"");

  // A double quote inside a value keeps the rest of the class list.
  Control control;
  control.SetClass(u"quoted");
  EXPECT_EQ(N(control.GetToolTipText()), "say \"hi\"");
  EXPECT_EQ(control.GetFixedWidth(), 40);
}

class WindowRootTest : public LayoutBuilderTest {
 protected:
  void SetUp() override {
    LayoutBuilderTest::SetUp();
    platform::InstallWindowBackend(&backend_);
    backend_.SetMonitors({platform::MonitorInfo{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}});
  }
  void TearDown() override {
    for (auto& window : windows_) {
      if (window->GetHWND() != nullptr) platform::DestroyWindow(window->GetHWND());
    }
    windows_.clear();
    platform::InstallWindowBackend(nullptr);
    LanguageTable::GetInstance().Clear();
    LayoutBuilderTest::TearDown();
  }

  Window* Open(platform::HWND owner = nullptr) {
    auto window = std::make_unique<Window>();
    const platform::HWND hwnd = window->Create(owner, u"test", 0, 0, true, UiRect{0, 0, 100, 100});
    EXPECT_NE(hwnd, nullptr);
    window->AttachWindowHandle(hwnd);
    windows_.push_back(std::move(window));
    return windows_.back().get();
  }

  void BuildInto(Window* window, const std::string& root_attributes) {
    LayoutBuilder builder;
    delete builder.Create(W("<Window " + root_attributes + "><Control/></Window>"), {}, window);
  }

  platform::MemoryBackend backend_;
  std::vector<std::unique_ptr<Window>> windows_;
};

TEST_F(WindowRootTest, WindowAttributesSetTheWindow) {
  LanguageTable::GetInstance().LoadFromMemory("STRING_TITLE=Launcher title\n");
  Window* window = Open();
  BuildInto(window,
            "shadowattached=\"true\" shadowcorner=\"14,14,14,14\" size=\"504,320\" caption=\"0,0,0,30\" "
            "sizebox=\"4,4,4,4\" roundcorner=\"5,6\" mininfo=\"300,200\" maxinfo=\"0,800\" "
            "edging=\"1,1,1,1\" custom_shadow=\"2,3,4,5\" shadowimage=\"file='s.png'\" "
            "textid=\"STRING_TITLE\" unknown=\"1\"");
  EXPECT_EQ(window->GetInitSize(), (UiSize{504 + 28, 320 + 28}));
  EXPECT_EQ(window->GetCaptionRect(), (UiRect{0, 0, 0, 30}));
  EXPECT_EQ(window->GetSizeBox(), (UiRect{4, 4, 4, 4}));
  EXPECT_EQ(window->GetRoundCorner(), (UiSize{5, 6}));
  EXPECT_EQ(window->GetMinInfo(), (UiSize{328, 228})) << "the shadow is added";
  EXPECT_EQ(window->GetMaxInfo(), (UiSize{0, 828})) << "a 0 stays 0";
  EXPECT_EQ(window->GetEdging(), (UiRect{1, 1, 1, 1}));
  EXPECT_EQ(window->GetAlphaFixCorner(), (UiRect{2, 3, 4, 5}));
  EXPECT_EQ(window->GetShadowCorner(), (UiRect{14, 14, 14, 14}));
  EXPECT_EQ(N(window->GetShadowImage()), "file='s.png'");
  EXPECT_EQ(N(platform::GetWindowText(window->GetHWND())), "Launcher title");
}

TEST_F(WindowRootTest, WindowWithoutHandleTakesOnlyTheClasses) {
  Window window;
  LayoutBuilder builder;
  delete builder.Create(u"<Window size=\"300,200\"><Class name=\"mine\" width=\"3\"/><Control/></Window>", {},
                        &window);
  EXPECT_EQ(window.GetInitSize(), (UiSize{0, 0}));
  EXPECT_EQ(N(window.GetClassAttributes(u"mine")), "width=\"3\"");
  EXPECT_EQ(N(GlobalManager::GetClassAttributes(u"mine")), "") << "a window's class stays its own";
}

TEST_F(WindowRootTest, HeightPercentTakesAShareOfTheWorkAreaWithinTheLimits) {
  struct Case {
    std::string attributes;
    UiSize expected;
  };
  // Windows are shadowed unless the skin says otherwise; these cases are
  // about the height alone.
  const std::vector<Case> cases = {
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"0.8\"", {400, 832}},
      {"shadowattached=\"false\" size=\"400,300\" mininfo=\"0,900\" heightpercent=\"0.8\"", {400, 900}},
      {"shadowattached=\"false\" size=\"400,300\" maxinfo=\"0,500\" heightpercent=\"0.8\"", {400, 500}},
      {"shadowattached=\"true\" shadowcorner=\"10,10,10,10\" heightpercent=\"0.5\"", {20, 540}},
      // Outside (0, 1] the value is ignored rather than sizing the window
      // negative, to nothing, or past the screen.
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"-0.5\"", {400, 300}},
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"0\"", {400, 300}},
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"nan\"", {400, 300}},
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"inf\"", {400, 300}},
      {"shadowattached=\"false\" size=\"400,300\" heightpercent=\"2.5\"", {400, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    Window* window = Open();
    BuildInto(window, c.attributes);
    EXPECT_EQ(window->GetInitSize(), c.expected);
  }
}

TEST_F(WindowRootTest, ExpandTakesTheOwnersVisibleSize) {
  Window* owner = Open();
  BuildInto(owner, "shadowattached=\"true\" shadowcorner=\"14,14,14,14\"");
  platform::SetWindowPos(owner->GetHWND(), nullptr, 0, 0, 1368, 778,
                         platform::SWP_NOMOVE | platform::SWP_NOZORDER | platform::SWP_NOACTIVATE);
  Window* dialog = Open(owner->GetHWND());
  BuildInto(dialog, "shadowattached=\"true\" shadowcorner=\"10,10,10,10\" size=\"504,320\" expand=\"0,0\"");
  EXPECT_EQ(dialog->GetInitSize(), (UiSize{1340 + 20, 750 + 20}));

  Window* lone = Open();
  BuildInto(lone, "shadowattached=\"false\" size=\"504,320\" expand=\"0,0\"");
  EXPECT_EQ(lone->GetInitSize(), (UiSize{504, 320})) << "no owner: nothing changes";
}

TEST_F(LayoutBuilderTest, LayoutCacheKeepsParsedFilesUntilTheSkinReloads) {
  WriteLayout("item.xml", "<Window><VBox name=\"cached\"><Control/></VBox></Window>");
  std::unique_ptr<Control> first(GlobalManager::CreateBox(u"item.xml", {}));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GlobalManager::GetLayoutCacheSize(), 1u);
  std::filesystem::remove(dir_.path() / "item.xml");
  std::unique_ptr<Control> second(GlobalManager::CreateBox(u"item.xml", {}));
  ASSERT_NE(second, nullptr) << "built from the cache without reading the file";
  EXPECT_EQ(N(second->GetName()), "cached");
  EXPECT_NE(first.get(), second.get());

  std::unique_ptr<Control> missing(GlobalManager::CreateBox(u"missing.xml", {}));
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(GlobalManager::GetLayoutCacheSize(), 1u) << "a failed build caches nothing";

  GlobalManager::ReloadSkin(u"", nullptr);
  EXPECT_EQ(GlobalManager::GetLayoutCacheSize(), 0u);
  std::unique_ptr<Control> after(GlobalManager::CreateBox(u"item.xml", {}));
  EXPECT_EQ(after, nullptr) << "the old skin's layout is gone with the reload";
}

TEST_F(LayoutBuilderTest, ReloadSkinReadsGlobalXmlOfTheNewPathAndRunsTheCallback) {
  TempDir other;
  std::ofstream(other.path() / "global.xml")
      << "<Global><TextColor name=\"fresh\" value=\"#ff010203\"/></Global>";
  GlobalManager::AddTextColor(u"stale", 1);
  bool done = false;
  GlobalManager::ReloadSkin(W(other.path().string()), [&done] { done = true; });
  EXPECT_TRUE(done);
  EXPECT_EQ(GlobalManager::GetTextColor(u"stale"), 0u);
  EXPECT_EQ(GlobalManager::GetTextColor(u"fresh"), 0xFF010203u);
  GlobalManager::RemoveAllTextColors();
}

TEST_F(LayoutBuilderTest, FillBoxGivesTheFirstElementsAttributesAndChildrenToTheBox) {
  WriteLayout("panel.xml",
              "<Window><Class name=\"panelclass\" height=\"7\"/><Font id=\"x\" name=\"y\"/>"
              "<VBox name=\"panel\" width=\"120\"><Control name=\"p1\" class=\"panelclass\"/>"
              "<Control name=\"p2\"/></VBox><Control name=\"ignored\"/></Window>");
  Window window;
  auto* root = new VBox;
  ASSERT_TRUE(window.AttachRoot(root));
  auto* target = new VBox;
  root->Add(target);
  GlobalManager::FillBox(target, u"panel.xml", {});
  EXPECT_EQ(N(target->GetName()), "panel");
  EXPECT_EQ(target->GetFixedWidth(), 120);
  EXPECT_EQ(ChildNames(target), (std::vector<std::string>{"p1", "p2"}));
  EXPECT_EQ(target->GetItemAt(0)->GetFixedHeight(), 7) << "the window took the layout's class";
  EXPECT_EQ(window.FindControlByName(u"p2"), target->GetItemAt(1));
  EXPECT_EQ(GlobalManager::GetLayoutCacheSize(), 0u);

  auto* cached = new VBox;
  root->Add(cached);
  GlobalManager::FillBoxWithCache(cached, u"panel.xml", {});
  EXPECT_EQ(GlobalManager::GetLayoutCacheSize(), 1u);
  std::filesystem::remove(dir_.path() / "panel.xml");
  auto* again = new VBox;
  root->Add(again);
  GlobalManager::FillBoxWithCache(again, u"panel.xml", {});
  EXPECT_EQ(ChildNames(again), (std::vector<std::string>{"p1", "p2"}));
}

TEST_F(LayoutBuilderTest, GlobalXmlLoadsFromTheFolderAndFromTheArchive) {
  const std::string global =
      "<Global><TextColor name=\"from_SOURCE\" value=\"#ff112233\"/>"
      "<Class name=\"vscrollbar\" width=\"14\"/></Global>";
  std::string from_folder = global;
  from_folder.replace(from_folder.find("SOURCE"), 6, "folder");
  WriteLayout("global.xml", from_folder);
  GlobalManager::LoadGlobalXml();
  EXPECT_EQ(GlobalManager::GetTextColor(u"from_folder"), 0xFF112233u);
  EXPECT_EQ(N(GlobalManager::GetClassAttributes(u"vscrollbar")), "width=\"14\"");

  std::string from_zip = global;
  from_zip.replace(from_zip.find("SOURCE"), 6, "zip");
  static std::string archive;
  archive = BuildZip({{"resources/themes/default/global.xml", from_zip}});
  SkinArchive::Set(OpenZipArchive(archive.data(), archive.size(), kZipFromMemory, ""));
  ASSERT_NE(SkinArchive::Get(), nullptr);
  GlobalManager::SetResourcePath(u"resources\\themes\\default");
  GlobalManager::LoadGlobalXml();
  EXPECT_EQ(GlobalManager::GetTextColor(u"from_zip"), 0xFF112233u);

  // A missing file leaves the tables as they were.
  GlobalManager::SetResourcePath(u"resources/themes/other/");
  GlobalManager::LoadGlobalXml();
  EXPECT_EQ(GlobalManager::GetTextColor(u"from_zip"), 0xFF112233u);
  GlobalManager::RemoveAllTextColors();
}

TEST_F(LayoutBuilderTest, ArchiveMemberWithAByteOrderMarkDoesNotParse) {
  const std::string layout = "\xEF\xBB\xBF<Window><Control name=\"bom\"/></Window>";
  WriteLayout("bom.xml", layout);
  EXPECT_NE(Build("bom.xml"), nullptr) << "the file loader skips the mark";

  static std::string archive;
  archive = BuildZip({{"resources/themes/default/bom.xml", layout}});
  SkinArchive::Set(OpenZipArchive(archive.data(), archive.size(), kZipFromMemory, ""));
  GlobalManager::SetResourcePath(u"resources/themes/default/");
  LayoutBuilder builder;
  EXPECT_EQ(builder.Create(u"bom.xml", {}), nullptr);
  EXPECT_EQ(N(builder.GetDocument().GetErrorMessage()), "Expected start tag");
}

TEST_F(LayoutBuilderTest, ChildBoxBuildsItsFileWhenItGetsAWindow) {
  WriteLayout("child.xml", "<Window><VBox name=\"child_root\"><Control name=\"leaf\"/></VBox></Window>");
  WriteLayout("loop.xml", "<Window><VBox name=\"loop_root\"><ChildBox xmlfile=\"loop.xml\"/></VBox></Window>");
  auto root = Build(
      "<Window><VBox><ChildBox name=\"good\" xmlfile=\"child.xml\"/>"
      "<ChildBox name=\"missing\" xmlfile=\"nothing.xml\"/><ChildBox name=\"loop\" xmlfile=\"loop.xml\"/>"
      "</VBox></Window>");
  auto* box = static_cast<Box*>(root.get());
  EXPECT_EQ(static_cast<Box*>(box->GetItemAt(0))->GetCount(), 0) << "nothing before the window";

  Window window;
  ASSERT_TRUE(window.AttachRoot(root.release()));
  EXPECT_NE(window.FindControlByName(u"leaf"), nullptr);
  auto* missing = dynamic_cast<ChildBox*>(window.FindControlByName(u"missing"));
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->GetCount(), 0);

  // The file that includes itself is built once inside itself, then stops.
  auto* loop = dynamic_cast<ChildBox*>(window.FindControlByName(u"loop"));
  ASSERT_NE(loop, nullptr);
  ASSERT_EQ(loop->GetCount(), 1);
  auto* inner_root = static_cast<Box*>(loop->GetItemAt(0));
  ASSERT_EQ(inner_root->GetCount(), 1);
  EXPECT_EQ(static_cast<Box*>(inner_root->GetItemAt(0))->GetCount(), 0);
}

}  // namespace
}  // namespace ui::testing
