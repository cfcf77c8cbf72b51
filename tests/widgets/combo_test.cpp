// The combo box and its pop-up on the in-memory window back-end: where the
// pop-up opens (below, or above where the combo's own monitor has no room),
// how high it is, a pressed row selecting and closing it, a press outside
// closing it without an event, a combo (or its window) destroyed while the
// pop-up is open, and the settings page's language combo built from the
// skin.
#include "ui/controls/combo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "skin/embedded_resources.h"
#include "tests/widgets/widget_fixture.h"
#include "ui/controls/c_combo_wnd.h"
#include "ui/controls/control_widgets.h"
#include "ui/controls/list_container_element.h"
#include "ui/layout_builder.h"
#include "ui/skin_archive.h"
#include "ui/widget_factory.h"
#include "ui/zip_reader.h"

namespace ui::testing {
namespace {

using platform::MonitorInfo;
using platform::Rect;

constexpr int kRowHeight = 30;

class ComboTest : public WidgetTest {
 protected:
  void SetUp() override {
    platform::InstallWindowBackend(&backend_);
    // The primary monitor with a task bar at the bottom, and a taller one
    // to its right.
    backend_.SetMonitors({MonitorInfo{Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}, true},
                          MonitorInfo{Rect{1920, 0, 3840, 2160}, Rect{1920, 0, 3840, 2120}, false}});
    WidgetTest::SetUp();
    RegisterControlWidgets();
  }
  void TearDown() override {
    if (host_ != nullptr && host_->GetHWND() != nullptr) platform::DestroyWindow(host_->GetHWND());
    Drain();
    host_.reset();
    RunUntilIdle();
    WidgetTest::TearDown();
    platform::InstallWindowBackend(nullptr);
  }

  // A 400x300 host window with its top-left corner at |origin| on the
  // screen, holding a 180x30 combo at (20, 20) of its client area.
  Combo* OpenHost(platform::Point origin, int rows) {
    host_ = std::make_unique<Window>();
    const platform::HWND hwnd = host_->Create(nullptr, u"host", 0, 0, true,
                                              UiRect{origin.x, origin.y, origin.x + 400, origin.y + 300});
    EXPECT_NE(hwnd, nullptr);
    host_->AttachWindowHandle(hwnd);
    host_->GetShadow().SetShadowAttached(false);
    auto* root = new Box();
    combo_ = new Combo();
    combo_->SetName(u"combo");
    combo_->SetAttribute(u"width", u"180");
    combo_->SetAttribute(u"height", u"30");
    combo_->SetAttribute(u"margin", u"20,20,0,0");
    root->Add(combo_);
    for (int i = 0; i < rows; ++i) combo_->Add(MakeRow(u"item " + ToU16(i)));
    host_->AttachRoot(root);
    platform::ShowWindow(hwnd, platform::SW_SHOWNORMAL);
    Drain();
    return combo_;
  }
  static ListContainerElement* MakeRow(const std::u16string& text) {
    auto* row = new ListContainerElement();
    row->SetAttribute(u"height", u"30");
    row->SetText(text);
    return row;
  }
  static std::u16string ToU16(int i) {
    const std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
  }
  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  static platform::NativeWindow Native(platform::HWND hwnd) { return platform::GetNativeWindow(hwnd); }
  void Click(platform::HWND hwnd, UiPoint client) {
    backend_.InjectButton(Native(hwnd), 1, true, platform::Point{client.x, client.y});
    backend_.InjectButton(Native(hwnd), 1, false, platform::Point{client.x, client.y});
    Drain();
  }
  // Opens the pop-up the way the user does: a click on the combo.
  platform::HWND ClickCombo() {
    Click(host_->GetHWND(), UiPoint{100, 35});
    return combo_->GetPopup() != nullptr ? combo_->GetPopup()->GetHWND() : nullptr;
  }
  static Rect WindowRect(platform::HWND hwnd) {
    Rect rect;
    platform::GetWindowRect(hwnd, &rect);
    return rect;
  }
  static UiPoint Centre(Control* control) {
    const UiRect pos = control->GetPos();
    return UiPoint{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
  }
  // Records the combo's and the list's "select" and the combo's "click".
  void Record() {
    combo_->AttachEvent(kEventSelect, [this](EventArgs* e) {
      log_.push_back("combo:select(" + std::to_string(e->wParam) + "," +
                     std::to_string(static_cast<long long>(e->lParam)) + ")");
      return true;
    });
    combo_->AttachEvent(kEventClick, [this](EventArgs*) {
      log_.push_back("combo:click");
      return true;
    });
    combo_->GetListBox()->AttachEvent(kEventSelect, [this](EventArgs*) {
      log_.push_back("list:select(cur " + std::to_string(combo_->GetCurSel()) + ")");
      return true;
    });
  }

  platform::MemoryBackend backend_;
  std::unique_ptr<Window> host_;
  Combo* combo_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(ComboTest, PopupIsAsHighAsItsRowsUpToTheDropBoxHeight) {
  struct Case {
    int rows;
    int height;
  } cases[] = {{20, 150}, {3, 3 * kRowHeight + 2}, {0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    OpenHost(platform::Point{100, 100}, c.rows);
    ASSERT_EQ(combo_->GetPos(), (UiRect{20, 20, 200, 50}));
    const platform::HWND popup = ClickCombo();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(platform::GetClassName(popup), u"ComboWnd");
    EXPECT_TRUE(platform::IsWindowVisible(popup));
    // Below the combo (screen 120,120 - 300,150), one pixel apart.
    EXPECT_EQ(WindowRect(popup), (Rect{120, 151, 300, 151 + c.height}));
    platform::DestroyWindow(host_->GetHWND());
    Drain();
    host_.reset();
  }
}

TEST_F(ComboTest, PopupOpensAboveOnlyWhereTheCombosOwnMonitorHasNoRoom) {
  struct Case {
    const char* name;
    platform::Point host;
    bool popup_top;
    Rect expected;
  } cases[] = {
      {"primary, room below", {100, 100}, false, {120, 151, 300, 301}},
      {"primary, above its task bar", {100, 900}, false, {120, 770, 300, 920}},
      // Below the primary's work area but on the taller second monitor:
      // the primary monitor must not decide.
      {"second monitor, room below", {2000, 900}, false, {2020, 951, 2200, 1101}},
      {"second monitor, near its bottom", {2000, 1990}, false, {2020, 1860, 2200, 2010}},
      {"popuptop", {100, 100}, true, {120, -30, 300, 120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenHost(c.host, 20);
    if (c.popup_top) combo_->SetAttribute(u"popuptop", u"true");
    const platform::HWND popup = ClickCombo();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(WindowRect(popup), c.expected);
    platform::DestroyWindow(host_->GetHWND());
    Drain();
    host_.reset();
  }
}

TEST_F(ComboTest, PressingARowSelectsItFiresSelectAndClosesThePopup) {
  OpenHost(platform::Point{100, 100}, 3);
  Record();
  platform::HWND popup = ClickCombo();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(log_, (std::vector<std::string>{"combo:click"}));
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), combo_->GetPopup());
  log_.clear();

  Click(popup, Centre(combo_->GetListBox()->GetItemAt(1)));
  EXPECT_EQ(log_, (std::vector<std::string>{"combo:select(1,-1)", "list:select(cur 1)"}))
      << "the combo stores the index before the list's other handlers run";
  EXPECT_EQ(combo_->GetCurSel(), 1);
  EXPECT_EQ(combo_->GetPopup(), nullptr);
  EXPECT_FALSE(platform::IsWindow(popup));
  // The list is back with the combo, in no window.
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), nullptr);
  EXPECT_EQ(combo_->GetListBox()->GetParent(), nullptr);
  EXPECT_EQ(host_->GetFocus(), combo_);

  // The row already chosen: the pop-up closes and "select" comes again.
  log_.clear();
  popup = ClickCombo();
  ASSERT_NE(popup, nullptr);
  log_.clear();
  Click(popup, Centre(combo_->GetListBox()->GetItemAt(1)));
  EXPECT_EQ(log_, (std::vector<std::string>{"combo:select(1,-1)", "list:select(cur 1)"}));
  EXPECT_EQ(combo_->GetPopup(), nullptr);
  EXPECT_FALSE(platform::IsWindow(popup));
}

TEST_F(ComboTest, APressOutsideClosesThePopupWithoutAnEvent) {
  OpenHost(platform::Point{100, 100}, 3);
  ASSERT_TRUE(combo_->SelectItem(2));
  Record();
  struct Case {
    const char* name;
    std::function<void()> press;
  } cases[] = {
      {"the desktop", [&] { backend_.InjectButtonAt(platform::Point{1500, 900}, 1, true);
                            backend_.InjectButtonAt(platform::Point{1500, 900}, 1, false); }},
      {"the host window beside the combo", [&] { Click(host_->GetHWND(), UiPoint{350, 250}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const platform::HWND popup = ClickCombo();
    ASSERT_NE(popup, nullptr);
    log_.clear();
    c.press();
    Drain();
    EXPECT_FALSE(platform::IsWindow(popup));
    EXPECT_EQ(combo_->GetPopup(), nullptr);
    EXPECT_EQ(platform::FindWindow(u"ComboWnd", u""), nullptr) << "no second pop-up";
    EXPECT_EQ(combo_->GetCurSel(), 2);
    for (const std::string& entry : log_) EXPECT_EQ(entry.find("select"), std::string::npos) << entry;
  }
}

TEST_F(ComboTest, ActivateWhileOpenOpensNoSecondPopupAndDeactivateCloses) {
  OpenHost(platform::Point{100, 100}, 3);
  // A click on the combo while its pop-up is open: the press closes the
  // pop-up before the release activates the combo again, so there is never
  // more than one.
  const platform::HWND first = ClickCombo();
  ASSERT_NE(first, nullptr);
  const platform::HWND second = ClickCombo();
  EXPECT_FALSE(platform::IsWindow(first));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(platform::FindWindow(u"ComboWnd", u""), second);
  combo_->Deactivate();
  Drain();
  ASSERT_EQ(platform::FindWindow(u"ComboWnd", u""), nullptr);

  combo_->Activate();
  CComboWnd* popup = combo_->GetPopup();
  ASSERT_NE(popup, nullptr);
  const platform::HWND hwnd = popup->GetHWND();
  combo_->Activate();
  EXPECT_EQ(combo_->GetPopup(), popup);
  combo_->Deactivate();
  Drain();
  EXPECT_EQ(combo_->GetPopup(), nullptr);
  EXPECT_FALSE(platform::IsWindow(hwnd));
}

// Under AddressSanitizer: a pop-up left on a freed combo, or a list left on
// a freed pop-up, is a use after free.
TEST_F(ComboTest, ACombosDestroyedWhileItsPopupIsOpenTakesThePopupWithIt) {
  OpenHost(platform::Point{100, 100}, 3);
  const platform::HWND popup = ClickCombo();
  ASSERT_NE(popup, nullptr);
  // Events already on their way to the pop-up.
  combo_->Deactivate();
  static_cast<Box*>(host_->GetRoot())->Remove(combo_);
  combo_ = nullptr;
  RunUntilIdle();  // the host deletes the removed combo
  EXPECT_FALSE(platform::IsWindow(popup));
  Drain();
  // A press where the pop-up was reaches nobody's freed memory.
  backend_.InjectButtonAt(platform::Point{150, 170}, 1, true);
  backend_.InjectButtonAt(platform::Point{150, 170}, 1, false);
  Drain();
  EXPECT_EQ(platform::FindWindow(u"ComboWnd", u""), nullptr);
}

TEST_F(ComboTest, AHostWindowClosedWhileThePopupIsOpenLeavesNothingDangling) {
  OpenHost(platform::Point{100, 100}, 3);
  const platform::HWND popup = ClickCombo();
  ASSERT_NE(popup, nullptr);
  platform::DestroyWindow(host_->GetHWND());  // its owned pop-up goes first
  EXPECT_FALSE(platform::IsWindow(popup));
  EXPECT_EQ(combo_->GetPopup(), nullptr);
  EXPECT_EQ(combo_->GetListBox()->GetWindow(), nullptr);
  Drain();
  host_.reset();  // deletes the combo with its list
  RunUntilIdle();
}

TEST_F(ComboTest, SelectItemRefusesTheCurrentIndexAndIndexesOutsideTheList) {
  Combo combo;
  std::vector<std::unique_ptr<Control>> rows;
  for (int i = 0; i < 3; ++i) {
    rows.emplace_back(MakeRow(u"row"));
    combo.Add(rows.back().get());
  }
  EXPECT_EQ(combo.GetCount(), 3);
  EXPECT_TRUE(combo.GetListBox()->GetItemAt(0)->IsReceivePointer()) << "rows of a combo take pointer input";
  EXPECT_TRUE(combo.SelectItem(1));
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.GetListBox()->GetCurSel(), 1);
  EXPECT_FALSE(combo.SelectItem(1));
  EXPECT_FALSE(combo.SelectItem(3));
  EXPECT_FALSE(combo.SelectItem(-1));
  EXPECT_EQ(combo.GetCurSel(), 1);

  // Removing rows keeps the selection in step with the list; a removed row
  // goes back to the caller.
  EXPECT_TRUE(combo.Remove(rows[0].get()));
  EXPECT_EQ(combo.GetCurSel(), 0);
  combo.RemoveAll();
  EXPECT_EQ(combo.GetCurSel(), -1);
  EXPECT_EQ(combo.GetCount(), 0);
  // The rows are still the caller's to delete (|rows| does).
}

TEST_F(ComboTest, AttributesSizeAndStyleTheDropBox) {
  SetScale(150);
  Combo combo;
  combo.SetAttribute(u"dropboxsize", u"200,300");
  EXPECT_EQ(combo.GetDropBoxSize(), (UiSize{300, 450}));
  combo.SetAttribute(u"dropbox", u"bkcolor='red' padding='2,2,2,2'");
  EXPECT_EQ(combo.GetListBox()->GetBkColor(), u"red");
  EXPECT_EQ(combo.GetDropBoxAttributeList(), u"bkcolor='red' padding='2,2,2,2'");
  combo.SetAttribute(u"vscrollbar", u"false");
  EXPECT_NE(combo.GetListBox()->GetVScrollBar(), nullptr);
  EXPECT_EQ(combo.GetListBox()->GetHScrollBar(), nullptr);
  combo.SetAttribute(u"popuptop", u"yes");
  EXPECT_FALSE(combo.IsPopupTop());
  combo.SetAttribute(u"popuptop", u"true");
  EXPECT_TRUE(combo.IsPopupTop());
}

TEST_F(ComboTest, APopupAtOneHundredAndFiftyPercentIsScaled) {
  SetScale(150);
  OpenHost(platform::Point{100, 100}, 0);
  combo_->SetAttribute(u"dropboxsize", u"200,300");
  for (int i = 0; i < 20; ++i) combo_->Add(MakeRow(u"row"));
  const platform::HWND popup = ClickCombo();
  ASSERT_NE(popup, nullptr);
  const Rect rect = WindowRect(popup);
  EXPECT_EQ(rect.Width(), 300);
  EXPECT_EQ(rect.Height(), 450);
}

TEST_F(ComboTest, PaintsTheSelectedRowsTextInItsNormalColour) {
  Combo combo;
  auto* row = MakeRow(u"Alpha");
  row->SetAttribute(u"normaltextcolor", u"red");
  row->SetAttribute(u"font", u"title_24");
  combo.Add(row);
  combo.SetPos(UiRect{0, 0, 180, 40});
  Paint(combo);
  EXPECT_EQ(CountNear(UiRect{0, 0, 180, 40}, kRed, 40), 0) << "nothing selected, nothing drawn";
  ASSERT_TRUE(combo.SelectItem(0));
  Paint(combo);
  EXPECT_GT(CountNear(UiRect{0, 0, 180, 40}, kRed, 40), 20);
}

// The settings page's language list as the skin styles it.
TEST_F(ComboTest, TheSettingsLanguageComboBuildsFromTheSkinAndWorks) {
  const auto embedded = skin::EmbeddedSkinPackage();
  SkinArchive::Set(OpenZipArchive(embedded.data(), embedded.size(), kZipFromMemory, ""));
  ASSERT_NE(SkinArchive::Get(), nullptr);
  GlobalManager::SetResourcePath(u"resources/themes/default/");
  GlobalManager::LoadGlobalXml();

  host_ = std::make_unique<Window>();
  const platform::HWND hwnd = host_->Create(nullptr, u"setting", 0, 0, true, UiRect{100, 100, 700, 700});
  ASSERT_NE(hwnd, nullptr);
  host_->AttachWindowHandle(hwnd);
  host_->GetShadow().SetShadowAttached(false);
  LayoutBuilder builder;
  Control* root = builder.Create(u"setting/tab_page0.xml", {}, host_.get());
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(host_->AttachRoot(root));
  combo_ = dynamic_cast<Combo*>(host_->FindControlByName(u"combo_set_language"));
  ASSERT_NE(combo_, nullptr);
  EXPECT_EQ(combo_->GetDropBoxSize(), (UiSize{180, 300}));
  for (int i = 0; i < 17; ++i) {
    auto* item = new ListContainerElement();
    item->SetClass(u"language_item");
    item->SetUtf8DataId(std::to_string(i));
    item->SetText(u"language " + ToU16(i));
    combo_->Add(item);
  }
  ASSERT_TRUE(combo_->SelectItem(0));
  platform::ShowWindow(hwnd, platform::SW_SHOWNORMAL);
  Drain();
  const UiRect pos = combo_->GetPos();
  EXPECT_EQ(pos.Width(), 180);
  EXPECT_EQ(pos.Height(), 30);

  Record();
  Click(hwnd, UiPoint{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2});
  ASSERT_NE(combo_->GetPopup(), nullptr);
  const platform::HWND popup = combo_->GetPopup()->GetHWND();
  EXPECT_EQ(WindowRect(popup), (Rect{100 + pos.left, 100 + pos.bottom + 1, 100 + pos.left + 180,
                                     100 + pos.bottom + 1 + 300}));
  Click(popup, Centre(combo_->GetListBox()->GetItemAt(3)));
  EXPECT_EQ(combo_->GetCurSel(), 3);
  EXPECT_EQ(combo_->GetListBox()->GetItemAt(3)->GetUtf8DataId(), "3");
  EXPECT_EQ(log_, (std::vector<std::string>{"combo:click", "combo:select(3,-1)", "list:select(cur 3)"}));
  EXPECT_FALSE(platform::IsWindow(popup));

  platform::DestroyWindow(hwnd);
  Drain();
  host_.reset();
  RunUntilIdle();
  SkinArchive::Close();
  GlobalManager::RemoveAllFonts();
  GlobalManager::RemoveAllClasss();
  GlobalManager::SetResourcePath(u"");
}

}  // namespace
}  // namespace ui::testing
