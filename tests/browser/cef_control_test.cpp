// The off-screen browser control in a real window under X: the page's
// pictures land in the window's own surface at the control's place (with
// their alpha for a transparent page), XTest clicks, keys and wheel notches
// reach the page through the window's message filter, and a hidden control
// takes no pictures. Pages come from a server on 127.0.0.1; one engine
// serves the whole program.

#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "browser/cef_control.h"
#include "browser/cef_manager.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "tests/browser/engine_harness.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"
#include "ui/box.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using browser_test::OnUi;
using jov_comp::CefControl;
using jov_comp::CefManager;

constexpr int kWaitMs = 30000;
// The control's place in the window, and the window's on the screen.
const ui::UiRect kControlRect{20, 30, 20 + 320, 30 + 240};
const ui::UiRect kWindowRect{100, 80, 100 + 400, 80 + 320};

// Keysyms bound to spare keycodes for the test: characters the default map
// has no key for.
constexpr KeySym kEmojiKeysym = 0x1000000 | 0x1F600;  // 😀

const char kColourPage[] =
    "<html><body style='margin:0;background:rgb(0,128,255)'></body></html>";
const char kHalfRedPage[] =
    "<html style='background:transparent'><body style='margin:0;height:100%;"
    "background:rgba(255,0,0,0.5)'></body></html>";
const char kClickPage[] =
    "<html><body style='margin:0;background:rgb(255,255,255)'>"
    "<div id='d' style='width:100%;height:240px'></div><script>"
    "window.clicks = 0;"
    "document.getElementById('d').addEventListener('click', () => {"
    "  window.clicks++; document.body.style.background = 'rgb(0,160,0)'; });"
    "</script></body></html>";
const char kInputPage[] =
    "<html><body style='margin:0'><input id='i' style='width:300px;height:60px'></body></html>";
const char kButtonsPage[] =
    "<html><body style='margin:0'><div id='d' style='width:100%;height:240px'></div><script>"
    "window.log = [];"
    "const d = document.getElementById('d');"
    "d.addEventListener('contextmenu', e => e.preventDefault());"
    "for (const t of ['mousedown', 'mouseup'])"
    "  d.addEventListener(t, e => log.push(t + ':' + e.button + ':' + e.detail + '@' + e.clientX + ',' + e.clientY));"
    "</script></body></html>";
const char kTallPage[] =
    "<html><body style='margin:0'><div style='height:5000px;background:"
    "linear-gradient(red, blue)'></div></body></html>";

bool Near(int a, int b, int tolerance) { return std::abs(a - b) <= tolerance; }
int Alpha(uint32_t p) { return static_cast<int>(p >> 24); }
int Red(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int Green(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(uint32_t p) { return static_cast<int>(p & 0xFF); }

// A window whose class asks for double clicks, as the launcher's windows do.
class WebWindow : public ui::Window {
 public:
  std::u16string GetWindowClassName() const override { return u"CefControlTestWindow"; }
  uint32_t GetClassStyle() const override { return platform::CS_DBLCLKS; }
};

class CefControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return;
    temp_ = new TempFolder();
    home_ = new ScopedEnv("HOME", temp_->path());
    server_ = new testsrv::TestServer();
    ASSERT_TRUE(server_->Start());
    auto page = [](const std::string& body) { return testsrv::MakeStringContent(body); };
    server_->AddFile("/colour.html", page(kColourPage));
    server_->AddFile("/half.html", page(kHalfRedPage));
    server_->AddFile("/click.html", page(kClickPage));
    server_->AddFile("/input.html", page(kInputPage));
    server_->AddFile("/tall.html", page(kTallPage));
    server_->AddFile("/buttons.html", page(kButtonsPage));
    server_->AddFile("/a.html", page("<html><body>a<a id='f' href='#part'>f</a></body></html>"));
    server_->AddFile("/b.html", page("<html><body>b</body></html>"));
    // The input connection binds the spare keys before the window system's
    // own connection reads the keyboard map.
    input_ = platform::x11::OpenDisplay();
    ASSERT_NE(input_, nullptr);
    BindSpareKeys();
    ui_ = new browser_test::UiThread();
    const std::string data = temp_->File("cef_temp");
    ASSERT_TRUE(OnUi([data] {
      backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{}).release();
      if (backend_ == nullptr) return false;
      platform::InstallWindowBackend(backend_);
      ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
      return CefManager::GetInstance()->SetupEngineEnvironment() &&
             CefManager::GetInstance()->Initialize(data);
    }));
  }
  static void TearDownTestSuite() {
    if (ui_ == nullptr) return;
    OnUi([] {
      CefManager::GetInstance()->Shutdown();
      ui::TimerManager::GetInstance()->Shutdown();
      ui::GlobalManager::Shutdown();
      platform::InstallWindowBackend(nullptr);
      delete backend_;
      backend_ = nullptr;
    });
    delete ui_;
    ui_ = nullptr;
    RestoreSpareKeys();
    XCloseDisplay(input_);
    delete server_;
    delete home_;
    delete temp_;
  }

  void SetUp() override {
    if (ui_ == nullptr) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
  }
  void TearDown() override {
    if (ui_ == nullptr) return;
    OnUi([this] {
      if (window_ && window_->GetHWND() != nullptr) platform::DestroyWindow(window_->GetHWND());
      window_.reset();
    });
    // The browser of the destroyed control closes.
    EXPECT_TRUE(WaitOnUi([] { return CefManager::GetInstance()->browser_count() == 0; }));
  }

  // A window with the control at kControlRect, showing |path| once loaded.
  void OpenPage(const std::string& path, bool transparent = false) {
    const std::string url = server_->BaseUrl() + path;
    OnUi([this, transparent] {
      window_ = std::make_unique<WebWindow>();
      // No shadow: the window keeps the alpha its controls paint.
      window_->SetShadowAttached(false);
      const platform::HWND hwnd = window_->Create(nullptr, u"web", 0, 0, true, kWindowRect);
      window_->AttachWindowHandle(hwnd);
      auto* root = new ui::Box;
      window_->AttachRoot(root);
      control_ = new CefControl;
      control_->transparent_painting = transparent;
      control_->AttachLoadEnd([this](int status) { last_status_ = status; });
      control_->SetFixedWidth(kControlRect.Width(), false, false);
      control_->SetFixedHeight(kControlRect.Height(), false);
      control_->SetMargin(ui::UiRect{kControlRect.left, kControlRect.top, 0, 0}, false);
      root->Add(control_);
      platform::ShowWindow(hwnd, platform::SW_SHOW);
    });
    ASSERT_TRUE(WaitOnUi([] { return platform::GetFocus() != nullptr; }));
    OnUi([this, url] { control_->LoadURL(url); });
    ASSERT_TRUE(WaitOnUi([this] { return last_status_ == 200; }));
  }

  // Polls |done| on the UI thread until it holds (bounded).
  static bool WaitOnUi(const std::function<bool()>& done, int timeout_ms = kWaitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (OnUi(done)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The window's own surface at a client point, as last painted.
  uint32_t SurfacePixel(int x, int y) {
    return OnUi([this, x, y]() -> uint32_t {
      ui::IRenderContext* render = window_->GetRenderContext();
      if (render == nullptr || render->GetBits() == nullptr || x >= render->GetWidth() ||
          y >= render->GetHeight())
        return 0;
      const auto* bits = reinterpret_cast<const uint32_t*>(render->GetBits());
      return bits[static_cast<size_t>(y) * render->GetWidth() + x];
    });
  }
  bool WaitForSurface(int x, int y, const std::function<bool(uint32_t)>& wanted) {
    return WaitOnUi([this, x, y, wanted] {
      ui::IRenderContext* render = window_->GetRenderContext();
      if (render == nullptr || render->GetBits() == nullptr) return false;
      const auto* bits = reinterpret_cast<const uint32_t*>(render->GetBits());
      return wanted(bits[static_cast<size_t>(y) * render->GetWidth() + x]);
    });
  }

  std::string Eval(const std::string& script) {
    auto result = std::make_shared<std::promise<std::string>>();
    auto future = result->get_future();
    OnUi([this, script, result] {
      control_->GetHandler()->EvaluateScript(
          control_->GetBrowser(), script, [result](const Json::Value* value) {
            if (!value)
              result->set_value("<exception>");
            else if ((*value)["value"].isString())
              result->set_value((*value)["value"].asString());
            else
              result->set_value((*value)["value"].toStyledString());
          });
    });
    if (future.wait_for(std::chrono::milliseconds(kWaitMs)) != std::future_status::ready)
      return "<no answer>";
    return future.get();
  }
  bool WaitForEval(const std::string& script, const std::string& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    std::string last;
    while (std::chrono::steady_clock::now() < deadline) {
      last = Eval(script);
      if (last == wanted) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << script << " gave " << last << ", not " << wanted;
    return false;
  }

  // XTest input at a client point of the window.
  void MoveTo(int client_x, int client_y) {
    XTestFakeMotionEvent(input_, -1, kWindowRect.left + client_x, kWindowRect.top + client_y,
                         CurrentTime);
    XFlush(input_);
  }
  void Button(unsigned button) {
    XTestFakeButtonEvent(input_, button, True, CurrentTime);
    XTestFakeButtonEvent(input_, button, False, CurrentTime);
    XFlush(input_);
  }
  void Tap(KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(input_, keysym);
    ASSERT_NE(code, 0) << "no key for keysym " << keysym;
    XTestFakeKeyEvent(input_, code, True, CurrentTime);
    XTestFakeKeyEvent(input_, code, False, CurrentTime);
    XFlush(input_);
  }

  static void BindSpareKeys() {
    int min_code = 0, max_code = 0, per_code = 0;
    XDisplayKeycodes(input_, &min_code, &max_code);
    KeySym* map = XGetKeyboardMapping(input_, static_cast<KeyCode>(min_code),
                                      max_code - min_code + 1, &per_code);
    int bound = 0;
    for (int code = max_code; code >= min_code && bound < 2; --code) {
      bool spare = true;
      for (int i = 0; i < per_code; ++i)
        if (map[(code - min_code) * per_code + i] != NoSymbol) spare = false;
      if (!spare) continue;
      KeySym sym = bound == 0 ? XK_eacute : kEmojiKeysym;
      if (XKeysymToKeycode(input_, sym) == 0) {
        XChangeKeyboardMapping(input_, code, 1, &sym, 1);
        spare_codes_[bound] = code;
      }
      ++bound;
    }
    XFree(map);
    XSync(input_, False);
  }
  static void RestoreSpareKeys() {
    for (int code : spare_codes_) {
      if (code == 0) continue;
      KeySym none = NoSymbol;
      XChangeKeyboardMapping(input_, code, 1, &none, 1);
    }
    XSync(input_, False);
  }

  static inline TempFolder* temp_ = nullptr;
  static inline ScopedEnv* home_ = nullptr;
  static inline testsrv::TestServer* server_ = nullptr;
  static inline browser_test::UiThread* ui_ = nullptr;
  static inline platform::x11::X11Backend* backend_ = nullptr;
  static inline Display* input_ = nullptr;
  static inline int spare_codes_[2] = {0, 0};

  std::unique_ptr<ui::Window> window_;
  CefControl* control_ = nullptr;
  int last_status_ = 0;
};

TEST_F(CefControlTest, PageColourShowsAtTheControlsPlace) {
  OpenPage("/colour.html");
  // JPEG pictures: near the colour, not exact.
  const auto page_colour = [](uint32_t p) {
    return Alpha(p) >= 250 && Near(Red(p), 0, 8) && Near(Green(p), 128, 8) && Near(Blue(p), 255, 8);
  };
  ASSERT_TRUE(WaitForSurface(kControlRect.left + 5, kControlRect.top + 5, page_colour))
      << std::hex << SurfacePixel(kControlRect.left + 5, kControlRect.top + 5);
  EXPECT_TRUE(page_colour(SurfacePixel(kControlRect.right - 3, kControlRect.bottom - 3)));
  // Outside the control the window shows none of the page.
  EXPECT_FALSE(page_colour(SurfacePixel(kControlRect.left - 5, kControlRect.top + 5)));
  EXPECT_FALSE(page_colour(SurfacePixel(kControlRect.left + 5, kControlRect.bottom + 5)));
}

TEST_F(CefControlTest, TransparentPageKeepsItsAlpha) {
  OpenPage("/half.html", /*transparent=*/true);
  // Half-opaque red over nothing: alpha about 128, premultiplied red alike.
  const auto half_red = [](uint32_t p) {
    return Near(Alpha(p), 128, 3) && Near(Red(p), 128, 3) && Green(p) == 0 && Blue(p) == 0;
  };
  EXPECT_TRUE(WaitForSurface(kControlRect.left + 40, kControlRect.top + 40, half_red))
      << std::hex << SurfacePixel(kControlRect.left + 40, kControlRect.top + 40) << " view "
      << OnUi([this] { return control_->ViewPixelAt(40, 40); });
}

TEST_F(CefControlTest, ClickChangesThePage) {
  OpenPage("/click.html");
  ASSERT_TRUE(WaitForSurface(kControlRect.left + 50, kControlRect.top + 50,
                             [](uint32_t p) { return Red(p) > 240 && Green(p) > 240; }));
  MoveTo(kControlRect.left + 50, kControlRect.top + 50);
  Button(1);
  EXPECT_TRUE(WaitForEval("String(window.clicks)", "1"));
  EXPECT_TRUE(WaitForSurface(kControlRect.left + 50, kControlRect.top + 50, [](uint32_t p) {
    return Near(Red(p), 0, 8) && Near(Green(p), 160, 8) && Near(Blue(p), 0, 8);
  })) << std::hex << SurfacePixel(kControlRect.left + 50, kControlRect.top + 50);
}

TEST_F(CefControlTest, TypedCharactersLandInTheInput) {
  OpenPage("/input.html");
  MoveTo(kControlRect.left + 20, kControlRect.top + 20);
  Button(1);
  ASSERT_TRUE(WaitForEval("String(document.activeElement && document.activeElement.id)", "i"));
  Tap(XK_a);
  Tap(XK_eacute);
  Tap(kEmojiKeysym);
  EXPECT_TRUE(WaitForEval("document.getElementById('i').value", "a\xC3\xA9\xF0\x9F\x98\x80"));
  // Keys reach the page only while the control has the window's focus.
  OnUi([this] { window_->SetFocus(nullptr); });
  Tap(XK_a);
  EXPECT_EQ(Eval("document.getElementById('i').value"), "a\xC3\xA9\xF0\x9F\x98\x80");
}

TEST_F(CefControlTest, WheelNotchDownScrollsDown) {
  OpenPage("/tall.html");
  MoveTo(kControlRect.left + 60, kControlRect.top + 60);
  Button(5);  // one notch towards the user
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  int scrolled = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    scrolled = std::atoi(Eval("String(window.scrollY)").c_str());
    if (scrolled > 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_GT(scrolled, 0);
  Button(4);  // and back up
  EXPECT_TRUE(WaitForEval("String(window.scrollY)", "0"));
}

TEST_F(CefControlTest, HiddenControlGetsNoPictures) {
  OpenPage("/colour.html");
  ASSERT_TRUE(WaitOnUi([this] { return control_->painted_frame_count() > 0; }));
  const int before = OnUi([this] {
    control_->SetVisible(false);
    return control_->painted_frame_count();
  });
  // The page changes and draws twice more; the hidden control takes nothing.
  Eval("document.body.style.background = 'rgb(255,0,0)';"
       "new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r('drawn'))))");
  Eval("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r('drawn'))))");
  EXPECT_EQ(OnUi([this] { return control_->painted_frame_count(); }), before);
  EXPECT_TRUE(OnUi([this] { return (control_->ViewPixelAt(5, 5) & 0xFF) > 200; }))
      << "the last picture before hiding stays";
  // Shown again, the pictures come back with the new colour.
  OnUi([this] { control_->SetVisible(true); });
  EXPECT_TRUE(WaitOnUi([this, before] {
    const uint32_t p = control_->ViewPixelAt(5, 5);
    return control_->painted_frame_count() > before && Red(p) > 240 && Blue(p) < 16;
  }));
}

TEST_F(CefControlTest, RightButtonsReachThePageInViewCoordinates) {
  OpenPage("/buttons.html");
  MoveTo(kControlRect.left + 70, kControlRect.top + 40);
  Button(3);
  // Press and release both at the point inside the view, not the window.
  EXPECT_TRUE(WaitForEval("log.join(' ')", "mousedown:2:1@70,40 mouseup:2:1@70,40"));
  Eval("log = []");
  // A right double click stays a right click, the second press counting 2.
  MoveTo(kControlRect.left + 150, kControlRect.top + 90);
  Button(3);
  Button(3);
  EXPECT_TRUE(WaitForEval(
      "log.join(' ')",
      "mousedown:2:1@150,90 mouseup:2:1@150,90 mousedown:2:2@150,90 mouseup:2:2@150,90"));
}

TEST_F(CefControlTest, MainUrlChangesIgnoreTheFragment) {
  OpenPage("/a.html");
  std::vector<std::string> main_changes;
  int url_changes = 0;
  OnUi([&] {
    control_->AttachMainUrlChange([&](const std::string& old_url, const std::string& new_url) {
      main_changes.push_back(old_url + " -> " + new_url);
    });
    control_->AttachUrlChange([&](const std::u16string&) { ++url_changes; });
  });
  const std::string a = server_->BaseUrl() + "/a.html";
  Eval("location.hash = 'part'");
  ASSERT_TRUE(WaitOnUi([&] { return control_->GetURL() == a + "#part"; }));
  EXPECT_TRUE(OnUi([&] { return main_changes.empty() && url_changes == 1; }));
  last_status_ = 0;
  OnUi([&] { control_->LoadURL(server_->BaseUrl() + "/b.html"); });
  ASSERT_TRUE(WaitOnUi([&] { return !main_changes.empty(); }));
  EXPECT_EQ(OnUi([&] { return main_changes.front(); }),
            a + "#part -> " + server_->BaseUrl() + "/b.html");
  OnUi([&] {
    control_->AttachMainUrlChange(nullptr);
    control_->AttachUrlChange(nullptr);
  });
}

TEST_F(CefControlTest, ControlGoneBeforeItsBrowserLeavesNothingBehind) {
  const auto pages = [] {
    auto count = std::make_shared<std::promise<int>>();
    auto future = count->get_future();
    OnUi([count] {
      CefManager::GetInstance()->SendCommand(
          "Target.getTargets", Json::Value(Json::objectValue), "",
          [count](const Json::Value* result, const Json::Value*) {
            int n = 0;
            if (result)
              for (const Json::Value& target : (*result)["targetInfos"])
                if (target["type"].asString() == "page") ++n;
            count->set_value(result ? n : -1);
          });
    });
    return future.get();
  };
  // The engine's own first page, which no control owns.
  const int before = pages();
  OnUi([this] {
    window_ = std::make_unique<WebWindow>();
    const platform::HWND hwnd = window_->Create(nullptr, u"web", 0, 0, true, kWindowRect);
    window_->AttachWindowHandle(hwnd);
    auto* root = new ui::Box;
    window_->AttachRoot(root);
    auto* control = new CefControl;
    root->Add(control);
    control->LoadURL(server_->BaseUrl() + "/colour.html");
    // Gone at once: the engine is still making its browser.
    root->Remove(control);
    window_->OnDelayedDestroy();
    platform::ShowWindow(hwnd, platform::SW_SHOW);
  });
  // The window's messages find no filter of the control any more.
  MoveTo(60, 60);
  Button(1);
  // The browser that arrives late is closed: the engine keeps no page of
  // the control's. Its creation is answered first, so a page count taken
  // after a later command has its answer.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  int left = pages();
  while (left != before && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    left = pages();
  }
  EXPECT_EQ(left, before);
  EXPECT_EQ(OnUi([] { return CefManager::GetInstance()->browser_count(); }), 0);
}

}  // namespace
