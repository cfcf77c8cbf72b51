#include "platform/window/memory_backend.h"

#include <gtest/gtest.h>

#include "tests/platform/recording_client.h"

namespace platform {
namespace {

using testing::RecordedMessage;
using testing::RecordingClient;

class MemoryBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.SetClient(&client_);
    NativeWindowParams params;
    params.class_name = "TestWindow";
    params.rect = Rect{100, 50, 420, 290};
    window_ = backend_.CreateNativeWindow(params);
    backend_.ShowNativeWindow(window_, ShowCommand::kShowNormal);
    backend_.DispatchEvents();
    client_.messages.clear();
    client_.invalidations.clear();
  }

  MemoryBackend backend_;
  RecordingClient client_;
  NativeWindow window_ = 0;
};

TEST_F(MemoryBackendTest, ClickHitTestsFirstThenDeliversClientPoints) {
  backend_.InjectButton(window_, 1, true, Point{30, 40});
  backend_.InjectButton(window_, 1, false, Point{31, 41});
  EXPECT_TRUE(backend_.DispatchEvents());
  const auto m = client_.Only({WM_NCHITTEST, WM_LBUTTONDOWN, WM_LBUTTONUP});
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].message, WM_NCHITTEST);
  // The hit test gets the screen point, the button messages the client point.
  EXPECT_EQ(GetXLParam(m[0].lparam), 130);
  EXPECT_EQ(GetYLParam(m[0].lparam), 90);
  EXPECT_EQ(m[1].message, WM_LBUTTONDOWN);
  EXPECT_EQ(m[1].wparam & MK_LBUTTON, MK_LBUTTON);
  EXPECT_EQ(GetXLParam(m[1].lparam), 30);
  EXPECT_EQ(GetYLParam(m[1].lparam), 40);
  EXPECT_EQ(m[2].message, WM_LBUTTONUP);
  EXPECT_EQ(m[2].wparam & MK_LBUTTON, 0u);
  EXPECT_EQ(GetXLParam(m[2].lparam), 31);
}

TEST_F(MemoryBackendTest, SecondPressBecomesDoubleClickOnlyWhenSoonAndNear) {
  struct Case {
    int64_t gap_ms;
    Point second;
    uint32_t expected;
  } cases[] = {
      {100, Point{10, 10}, WM_LBUTTONDBLCLK},
      {500, Point{12, 8}, WM_LBUTTONDBLCLK},
      {501, Point{10, 10}, WM_LBUTTONDOWN},
      {100, Point{13, 10}, WM_LBUTTONDOWN},
  };
  for (const Case& c : cases) {
    client_.messages.clear();
    backend_.AdvanceTimeMs(10000);  // forget the previous case
    backend_.InjectButton(window_, 1, true, Point{10, 10});
    backend_.InjectButton(window_, 1, false, Point{10, 10});
    backend_.DispatchEvents();
    backend_.AdvanceTimeMs(c.gap_ms);
    backend_.InjectButton(window_, 1, true, c.second);
    backend_.InjectButton(window_, 1, false, c.second);
    backend_.DispatchEvents();
    const auto downs = client_.Only({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(downs[1].message, c.expected) << "gap " << c.gap_ms << " at " << c.second.x << "," << c.second.y;
  }
}

TEST_F(MemoryBackendTest, ThirdQuickPressIsASingleClickAgain) {
  for (int i = 0; i < 3; ++i) {
    backend_.InjectButton(window_, 1, true, Point{5, 5});
    backend_.InjectButton(window_, 1, false, Point{5, 5});
    backend_.DispatchEvents();
    backend_.AdvanceTimeMs(50);
  }
  const auto downs = client_.Only({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].message, WM_LBUTTONDOWN);
  EXPECT_EQ(downs[1].message, WM_LBUTTONDBLCLK);
  EXPECT_EQ(downs[2].message, WM_LBUTTONDOWN);
}

TEST_F(MemoryBackendTest, CaptionPressStartsAMoveInsteadOfAClick) {
  client_.hit_test = HTCAPTION;
  backend_.InjectButton(window_, 1, true, Point{20, 5});
  backend_.DispatchEvents();
  EXPECT_FALSE(client_.Has(WM_LBUTTONDOWN));
  const auto nc = client_.Only({WM_NCLBUTTONDOWN});
  ASSERT_EQ(nc.size(), 1u);
  EXPECT_EQ(nc[0].wparam, static_cast<WPARAM>(HTCAPTION));
  ASSERT_TRUE(backend_.LastMoveResize().has_value());
  EXPECT_EQ(backend_.LastMoveResize()->hit_test, HTCAPTION);
  EXPECT_EQ(backend_.LastMoveResize()->screen_point, (Point{120, 55}));
}

TEST_F(MemoryBackendTest, WheelCarriesSignedDeltaAndScreenPoint) {
  backend_.InjectWheel(window_, 1, Point{10, 20});
  backend_.InjectWheel(window_, -2, Point{10, 20});
  backend_.DispatchEvents();
  const auto wheel = client_.Only({WM_MOUSEWHEEL});
  ASSERT_EQ(wheel.size(), 2u);
  EXPECT_EQ(GetWheelDelta(wheel[0].wparam), 120);
  EXPECT_EQ(GetWheelDelta(wheel[1].wparam), -240);
  EXPECT_EQ(GetXLParam(wheel[0].lparam), 110);
  EXPECT_EQ(GetYLParam(wheel[0].lparam), 70);
}

TEST_F(MemoryBackendTest, PresentKeepsTheLastPictureWithConstantAlphaApplied) {
  const uint32_t pixels[4] = {0xFF102030, 0x80404040, 0x00000000, 0xFFFFFFFF};
  PresentBuffer buffer{pixels, 2, 2, 8, 255};
  backend_.Present(window_, buffer);
  auto picture = backend_.LastPicture(window_);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->pixels, std::vector<uint32_t>(pixels, pixels + 4));
  buffer.constant_alpha = 0x80;
  backend_.Present(window_, buffer);
  picture = backend_.LastPicture(window_);
  EXPECT_EQ(picture->pixels[0], 0x80081018u);
  EXPECT_EQ(picture->pixels[3], 0x80808080u);
  EXPECT_EQ(backend_.PresentCount(window_), 2);
}

TEST_F(MemoryBackendTest, HoverFiresOnceAfterTheMouseRestsAndLeaveOnlyWhenArmed) {
  backend_.InjectMouseMove(window_, Point{7, 8});
  backend_.DispatchEvents();
  backend_.TrackMouse(window_, TME_HOVER | TME_LEAVE, 200);
  backend_.AdvanceTimeMs(150);
  backend_.InjectMouseMove(window_, Point{9, 8});  // moving restarts the hover time
  backend_.DispatchEvents();
  backend_.AdvanceTimeMs(199);
  backend_.DispatchEvents();
  EXPECT_FALSE(client_.Has(WM_MOUSEHOVER));
  EXPECT_EQ(backend_.NextTimeoutMs(), 1);
  backend_.AdvanceTimeMs(1);
  backend_.DispatchEvents();
  auto hover = client_.Only({WM_MOUSEHOVER});
  ASSERT_EQ(hover.size(), 1u);
  EXPECT_EQ(GetXLParam(hover[0].lparam), 9);
  backend_.AdvanceTimeMs(1000);
  backend_.DispatchEvents();
  EXPECT_EQ(client_.Only({WM_MOUSEHOVER}).size(), 1u);

  backend_.InjectMouseLeave(window_);
  backend_.InjectMouseLeave(window_);
  backend_.DispatchEvents();
  EXPECT_EQ(client_.Only({WM_MOUSELEAVE}).size(), 1u);
}

TEST_F(MemoryBackendTest, MaximiseFillsTheWorkAreaAndRestoreReturns) {
  MonitorInfo left{Rect{0, 0, 1000, 800}, Rect{0, 0, 1000, 760}, true};
  MonitorInfo right{Rect{1000, 0, 2000, 800}, Rect{1000, 30, 2000, 800}, false};
  backend_.SetMonitors({left, right});
  backend_.SetWindowRect(window_, Rect{1200, 100, 1400, 300});
  backend_.DispatchEvents();
  client_.messages.clear();
  backend_.ShowNativeWindow(window_, ShowCommand::kMaximize);
  backend_.DispatchEvents();
  EXPECT_TRUE(backend_.IsMaximized(window_));
  EXPECT_EQ(backend_.GetWindowRect(window_), right.work);
  auto sizes = client_.Only({WM_SIZE});
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().wparam, SIZE_MAXIMIZED);
  backend_.ShowNativeWindow(window_, ShowCommand::kRestore);
  backend_.DispatchEvents();
  EXPECT_FALSE(backend_.IsMaximized(window_));
  EXPECT_EQ(backend_.GetWindowRect(window_), (Rect{1200, 100, 1400, 300}));
  sizes = client_.Only({WM_SIZE});
  EXPECT_EQ(sizes.back().wparam, SIZE_RESTORED);
  EXPECT_EQ(GetXLParam(sizes.back().lparam), 200);
}

TEST_F(MemoryBackendTest, FocusMovesWithKillBeforeSet) {
  NativeWindowParams params;
  params.rect = Rect{0, 0, 10, 10};
  params.owner = window_;
  const NativeWindow popup = backend_.CreateNativeWindow(params);
  EXPECT_EQ(backend_.Owner(popup), window_);
  backend_.ShowNativeWindow(popup, ShowCommand::kShowNormal);
  backend_.DispatchEvents();
  const auto focus = client_.Only({WM_KILLFOCUS, WM_SETFOCUS});
  ASSERT_EQ(focus.size(), 2u);
  EXPECT_EQ(focus[0].message, WM_KILLFOCUS);
  EXPECT_EQ(focus[0].window, window_);
  EXPECT_EQ(focus[1].message, WM_SETFOCUS);
  EXPECT_EQ(focus[1].window, popup);
  EXPECT_EQ(backend_.GetFocus(), popup);
  backend_.DestroyNativeWindow(popup);
  EXPECT_EQ(backend_.GetFocus(), 0u);
}

TEST_F(MemoryBackendTest, KeysAndTextArriveAsKeyAndCharMessages) {
  backend_.InjectKey(window_, VK_SHIFT, true);
  backend_.InjectText(window_, u"\u00e9\U0001F600");
  backend_.DispatchEvents();
  EXPECT_TRUE(backend_.IsKeyDown(VK_SHIFT));
  backend_.InjectKey(window_, VK_SHIFT, false);
  backend_.DispatchEvents();
  EXPECT_FALSE(backend_.IsKeyDown(VK_SHIFT));
  const auto chars = client_.Only({WM_CHAR});
  ASSERT_EQ(chars.size(), 3u);  // one BMP unit, then a surrogate pair
  EXPECT_EQ(chars[0].wparam, 0xE9u);
  EXPECT_EQ(chars[1].wparam, 0xD83Du);
  EXPECT_EQ(chars[2].wparam, 0xDE00u);
}

TEST_F(MemoryBackendTest, CloseRequestArrivesAsSystemClose) {
  backend_.InjectCloseRequest(window_);
  backend_.DispatchEvents();
  const auto sys = client_.Only({WM_SYSCOMMAND});
  ASSERT_EQ(sys.size(), 1u);
  EXPECT_EQ(sys[0].wparam, SC_CLOSE);
}

TEST_F(MemoryBackendTest, EventsOfADestroyedWindowAreDropped) {
  backend_.InjectButton(window_, 1, true, Point{1, 1});
  backend_.DestroyNativeWindow(window_);
  EXPECT_FALSE(backend_.DispatchEvents());
  EXPECT_TRUE(client_.messages.empty());
}

}  // namespace
}  // namespace platform
