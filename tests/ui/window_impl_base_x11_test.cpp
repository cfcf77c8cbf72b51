// A skinned window on the X server: started with a skin folder on disk, it
// builds its tree from the folder's XML, is mapped, and its own picture (the
// skin's red body inside the shadow) reaches the window's pixels. Needs a
// display (the test script runs xvfb-run).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "base/framework/message_loop.h"
#include "platform/clock/clock.h"
#include "platform/message/message_api.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "tests/support/pump_until.h"
#include "ui/control.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"
#include "ui/window_impl_base.h"

namespace ui {
namespace {

constexpr char kSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" caption="0,0,0,30" sizebox="4,4,4,4">
  <VBox bkcolor="red">
    <Control name="body"/>
  </VBox>
</Window>
)";

class SkinnedWindow : public WindowImplBase {
 public:
  explicit SkinnedWindow(bool* deleted) : deleted_(deleted) {}
  ~SkinnedWindow() override { *deleted_ = true; }
  std::u16string GetWindowClassName() const override { return u"SkinnedWindowX11Test"; }
  std::u16string GetSkinFolder() override { return u"main"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }

 private:
  bool* deleted_;
};

using testing_support::PumpUntil;

bool IsMapped(Display* display, ::Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

// The colour (no alpha) of one pixel of the window's own contents.
unsigned long PixelAt(Display* display, ::Window window, int x, int y) {
  XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
  XDestroyImage(image);
  return pixel;
}

TEST(WindowImplBaseX11Test, SkinFolderWindowIsMappedAndShowsItsOwnPicture) {
  const char* display_name = std::getenv("DISPLAY");
  if (display_name == nullptr || *display_name == '\0') {
    GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
  }
  char pattern[] = "/tmp/window_impl_base_x11_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path root = pattern;
  std::filesystem::create_directories(root / "main");
  std::ofstream(root / "main" / "skin.xml") << kSkin;

  kbase::MessageLoop loop;
  auto backend = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
  ASSERT_NE(backend, nullptr);
  platform::InstallWindowBackend(backend.get());
  GlobalManager::Startup(platform::UTF8ToUTF16(root.string() + "/"), nullptr, u"", u"en");
  GlobalManager::AddTextColor(u"red", 0xFFFF0000);
  Display* probe = platform::x11::OpenDisplay();
  ASSERT_NE(probe, nullptr);

  bool deleted = false;
  auto* window = new SkinnedWindow(&deleted);
  const platform::HWND hwnd = window->Create(nullptr, u"skinned", 0, 0, true, UiRect{100, 100, 428, 328});
  ASSERT_NE(hwnd, nullptr);
  window->CenterWindow();
  platform::ShowWindow(hwnd, platform::SW_SHOWNORMAL);
  const auto native = static_cast<::Window>(platform::GetNativeWindow(hwnd));
  ASSERT_NE(native, 0u);
  EXPECT_TRUE(PumpUntil([&] { return IsMapped(probe, native); }));
  // The body is red once the fade-in has brought the picture to full alpha;
  // the shadow margin (14 pixels) is not.
  const Control* body = window->FindControlByName(u"body");
  ASSERT_NE(body, nullptr);
  EXPECT_TRUE(PumpUntil([&] {
    const UiRect pos = body->GetPos(true);
    return !pos.IsEmpty() && PixelAt(probe, native, (pos.left + pos.right) / 2,
                                     (pos.top + pos.bottom) / 2) == 0xFF0000ul;
  }));
  EXPECT_NE(PixelAt(probe, native, 2, 2), 0xFF0000ul);

  platform::DestroyWindow(hwnd);
  EXPECT_TRUE(deleted);
  XCloseDisplay(probe);
  GlobalManager::RemoveAllTextColors();
  GlobalManager::Shutdown();
  TimerManager::GetInstance()->Shutdown();
  platform::InstallWindowBackend(nullptr);
  backend.reset();
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace ui
