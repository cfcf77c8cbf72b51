// Skinned windows on the in-memory back-end: built from a skin folder and
// file, their hit tests (size box inside the shadow, caption, controls in
// the caption), the system buttons, the min/max track sizes from the skin,
// and the error box with no window when the skin is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "tests/ui/control_tree_fixture.h"
#include "ui/controls/control_widgets.h"
#include "ui/dpi_manager.h"
#include "ui/layout.h"
#include "ui/shadow_box.h"
#include "ui/window_impl_base.h"

namespace ui::testing {
namespace {

// A control of the window's own, for a tag the widget factory does not know.
class Badge : public Control {};

constexpr char kSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="372,272" caption="0,0,0,40" sizebox="4,4,4,4" mininfo="300,200" maxinfo="900,700">
  <VBox>
    <HBox height="40">
      <Control name="title"/>
      <RichEdit name="search" width="60" height="30"/>
      <Button name="minbtn" width="30" height="30"/>
      <Button name="maxbtn" width="30" height="30"/>
      <Button name="restorebtn" width="30" height="30" visible="false"/>
      <Button name="closebtn" width="30" height="30"/>
    </HBox>
    <Control name="body"/>
    <Badge name="badge" height="10"/>
  </VBox>
</Window>
)";

class SkinnedWindow : public WindowImplBase {
 public:
  SkinnedWindow(std::u16string file, bool* deleted, int* closes)
      : file_(std::move(file)), deleted_(deleted), closes_(closes) {}
  ~SkinnedWindow() override {
    if (deleted_ != nullptr) *deleted_ = true;
  }
  std::u16string GetWindowClassName() const override { return u"SkinnedWindowTest"; }
  std::u16string GetSkinFolder() override { return u"main"; }
  std::u16string GetSkinFile() override { return file_; }
  Control* CreateControl(const std::u16string& tag) override {
    return tag == u"Badge" ? new Badge : nullptr;
  }
  void InitWindow() override { ++init_calls; }
  platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam, bool& handled) override {
    if (closes_ != nullptr) ++*closes_;
    return WindowImplBase::OnClose(message, wparam, lparam, handled);
  }
  int init_calls = 0;

 private:
  std::u16string file_;
  bool* deleted_;
  int* closes_;
};

class WindowImplBaseTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/window_impl_base_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ / "main");
    std::ofstream(root_ / "main" / "skin.xml") << kSkin;
    platform::InstallWindowBackend(&backend_);
    GlobalManager::Startup(platform::UTF8ToUTF16(root_.string() + "/"), nullptr, u"", u"en");
    RegisterControlWidgets();
    WindowImplBase::SetErrorBoxHandler([this](const std::u16string& caption, const std::u16string& text) {
      boxes_.push_back(caption + u"|" + text);
    });
  }
  void TearDown() override {
    if (window_ != nullptr && !deleted_) platform::DestroyWindow(window_->GetHWND());
    Drain();
    WindowImplBase::SetButtonTest(nullptr);
    WindowImplBase::SetRichEditTest(nullptr);
    WindowImplBase::SetErrorBoxHandler(nullptr);
    GlobalManager::Shutdown();
    platform::InstallWindowBackend(nullptr);
    std::filesystem::remove_all(root_);
    ControlTreeTest::TearDown();
  }

  platform::HWND Open(const std::u16string& file = u"skin.xml") {
    window_ = new SkinnedWindow(file, &deleted_, &closes_);
    const platform::HWND hwnd = window_->Create(nullptr, u"skinned", 0, 0, true, UiRect{100, 100, 500, 400});
    if (hwnd == nullptr) return nullptr;
    platform::ShowWindow(hwnd, platform::SW_SHOWNOACTIVATE);
    Drain();
    return hwnd;
  }

  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }

  platform::LRESULT HitTest(UiPoint client) {
    platform::Point screen{client.x, client.y};
    platform::ClientToScreen(window_->GetHWND(), &screen);
    return platform::SendMessage(window_->GetHWND(), platform::WM_NCHITTEST, 0,
                                 platform::MakeLParam(screen.x, screen.y));
  }

  static UiPoint Centre(const Control* control) {
    const UiRect pos = control->GetPos(true);
    return UiPoint{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
  }

  std::filesystem::path root_;
  platform::MemoryBackend backend_;
  SkinnedWindow* window_ = nullptr;
  bool deleted_ = false;
  int closes_ = 0;
  std::vector<std::u16string> boxes_;
};

TEST_F(WindowImplBaseTest, BuildsTheTreeFromTheSkinInsideTheShadow) {
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(window_->init_calls, 1);
  EXPECT_EQ(window_->GetResourcePath(), u"main\\");
  EXPECT_EQ(window_->GetClassStyle() & platform::CS_DBLCLKS, platform::CS_DBLCLKS);
  EXPECT_EQ(platform::GetWindowLongPtr(window_->GetHWND(), platform::GWL_STYLE) & platform::WS_CAPTION, 0);
  ASSERT_NE(window_->FindControlByName(u"body"), nullptr);
  EXPECT_NE(dynamic_cast<Badge*>(window_->FindControlByName(u"badge")), nullptr);
  // The shadow box is the root; the skin's tree starts 14 pixels in.
  EXPECT_EQ(window_->GetRoot(), static_cast<Control*>(window_->GetShadow().GetShadowBox()));
  EXPECT_EQ(window_->FindControlByName(u"title")->GetPos(true).left, 14);
  EXPECT_EQ(window_->FindControlByName(u"title")->GetPos(true).top, 14);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(WindowImplBaseTest, HitTestsWithSizeBoxFourInsideShadowFourteen) {
  ASSERT_NE(Open(), nullptr);
  UiRect client;
  platform::GetClientRect(window_->GetHWND(), &client);
  ASSERT_EQ(client.Width(), 400);
  ASSERT_EQ(client.Height(), 300);
  struct Case {
    UiPoint point;
    platform::LRESULT expected;
  };
  const Case cases[] = {
      {{16, 16}, platform::HTTOPLEFT},      {{13, 16}, platform::HTTOP},
      {{16, 13}, platform::HTCLIENT},       {{384, 16}, platform::HTTOPRIGHT},
      {{200, 15}, platform::HTTOP},         {{16, 284}, platform::HTBOTTOMLEFT},
      {{384, 284}, platform::HTBOTTOMRIGHT}, {{200, 285}, platform::HTBOTTOM},
      {{15, 150}, platform::HTLEFT},        {{385, 150}, platform::HTRIGHT},
      {{5, 150}, platform::HTCLIENT},       {{200, 295}, platform::HTCLIENT},
      {{395, 150}, platform::HTCLIENT},     {{100, 30}, platform::HTCAPTION},
      {{100, 60}, platform::HTCLIENT},      {{200, 200}, platform::HTCLIENT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTest(c.point), c.expected) << "at " << c.point.x << "," << c.point.y;
  }
  // The caption's buttons and rich edit keep their clicks; the title beside
  // them drags.
  for (const char16_t* name : {u"closebtn", u"minbtn", u"maxbtn", u"search"}) {
    EXPECT_EQ(HitTest(Centre(window_->FindControlByName(name))), platform::HTCLIENT);
  }
  EXPECT_EQ(HitTest(Centre(window_->FindControlByName(u"title"))), platform::HTCAPTION);
}

TEST_F(WindowImplBaseTest, MaximisedWindowHasNoResizeBorders) {
  ASSERT_NE(Open(), nullptr);
  platform::ShowWindow(window_->GetHWND(), platform::SW_MAXIMIZE);
  Drain();
  ASSERT_TRUE(platform::IsZoomed(window_->GetHWND()));
  // The corner that resizes a normal window drags the maximised one.
  EXPECT_EQ(HitTest(UiPoint{16, 16}), platform::HTCAPTION);
}

TEST_F(WindowImplBaseTest, MissingSkinShowsOneErrorBoxAndNoWindow) {
  EXPECT_EQ(Open(u"missing.xml"), nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], u"Vistrel|Failed to load xml file main\\missing.xml");
  // The window object went with the window it failed to create.
  EXPECT_TRUE(deleted_);
}

TEST_F(WindowImplBaseTest, ErrorBoxCarriesTheWholeOfALongSkinName) {
  const std::u16string file(300, u'x');
  EXPECT_EQ(Open(file + u".xml"), nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], u"Vistrel|Failed to load xml file main\\" + file + u".xml");
}

TEST_F(WindowImplBaseTest, MaxAndRestoreButtonsSwapAndChangeTheWindow) {
  ASSERT_NE(Open(), nullptr);
  const platform::HWND hwnd = window_->GetHWND();
  Control* max_button = window_->FindControlByName(u"maxbtn");
  Control* restore_button = window_->FindControlByName(u"restorebtn");
  max_button->FireEvent(kEventClick);
  Drain();
  EXPECT_TRUE(platform::IsZoomed(hwnd));
  EXPECT_FALSE(max_button->IsVisible());
  EXPECT_TRUE(restore_button->IsVisible());

  restore_button->FireEvent(kEventClick);
  Drain();
  EXPECT_FALSE(platform::IsZoomed(hwnd));
  EXPECT_TRUE(max_button->IsVisible());
  EXPECT_FALSE(restore_button->IsVisible());

  window_->FindControlByName(u"minbtn")->FireEvent(kEventClick);
  Drain();
  EXPECT_TRUE(platform::IsIconic(hwnd));
}

TEST_F(WindowImplBaseTest, CloseButtonClosesThroughOnCloseAndTheWindowDeletesItself) {
  ASSERT_NE(Open(), nullptr);
  window_->FindControlByName(u"closebtn")->FireEvent(kEventClick);
  Drain();
  EXPECT_EQ(closes_, 0);  // the fade runs first
  Advance(300);
  Drain();
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(deleted_);
}

TEST_F(WindowImplBaseTest, SystemMenuCloseGoesThroughOnClose) {
  ASSERT_NE(Open(), nullptr);
  platform::SendMessage(window_->GetHWND(), platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
  Drain();
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(deleted_);
}

TEST_F(WindowImplBaseTest, CaptionDoubleClickNeverMaximises) {
  ASSERT_NE(Open(), nullptr);
  platform::SendMessage(window_->GetHWND(), platform::WM_NCLBUTTONDBLCLK, platform::HTCAPTION, 0);
  Drain();
  EXPECT_FALSE(platform::IsZoomed(window_->GetHWND()));
}

TEST_F(WindowImplBaseTest, MinMaxInfoComesFromTheSkin) {
  ASSERT_NE(Open(), nullptr);
  platform::MINMAXINFO info;
  info.ptMaxTrackSize = {5000, 5000};
  info.ptMinTrackSize = {1, 1};
  platform::SendMessage(window_->GetHWND(), platform::WM_GETMINMAXINFO, 0,
                        static_cast<platform::LPARAM>(reinterpret_cast<intptr_t>(&info)));
  const UiSize min_info = window_->GetMinInfo();
  const UiSize max_info = window_->GetMaxInfo();
  EXPECT_GE(min_info.cx, 300);
  EXPECT_GE(max_info.cx, 900);
  EXPECT_EQ(info.ptMinTrackSize.x, min_info.cx);
  EXPECT_EQ(info.ptMinTrackSize.y, min_info.cy);
  EXPECT_EQ(info.ptMaxTrackSize.x, max_info.cx);
  EXPECT_EQ(info.ptMaxTrackSize.y, max_info.cy);
}

TEST_F(WindowImplBaseTest, SkinWithoutLimitsLeavesTheTrackSizes) {
  std::ofstream(root_ / "main" / "plain.xml") << R"(<Window size="100,100"><VBox/></Window>)";
  ASSERT_NE(Open(u"plain.xml"), nullptr);
  platform::MINMAXINFO info;
  info.ptMaxTrackSize = {5000, 4000};
  info.ptMinTrackSize = {1, 2};
  platform::SendMessage(window_->GetHWND(), platform::WM_GETMINMAXINFO, 0,
                        static_cast<platform::LPARAM>(reinterpret_cast<intptr_t>(&info)));
  EXPECT_EQ(info.ptMinTrackSize.x, 1);
  EXPECT_EQ(info.ptMinTrackSize.y, 2);
  EXPECT_EQ(info.ptMaxTrackSize.x, 5000);
  EXPECT_EQ(info.ptMaxTrackSize.y, 4000);
}

TEST_F(WindowImplBaseTest, DpiChangeRescalesTheShadowCorner) {
  ASSERT_NE(Open(), nullptr);
  DpiManager::GetInstance()->SetAdaptDPI(true);
  platform::SendMessage(window_->GetHWND(), platform::WM_DPICHANGED, platform::MakeWParam(144, 144), 0);
  EXPECT_EQ(DpiManager::GetInstance()->GetScale(), 150);
  EXPECT_EQ(window_->GetShadowCorner(), (UiRect{21, 21, 21, 21}));
  EXPECT_EQ(window_->GetShadow().GetShadowBox()->GetLayout()->GetPadding(), (UiRect{21, 21, 21, 21}));
}

}  // namespace
}  // namespace ui::testing
