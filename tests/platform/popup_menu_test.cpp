// The pop-up menu on the in-memory back-end: where it opens, the hot row as
// the pointer moves, a chosen item posted to the owner as WM_COMMAND, and the
// ways it closes without a command (a press outside, Escape).
#include "platform/menu/popup_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"

namespace platform {
namespace {

std::vector<WPARAM> g_commands;

LRESULT OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) g_commands.push_back(wparam);
  return DefWindowProc(hwnd, message, wparam, lparam);
}

class PopupMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands.clear();
    backend_.SetMonitors({MonitorInfo{Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}, true}});
    InstallWindowBackend(&backend_);
    owner_ = CreateMessageWindow(OwnerProc);
    ASSERT_TRUE(menu_->AppendItem(2026, u"Open main window"));
    ASSERT_TRUE(menu_->AppendItem(2028, u"Exit"));
  }
  void TearDown() override {
    DestroyWindow(owner_);
    menu_.reset();
    Drain();
    InstallWindowBackend(nullptr);
  }
  void Drain() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  Rect MenuRect() const {
    Rect rect;
    GetWindowRect(menu_->hwnd(), &rect);
    return rect;
  }
  static Point Centre(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  void ClickAt(Point screen) {
    backend_.InjectMouseMoveAt(screen);
    backend_.InjectButtonAt(screen, 1, true);
    backend_.InjectButtonAt(screen, 1, false);
    Drain();
  }

  MemoryBackend backend_;
  HWND owner_ = nullptr;
  std::unique_ptr<PopupMenu> menu_ = std::make_unique<PopupMenu>();
};

TEST_F(PopupMenuTest, ItemsNeedANewNonZeroId) {
  EXPECT_FALSE(menu_->AppendItem(0, u"none"));
  EXPECT_FALSE(menu_->AppendItem(2028, u"Exit again"));
  EXPECT_EQ(menu_->item_count(), 2u);
  PopupMenu empty;
  EXPECT_FALSE(empty.Track(TPM_BOTTOMALIGN, Point{10, 10}, owner_));
  EXPECT_FALSE(menu_->Track(TPM_BOTTOMALIGN, Point{10, 10}, nullptr));
}

TEST_F(PopupMenuTest, OpensWithTheNamedCornerAtThePointInsideTheWorkArea) {
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  EXPECT_TRUE(menu_->IsShown());
  Rect rect = MenuRect();
  EXPECT_EQ(rect.left, 600);
  EXPECT_EQ(rect.bottom, 700);
  EXPECT_EQ(rect.Height(), 2 * MenuPicture::kItemHeight + 2 * MenuPicture::kBorder);
  EXPECT_GE(rect.Width(), MenuPicture::kMinWidth);

  // At the screen's corner (a tray at the bottom right): moved inside the
  // work area, above the panel.
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{1915, 1075}, owner_));
  rect = MenuRect();
  EXPECT_EQ(rect.right, 1920);
  EXPECT_EQ(rect.bottom, 1040);
  // At the top left (a tray at the top): below the point rather than off screen.
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN | TPM_RIGHTALIGN, Point{5, 5}, owner_));
  rect = MenuRect();
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
}

TEST_F(PopupMenuTest, TheRowUnderThePointerIsHighlighted) {
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  const Rect exit_row = menu_->ItemScreenRect(1);
  backend_.InjectMouseMoveAt(Centre(exit_row));
  Drain();
  EXPECT_EQ(menu_->hot_item(), 1);
  // The picture shows it: the highlighted row's ground differs from the other's.
  const auto picture = backend_.LastPicture(GetNativeWindow(menu_->hwnd()));
  ASSERT_TRUE(picture);
  const Rect menu = MenuRect();
  auto ground = [&](const Rect& row) {
    return picture->pixels[static_cast<size_t>((row.top - menu.top + 2) * picture->width + 3)];
  };
  EXPECT_NE(ground(menu_->ItemScreenRect(0)), ground(exit_row));
  backend_.InjectMouseLeave(GetNativeWindow(menu_->hwnd()));
  Drain();
  EXPECT_EQ(menu_->hot_item(), -1);
}

TEST_F(PopupMenuTest, AChosenItemClosesTheMenuAndReachesTheOwnerAsWmCommand) {
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  ClickAt(Centre(menu_->ItemScreenRect(1)));
  EXPECT_FALSE(menu_->IsShown());
  ASSERT_EQ(g_commands.size(), 1u);
  EXPECT_EQ(LoWord(g_commands[0]), 2028);
  EXPECT_EQ(g_commands[0] >> 16, 0u);

  // Opened again and chosen from the keyboard.
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  const NativeWindow native = GetNativeWindow(menu_->hwnd());
  for (uint32_t key : {VK_DOWN, VK_DOWN, VK_UP, VK_RETURN}) backend_.InjectKey(native, key, true);
  Drain();
  ASSERT_EQ(g_commands.size(), 2u);
  EXPECT_EQ(LoWord(g_commands[1]), 2026);
}

TEST_F(PopupMenuTest, APressOutsideOrEscapeClosesWithoutACommand) {
  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  ClickAt(Point{100, 100});
  EXPECT_FALSE(menu_->IsShown());

  ASSERT_TRUE(menu_->Track(TPM_BOTTOMALIGN, Point{600, 700}, owner_));
  Drain();
  backend_.InjectKey(GetNativeWindow(menu_->hwnd()), VK_ESCAPE, true);
  Drain();
  EXPECT_FALSE(menu_->IsShown());
  // A release over the spot where an item was, after the menu closed: nothing.
  ClickAt(Point{620, 690});
  EXPECT_TRUE(g_commands.empty());
}

}  // namespace
}  // namespace platform
