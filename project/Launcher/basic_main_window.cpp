#include "project/Launcher/basic_main_window.h"

#include <cstdlib>
#include <string>

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/program_record.h"
#include "platform/x11/x11_backend.h"
#include "project/Launcher/services/exit_request.h"

namespace {

constexpr char16_t kClassName[] = u"VDLLauncherMainWindow";
constexpr uint32_t kMainWindowStyle = 0xCE0000;  // caption, system menu, sizing frame, minimise box
constexpr int kWidth = 960;
constexpr int kHeight = 600;

std::unique_ptr<platform::x11::X11Backend> g_backend;
platform::HWND g_window = nullptr;
LauncherStore* g_store = nullptr;

platform::HWND AsHwnd(WindowHandle handle) { return reinterpret_cast<platform::HWND>(handle); }

platform::Rect CentredRect() {
  platform::Rect rect{0, 0, kWidth, kHeight};
  if (std::optional<platform::MonitorInfo> monitor = platform::PrimaryMonitor()) {
    const platform::Rect& work = monitor->work;
    rect.left = work.left + (work.right - work.left - kWidth) / 2;
    rect.top = work.top + (work.bottom - work.top - kHeight) / 2;
    rect.right = rect.left + kWidth;
    rect.bottom = rect.top + kHeight;
  }
  return rect;
}

void ShowLauncher(platform::HWND hwnd) {
  platform::ShowWindow(hwnd, platform::IsIconic(hwnd) ? platform::SW_RESTORE : platform::SW_SHOW);
  platform::SetForegroundWindow(hwnd);
}

}  // namespace

void BasicMainWindow::InstallWindowHooks(LauncherStore& store) {
  WindowHooks hooks;
  hooks.sendMessage = [](WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
    platform::SendMessage(AsHwnd(window), message, wParam, lParam);
  };
  hooks.setSelfProperty = [](WindowHandle window, const std::u16string& name) {
    platform::SetProp(AsHwnd(window), name, window);
  };
  hooks.removeProperty = [](WindowHandle window, const std::u16string& name) {
    platform::RemoveProp(AsHwnd(window), name);
  };
  store.SetWindowHooks(std::move(hooks));
}

bool BasicMainWindow::OpenDisplay() {
  if (g_backend) return true;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  g_backend = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
  if (!g_backend) return false;
  platform::InstallWindowBackend(g_backend.get());
  return true;
}

void BasicMainWindow::CloseDisplay() {
  if (!g_backend) return;
  platform::InstallWindowBackend(nullptr);
  g_backend.reset();
}

bool BasicMainWindow::Create(LauncherStore& store) {
  if (!OpenDisplay()) return false;
  g_store = &store;

  platform::WNDCLASS windowClass;
  windowClass.lpfnWndProc = &BasicMainWindow::WindowProc;
  windowClass.lpszClassName = kClassName;
  platform::RegisterClass(windowClass);
  const platform::Rect rect = CentredRect();
  g_window = platform::CreateWindowEx(platform::WS_EX_LAYERED, kClassName, u"Launcher", kMainWindowStyle,
                                     rect.left, rect.top, kWidth, kHeight, nullptr, nullptr);
  if (!g_window) return false;
  store.RegisterMainWindow(reinterpret_cast<WindowHandle>(g_window));
  ShowLauncher(g_window);
  platform::SetFocus(g_window);
  return true;
}

void BasicMainWindow::Shutdown() {
  if (g_window) platform::DestroyWindow(g_window);
  g_window = nullptr;
}

platform::LRESULT BasicMainWindow::WindowProc(platform::HWND hwnd, platform::UINT message,
                                              platform::WPARAM wParam, platform::LPARAM lParam) {
  if (IsLauncherMessage(message)) {
    ProgramRecord::Get().Line("message " + std::to_string(message) + " " + std::to_string(wParam) + " " +
                              std::to_string(lParam));
  }
  // The game's registration and questions; answered from the worker by
  // posted messages.
  if (g_store && message >= kMsgGameRegister && message <= kMsgGameEcho &&
      g_store->HandleGameMessage(message, wParam, lParam)) {
    return 0;
  }
  switch (message) {
    case kMsgShowLauncher:
      ShowLauncher(hwnd);
      if (g_store) g_store->StartFlowOnShowRequest(wParam, lParam);
      return 0;
    case kMsgHideLauncher:
      platform::ShowWindow(hwnd, platform::SW_HIDE);
      return 0;
    case kMsgExitLauncher:
      SetExitRequested(true);
      platform::DestroyWindow(hwnd);
      return 0;
    case platform::WM_DESTROY:
      // Closing the main window ends the launcher: the UI loop stops and the
      // UI thread's clean-up follows.
      if (g_store) g_store->RegisterMainWindow(0);
      if (hwnd == g_window) g_window = nullptr;
      platform::PostQuitMessage(0);
      return 0;
    default:
      return platform::DefWindowProc(hwnd, message, wParam, lParam);
  }
}
