// The native half of the window on the in-memory back-end with the fake
// clock: the first paint's layout and fade-in, the delayed close, the
// picture presented, the window-on-top message, centring and sizes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/registered_window_list.h"
#include "ui/render/i_render_context.h"

namespace ui::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;

struct SeenMessage {
  platform::UINT message;
  platform::WPARAM wparam;
};

// A window that records what reaches it and keeps WM_CLOSE to itself.
class RecordingWindow : public Window {
 public:
  platform::LRESULT HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                  platform::LPARAM lparam) override {
    if (message == platform::WM_CLOSE || message == kMsgWindowOnTop) {
      seen.push_back({message, wparam});
      return 0;
    }
    return Window::HandleMessage(message, wparam, lparam);
  }
  int Count(platform::UINT message) const {
    int n = 0;
    for (const SeenMessage& m : seen) n += m.message == message ? 1 : 0;
    return n;
  }
  std::vector<SeenMessage> seen;
};

// A control that asks for its layout again whenever it is laid out.
class RestlessControl : public Control {
 public:
  void SetPos(UiRect rect) override {
    ++placements;
    Control::SetPos(rect);
    if (restless) ArrangeSelf();
  }
  int placements = 0;
  bool restless = false;
};

class WindowHostTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    platform::InstallWindowBackend(&backend_);
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    GlobalManager::AddTextColor(u"red", kRed);
  }
  void TearDown() override {
    for (auto& window : windows_) {
      if (window->GetHWND() != nullptr) platform::DestroyWindow(window->GetHWND());
    }
    Drain();
    windows_.clear();
    GlobalManager::RemoveAllTextColors();
    GlobalManager::Shutdown();
    platform::InstallWindowBackend(nullptr);
    ControlTreeTest::TearDown();
  }

  RecordingWindow* Open(UiRect rect = UiRect{100, 100, 400, 300}, bool layered = true,
                        platform::HWND owner = nullptr) {
    auto window = std::make_unique<RecordingWindow>();
    const platform::HWND hwnd = window->Create(owner, u"test", 0, 0, layered, rect);
    EXPECT_NE(hwnd, nullptr);
    window->AttachWindowHandle(hwnd);
    platform::ShowWindow(hwnd, platform::SW_SHOWNOACTIVATE);
    windows_.push_back(std::move(window));
    return windows_.back().get();
  }

  static Control* RedRoot(Window* window) {
    auto* root = new Box;
    root->SetBkColor(u"red");
    EXPECT_TRUE(window->AttachRoot(root));
    return root;
  }

  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }

  platform::NativeWindow Native(Window* window) { return platform::GetNativeWindow(window->GetHWND()); }

  platform::MemoryBackend backend_;
  std::vector<std::unique_ptr<RecordingWindow>> windows_;
};

TEST_F(WindowHostTest, FirstPaintLaysOutAndFadesInLaterPaintsDoNot) {
  RecordingWindow* window = Open();
  Control* root = RedRoot(window);
  Drain();
  EXPECT_EQ(root->GetPos(true), (UiRect{0, 0, 300, 200}));
  EXPECT_FALSE(window->IsFirstLayoutPending());
  EXPECT_EQ(window->GetWindowAlpha(), 0);
  ASSERT_GE(backend_.PresentCount(Native(window)), 1);
  EXPECT_EQ(backend_.LastPicture(Native(window))->constant_alpha, 0);

  for (int i = 0; i < 30; ++i) {
    Advance(16);
    Drain();
  }
  EXPECT_EQ(window->GetWindowAlpha(), 255);
  const auto picture = backend_.LastPicture(Native(window));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->constant_alpha, 255);
  // Our own pixels: the root's opaque red everywhere.
  ASSERT_EQ(picture->width, 300);
  EXPECT_EQ(picture->pixels[static_cast<size_t>(150 * picture->width + 10)], kRed);

  const int presents = backend_.PresentCount(Native(window));
  root->Invalidate();
  Drain();
  EXPECT_GT(backend_.PresentCount(Native(window)), presents);
  EXPECT_EQ(window->GetWindowAlpha(), 255);  // no second fade

  // A new root fades in again.
  RedRoot(window);
  platform::InvalidateRect(window->GetHWND(), nullptr, false);
  Drain();
  EXPECT_EQ(window->GetWindowAlpha(), 0);
}

TEST_F(WindowHostTest, ClosePostsCloseThreeHundredMillisecondsAfterTheFadeStarts) {
  RecordingWindow* window = Open();
  RedRoot(window);
  Drain();
  window->Close(7);
  Advance(299);
  Drain();
  EXPECT_EQ(window->Count(platform::WM_CLOSE), 0);
  Advance(1);
  Drain();
  ASSERT_EQ(window->Count(platform::WM_CLOSE), 1);
  EXPECT_EQ(window->seen.back().wparam, 7u);
  Advance(1000);
  Drain();
  EXPECT_EQ(window->Count(platform::WM_CLOSE), 1);
}

TEST_F(WindowHostTest, CloseWithoutRootPostsAtOnce) {
  RecordingWindow* window = Open();
  window->Close(3);
  Drain();
  ASSERT_EQ(window->Count(platform::WM_CLOSE), 1);
  EXPECT_EQ(window->seen.back().wparam, 3u);
}

TEST_F(WindowHostTest, DestroyedWindowsCloseTimerDoesNothing) {
  RecordingWindow* window = Open();
  RedRoot(window);
  Drain();
  window->Close(1);
  platform::DestroyWindow(window->GetHWND());
  windows_.clear();
  Advance(400);
  Drain();  // nothing posted to a window that is gone, nothing touched
  SUCCEED();
}

TEST_F(WindowHostTest, LastWindowGoingAwayPutsThePreviousOnTop) {
  RecordingWindow* first = Open();
  RecordingWindow* middle = Open();
  RecordingWindow* last = Open();
  EXPECT_EQ(first->Count(kMsgWindowOnTop), 1);
  EXPECT_EQ(last->Count(kMsgWindowOnTop), 1);
  ASSERT_EQ(RegisteredWindowList::GetInstance().entries().size(), 3u);

  platform::DestroyWindow(middle->GetHWND());
  EXPECT_EQ(first->Count(kMsgWindowOnTop), 1);
  EXPECT_EQ(last->Count(kMsgWindowOnTop), 1);

  platform::DestroyWindow(last->GetHWND());
  EXPECT_EQ(first->Count(kMsgWindowOnTop), 2);
  EXPECT_EQ(RegisteredWindowList::GetInstance().entries().size(), 1u);
}

TEST_F(WindowHostTest, ArrangesEachControlAtMostOnceAPaint) {
  RecordingWindow* window = Open();
  auto* root = new Box;
  auto* restless = new RestlessControl;
  ASSERT_TRUE(root->Add(restless));
  ASSERT_TRUE(window->AttachRoot(root));
  Drain();
  restless->placements = 0;
  restless->restless = true;
  restless->ArrangeSelf();
  // One paint: the control is placed once and its new request waits.
  platform::MSG msg;
  ASSERT_TRUE(platform::PeekMessage(&msg, window->GetHWND(), platform::WM_PAINT,
                                    platform::WM_PAINT, platform::PM_REMOVE));
  platform::DispatchMessage(&msg);
  EXPECT_EQ(restless->placements, 1);
  EXPECT_TRUE(window->IsArrangeNeeded());
  restless->restless = false;
  Drain();
  EXPECT_EQ(restless->placements, 2);
  EXPECT_FALSE(window->IsArrangeNeeded());
}

TEST_F(WindowHostTest, CentresOnTheWorkAreaOrTheOwner) {
  RecordingWindow* window = Open(UiRect{0, 0, 400, 200});
  window->CenterWindow();
  UiRect rect;
  ASSERT_TRUE(platform::GetWindowRect(window->GetHWND(), &rect));
  EXPECT_EQ(rect, (UiRect{760, 420, 1160, 620}));  // work area 1920 x 1040

  RecordingWindow* owned = Open(UiRect{0, 0, 100, 100}, true, window->GetHWND());
  owned->CenterWindow();
  ASSERT_TRUE(platform::GetWindowRect(owned->GetHWND(), &rect));
  EXPECT_EQ(rect, (UiRect{910, 470, 1010, 570}));

  // A window larger than the work area is kept inside it.
  RecordingWindow* big = Open(UiRect{0, 0, 2000, 300});
  big->CenterWindow();
  ASSERT_TRUE(platform::GetWindowRect(big->GetHWND(), &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 370);
}

TEST_F(WindowHostTest, InitialSizeScalesAndSizesARootlessWindow) {
  RecordingWindow* window = Open();
  window->GetShadow().SetShadowAttached(false);
  SetScale(150);
  window->SetInitSize(200, 100);
  UiRect rect;
  ASSERT_TRUE(platform::GetWindowRect(window->GetHWND(), &rect));
  EXPECT_EQ(rect.Width(), 300);
  EXPECT_EQ(rect.Height(), 150);
  window->SetInitSize(50, 60, false);
  EXPECT_EQ(window->GetInitSize(), (UiSize{50, 60}));

  SetScale(100);
  RecordingWindow* shadowed = Open();
  ASSERT_TRUE(shadowed->IsShadowAttached()) << "a window has its shadow unless told otherwise";
  shadowed->SetInitSize(200, 100);
  ASSERT_TRUE(platform::GetWindowRect(shadowed->GetHWND(), &rect));
  EXPECT_EQ(rect.Width(), 228);
  EXPECT_EQ(rect.Height(), 128);
}

TEST_F(WindowHostTest, AutoSizedRootSizesTheWindowOnPaint) {
  const struct {
    const char16_t* root;
    int width, height;
  } cases[] = {
      {u"width=\"auto\" height=\"auto\"", 120, 80},
      {u"width=\"auto\" height=\"auto\" minwidth=\"150\" maxheight=\"60\"", 150, 60},
      {u"width=\"auto\" height=\"stretch\"", 120, 200},
  };
  for (const auto& c : cases) {
    RecordingWindow* window = Open(UiRect{100, 100, 400, 300});
    window->GetShadow().SetShadowAttached(false);
    auto* root = new Box();
    root->ApplyAttributeList(c.root);
    auto* child = new Control();
    child->ApplyAttributeList(u"width=\"120\" height=\"80\"");
    root->Add(child);
    ASSERT_TRUE(window->AttachRoot(root));
    Drain();
    UiRect rect;
    ASSERT_TRUE(platform::GetWindowRect(window->GetHWND(), &rect));
    EXPECT_EQ(rect, (UiRect{100, 100, 100 + c.width, 100 + c.height})) << c.width;
    EXPECT_EQ(root->GetPos(), (UiRect{0, 0, c.width, c.height}));
  }
}

// A layered window whose root sits in the shadow: the shadow's margin keeps
// the picture's own alpha, the rounded corners of the root keep theirs, and
// every other pixel of the root comes out opaque.
TEST_F(WindowHostTest, LayeredPaintWithShadowKeepsCornerAlphaAndMakesTheRestOpaque) {
  constexpr uint32_t kShade = 0x40000000;
  const std::string folder = ::testing::TempDir();
  const std::string file = folder + "/window_host_shadow_" + std::to_string(getpid()) + ".png";
  const std::string png = GridPng(30, 3, 3, std::vector<uint32_t>(9, kShade));
  FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(png.data(), 1, png.size(), out), png.size());
  std::fclose(out);
  struct RemoveAtEnd {
    std::string path;
    ~RemoveAtEnd() { std::remove(path.c_str()); }
  } remove_at_end{file};

  RecordingWindow* window = Open(UiRect{100, 100, 400, 300});
  std::u16string image = u"file='";
  for (char ch : file) image.push_back(static_cast<char16_t>(ch));
  image += u"' corner='30,30,30,30'";
  window->GetShadow().SetShadowImage(image);
  auto* root = new Box();
  root->ApplyAttributeList(u"bkcolor=\"red\" borderround=\"8,8\"");
  ASSERT_TRUE(window->AttachRoot(window->GetShadow().AttachShadow(root)));
  Drain();
  for (int i = 0; i < 30; ++i) {
    Advance(16);
    Drain();
  }
  ASSERT_EQ(root->GetPos(), (UiRect{14, 14, 286, 186}));
  const auto picture = backend_.LastPicture(Native(window));
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->width, 300);
  ASSERT_EQ(picture->height, 200);
  EXPECT_EQ(picture->constant_alpha, 255);
  const auto pixel = [&](int x, int y) {
    return picture->pixels[static_cast<size_t>(y * picture->width + x)];
  };
  const UiRect inner{14, 14, 286, 186};
  constexpr int kCornerZone = 15;  // the shadow corner and one pixel
  int margin_wrong = 0;
  int inner_wrong = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (!inner.Contains(UiPoint{x, y})) {
        margin_wrong += pixel(x, y) == kShade ? 0 : 1;
        continue;
      }
      const bool corner_x = x < inner.left + kCornerZone || x >= inner.right - kCornerZone;
      const bool corner_y = y < inner.top + kCornerZone || y >= inner.bottom - kCornerZone;
      if (corner_x && corner_y) continue;
      inner_wrong += pixel(x, y) == kRed ? 0 : 1;
    }
  }
  EXPECT_EQ(margin_wrong, 0) << "the shadow keeps its own alpha";
  EXPECT_EQ(inner_wrong, 0) << "the root is opaque outside its corners";
  // The rounded corner: what the root leaves uncovered stays translucent.
  for (const UiPoint corner : {UiPoint{14, 14}, UiPoint{285, 14}, UiPoint{14, 185}, UiPoint{285, 185}}) {
    const uint32_t alpha = pixel(corner.x, corner.y) >> 24;
    EXPECT_LT(alpha, 255u) << corner.x << "," << corner.y;
    EXPECT_GE(alpha, kShade >> 24) << corner.x << "," << corner.y;
  }
  EXPECT_EQ(pixel(150, 100), kRed);
}

}  // namespace
}  // namespace ui::testing
