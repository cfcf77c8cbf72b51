#include "project/Launcher/main_window_host.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/util/string_util.h"
#include "browser/browser_controls.h"
#include "browser/cef_manager.h"
#include "platform/image/image_decoder.h"
#include "platform/tray/sound_player.h"
#include "platform/tray/x11_tray_icon.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/program_record.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/web_view_part.h"
#include "project/Launcher/windows/main_panels_part.h"
#include "project/Launcher/windows/main_pages_part.h"
#include "project/Launcher/windows/tray_menu_part.h"
#include "project/Launcher/windows/setting_form_part.h"
#include "skin/embedded_resources.h"

namespace {

std::unique_ptr<platform::x11::X11Backend> g_backend;
platform::HWND g_window = nullptr;

platform::HWND AsHwnd(WindowHandle handle) { return reinterpret_cast<platform::HWND>(handle); }

platform::SoundPlayer& BalloonSound() {
  static platform::SoundPlayer player;
  return player;
}

void SetAppIcon(MainForm::Environment& environment) {
  const auto icon = skin::EmbeddedAppIcon();
  std::optional<platform::DecodedImage> image = platform::DecodeImage(
      std::string_view(reinterpret_cast<const char*>(icon.data()), icon.size()));
  if (!image || image->frames.empty()) return;
  environment.iconPixels = image->frames.front();
  environment.iconWidth = image->width;
  environment.iconHeight = image->height;
}

}  // namespace

void MainWindowHost::InstallWindowHooks(LauncherStore& store) {
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

bool MainWindowHost::OpenDisplay() {
  if (g_backend) return true;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  g_backend = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
  if (!g_backend) return false;
  platform::InstallWindowBackend(g_backend.get());
  return true;
}

void MainWindowHost::CloseDisplay() {
  if (!g_backend) return;
  platform::InstallWindowBackend(nullptr);
  g_backend.reset();
}

bool MainWindowHost::Create(LauncherStore& store) {
  if (!OpenDisplay()) return false;
  StartBrowserEngine(store);
  MainForm::Environment environment;
  environment.makeTrayIcon = []() -> std::unique_ptr<platform::TrayIcon> {
    return platform::x11::X11TrayIcon::Open();
  };
  SetAppIcon(environment);
  environment.sound = &BalloonSound();
  environment.record = [](const std::string& line) { ProgramRecord::Get().Line(line); };
  // The window deletes itself with its native window.
  auto* form = new MainForm(store, std::move(environment));
  form->AddPart(std::make_unique<WebViewPart>(store));
  form->AddPart(std::make_unique<MainPanelsPart>());
  form->AddPart(std::make_unique<TrayMenuPart>());
  form->AddPart(std::make_unique<MainPagesPart>());
  form->AddPart(std::make_unique<SettingFormPart>());
  std::weak_ptr<kbase::WeakFlag> alive = form->GetWeakFlag();
  if (!form->CreateAndShow()) {
    // A window that was made and failed to build deleted itself.
    if (!alive.expired()) delete form;
    return false;
  }
  g_window = form->GetHWND();
  return true;
}

void MainWindowHost::Shutdown() {
  if (g_window && platform::IsWindow(g_window)) platform::DestroyWindow(g_window);
  g_window = nullptr;
  jov_comp::CefManager::GetInstance()->Shutdown();
}

void MainWindowHost::StartBrowserEngine(LauncherStore& store) {
  // The web views need the engine; without it the layout's browser tags
  // become placeholders and the window works the same.
  jov_comp::CefManager* engine = jov_comp::CefManager::GetInstance();
  if (engine->SetupEngineEnvironment()) {
    // Developer tools, for a fixed activity page: the protocol on loopback.
    if (!store.gateConfig.ActivityURL.empty()) engine->SetRemoteDebuggingPort(WebViewPart::kDevToolsPort);
    std::string folder = kbase::UTF16ToUTF8(store.ProgramFolder());
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (!engine->Initialize(folder + "cef_temp")) ProgramRecord::Get().Line("browser_engine_failed");
  }
  jov_comp::RegisterBrowserControls();
}
