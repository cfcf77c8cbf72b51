// The launcher's main window repainted in full, in memory: the real
// MainForm built from the carried skin package (main/skin.xml, English
// table) with the parts the program plugs in (web view place, install and
// pre-download panels, tray menu, carousel and news, settings), on the
// in-memory window back-end, laid out, faded in and shown. Each iteration
// invalidates the whole client area and paints it: the alpha clear, every
// visible control under its clip, the alpha restore inside the shadow and
// the copy the back-end keeps as the presented picture. Goal: at most 4 ms.
// No browser engine is started: the web view keeps its place as a plain
// control. The fonts are the system's (fontconfig), as the release build
// finds them.
//   build/release/bench/windows/windows_main_form_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "base/framework/ui_message_loop.h"
#include "base/util/string_util.h"
#include "platform/message/message_api.h"
#include "platform/tray/memory_tray_icon.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/main_pages_part.h"
#include "project/Launcher/windows/main_panels_part.h"
#include "project/Launcher/windows/setting_form_part.h"
#include "project/Launcher/windows/tray_menu_part.h"
#include "project/Launcher/windows/web_view_part.h"
#include "skin/embedded_resources.h"
#include "ui/box.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"

namespace {

// How many controls of the tree are visible (with their ancestors).
int VisibleControls(ui::Control* control) {
  if (control == nullptr || !control->IsVisible()) return 0;
  int count = 1;
  if (auto* box = dynamic_cast<ui::Box*>(control)) {
    for (ui::Control* child : box->GetChildren()) count += VisibleControls(child);
  }
  return count;
}

// The store's folder: a temporary one the launcher's files would sit in,
// made the working folder as the program's own folder is.
class StoreFolder {
 public:
  StoreFolder() : previous_(std::filesystem::current_path()) {
    char pattern[] = "/tmp/main_form_bench.XXXXXX";
    folder_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(folder_ + "/save");
    std::filesystem::current_path(folder_);
    LauncherStore::GetInstance().SetProgramLocation(kbase::UTF8ToUTF16(folder_ + "/"),
                                                    kbase::UTF8ToUTF16(folder_ + "/launcher.exe"));
  }
  ~StoreFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  StoreFolder(const StoreFolder&) = delete;
  StoreFolder& operator=(const StoreFolder&) = delete;

 private:
  std::filesystem::path previous_;
  std::string folder_;
};

// The main window as the program makes it, on the in-memory back-end.
class ShownMainForm {
 public:
  ShownMainForm() {
    backend_.SetMonitors({platform::MonitorInfo{platform::Rect{0, 0, 1920, 1080},
                                                platform::Rect{0, 0, 1920, 1040}, true}});
    platform::InstallWindowBackend(&backend_);
    const auto embedded = skin::EmbeddedSkinPackage();
    SetEmbeddedSkinPackage(embedded.data(), embedded.size());
    StartFrameworkUi("en");
    LauncherStore& store = LauncherStore::GetInstance();
    WindowHooks hooks;
    hooks.sendMessage = [](WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
      platform::SendMessage(reinterpret_cast<platform::HWND>(window), message, wParam, lParam);
    };
    hooks.setSelfProperty = [](WindowHandle window, const std::u16string& name) {
      platform::SetProp(reinterpret_cast<platform::HWND>(window), name, window);
    };
    hooks.removeProperty = [](WindowHandle window, const std::u16string& name) {
      platform::RemoveProp(reinterpret_cast<platform::HWND>(window), name);
    };
    store.SetWindowHooks(hooks);

    MainForm::Environment environment;
    environment.makeTrayIcon = []() -> std::unique_ptr<platform::TrayIcon> {
      return std::make_unique<platform::MemoryTrayIcon>(true);
    };
    environment.iconPixels.assign(16 * 16, 0xFF2060A0u);
    environment.iconWidth = environment.iconHeight = 16;
    form_ = new MainForm(store, std::move(environment));  // deletes itself with its window
    form_->AddPart(std::make_unique<WebViewPart>(store));
    form_->AddPart(std::make_unique<MainPanelsPart>());
    form_->AddPart(std::make_unique<TrayMenuPart>());
    form_->AddPart(std::make_unique<MainPagesPart>());
    form_->AddPart(std::make_unique<SettingFormPart>());
    if (!form_->CreateAndShow()) {
      std::fprintf(stderr, "the main window could not be built from the skin\n");
      std::exit(1);
    }
    hwnd_ = form_->GetHWND();
    Drain();  // the first paint lays the window out and starts its fade
    form_->SetWindowAlpha(255);
    PaintAll();
  }
  ~ShownMainForm() {
    if (platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
    Drain();
    LauncherStore::GetInstance().SetWindowHooks({});
    ShutdownFrameworkUi();
    ui::GlobalManager::RemoveAllTextColors();
    ui::LanguageTable::GetInstance().Clear();
    SetEmbeddedSkinPackage(nullptr, 0);
    platform::InstallWindowBackend(nullptr);
  }
  ShownMainForm(const ShownMainForm&) = delete;
  ShownMainForm& operator=(const ShownMainForm&) = delete;

  void PaintAll() {
    platform::InvalidateRect(hwnd_, nullptr, false);
    form_->Paint();
  }
  MainForm* form() const { return form_; }
  int presents() const { return backend_.PresentCount(platform::GetNativeWindow(hwnd_)); }

 private:
  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }

  StoreFolder folder_;
  kbase::UIMessageLoop loop_;
  platform::MemoryBackend backend_;
  MainForm* form_ = nullptr;
  platform::HWND hwnd_ = nullptr;
};

void BM_MainFormFullRepaint(benchmark::State& state) {
  ShownMainForm shown;
  const int before = shown.presents();
  for (auto _ : state) shown.PaintAll();
  ui::IRenderContext* render = shown.form()->GetRenderContext();
  state.counters["width"] = render != nullptr ? render->GetWidth() : 0;
  state.counters["height"] = render != nullptr ? render->GetHeight() : 0;
  state.counters["visible_controls"] = VisibleControls(shown.form()->GetRoot());
  // One picture handed to the back-end per iteration: the paint was real.
  state.counters["presents_per_iter"] = benchmark::Counter(
      static_cast<double>(shown.presents() - before) / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_MainFormFullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
