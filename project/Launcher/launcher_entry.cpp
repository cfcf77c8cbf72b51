#include "project/Launcher/launcher_entry.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/util/module_util.h"
#include "base/util/string_util.h"
#include "platform/message/event_source.h"
#include "project/Launcher/core/foreign_game_windows.h"
#include "project/Launcher/core/framework_ui.h"
#include "platform/message/message_queue.h"
#include "platform/window/window_api.h"
#include "project/Launcher/main_window_host.h"
#include "project/Launcher/recorded_dialog_host.h"
#include "project/Launcher/windows/ui_dump.h"
#include "project/Launcher/core/command_line.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/main_thread.h"
#include "project/Launcher/core/single_instance_lock.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/core/self_update_launch.h"
#include "project/Launcher/program_record.h"
#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/font_installer.h"
#include "project/Launcher/services/self_update.h"
#include "project/Launcher/services/version_map_maker.h"
#include "project/Launcher/services/download_manager_event_transport.h"
#include "project/Launcher/services/system_usage_event_environment.h"
#include "project/Launcher/services/usage_events.h"
#include "ui/language_table.h"

namespace {

// A second launcher: the first one's main window is found by its instance
// property and asked to show itself. Nothing found (the first one is still
// starting or already closing): nothing to do.
void WakeRunningLauncher() {
  for (platform::HWND window : platform::FindWindowsWithSelfProperty(kLauncherInstanceNameW)) {
    if (platform::PostMessage(window, kMsgShowLauncher, 0, 0)) return;
  }
}

// Ends the launcher as its window's exit does: the main window, when there
// is one, gets kMsgExitLauncher and runs its teardown (fade, the window's
// clean-up, the end of the UI loop); without one the UI loop ends at once.
void RequestLauncherExit(LauncherStore& store) {
  const WindowHandle window = store.mainWindow();
  if (window && platform::PostMessage(reinterpret_cast<platform::HWND>(window), kMsgExitLauncher, 0, 0)) return;
  EndUiLoop();
}

// SIGINT and SIGTERM end the launcher as the exit message does; SIGUSR1
// writes the UI dump when $LAUNCHER_UI_DUMP names its file. They are read
// from a signalfd on the UI thread's queue.
class ProgramSignals : public platform::EventSource {
 public:
  static sigset_t Set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    return set;
  }
  // Before any thread starts, so that every thread inherits the mask.
  static void Block() {
    sigset_t set = Set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
  }
  explicit ProgramSignals(LauncherStore& store) : store_(store) {
    sigset_t set = Set();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ >= 0) platform::MessageQueue::ForCurrentThread()->AddEventSource(this);
  }
  ~ProgramSignals() override {
    if (fd_ < 0) return;
    platform::MessageQueue::ForCurrentThread()->RemoveEventSource(this);
    ::close(fd_);
  }
  int descriptor() const override { return fd_; }
  void Pump() override {
    signalfd_siginfo info;
    bool exit = false;
    bool dump = false;
    while (::read(fd_, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info))) {
      if (info.ssi_signo == SIGUSR1) {
        dump = true;
      } else {
        exit = true;
      }
    }
    if (dump) WriteUiDump();
    if (exit && !exitRequested_) {
      exitRequested_ = true;
      ProgramRecord::Get().Line("signal");
      RequestLauncherExit(store_);
    }
  }

 private:
  static void WriteUiDump() {
    const char* path = std::getenv(UiDump::kEnvironmentName);
    if (path == nullptr || *path == '\0') return;
    if (!UiDump::WriteTo(path)) ProgramRecord::Get().Line("ui_dump_failed");
  }

  LauncherStore& store_;
  int fd_ = -1;
  bool exitRequested_ = false;
};

int RunNormalStart(const CommandLineOverrides& overrides) {
  SingleInstanceLock instance(kLauncherInstanceName);
  if (instance.Acquire() == SingleInstanceLock::Result::kHeldByOther) {
    WakeRunningLauncher();
    return 0;
  }

  ProgramSignals::Block();
  LauncherStore& store = LauncherStore::GetInstance();
  RecordedDialogHost dialogs;  // the message and options boxes as windows
  store.SetDialogHost(&dialogs);
  MainWindowHost::InstallWindowHooks(store);
  // Usage records are built and sent on the worker, through the download
  // manager; a record for a worker that is gone is dropped.
  SystemUsageEventEnvironment eventEnvironment;
  DownloadManagerEventTransport eventTransport;
  SetUsageEventServices(&store, &eventEnvironment, &eventTransport);
  // Every flow, the worker's first tick included, starts with PrepareState.
  InstallUpdateFlow(store);
  // The flows end in the launcher's own apply, idle and error states.
  InstallFlowEndStates();
  if (overrides.platform) store.platformName = kbase::UTF16ToUTF8(*overrides.platform);
  store.gameWindows().SetHooks(MakeForeignGameWindowHooks());

  std::unique_ptr<ProgramSignals> signals;
  MainThreadHooks hooks;
  hooks.record = [](const std::string& step) { ProgramRecord::Get().Line(step); };
  // The skin package and the language table of the settings' language, before
  // the channel configuration is read from the package.
  hooks.startUi = [&store] {
    MainWindowHost::OpenDisplay();  // without a display the framework runs without windows
    StartFrameworkUi(store.settings.languageCode);
  };
  hooks.createMainWindow = [&store, &signals] {
    signals = std::make_unique<ProgramSignals>(store);
    bool shown = MainWindowHost::Create(store);
    ProgramRecord::Get().Line(std::string(shown ? "main_window_registered" : "no_display") +
                              " language=" + store.settings.languageCode);
  };
  hooks.shutdownUi = [&signals, &store] {
    // No box opens once the windows go.
    store.SetDialogHost(nullptr);
    MainWindowHost::Shutdown();
    ShutdownFrameworkUi();
    MainWindowHost::CloseDisplay();
    signals.reset();
  };
  hooks.uninstallFonts = [] { UninstallFonts(); };
  hooks.startSelfUpdate = [&store] { return StartStoreSelfUpdate(store, std::u16string()); };
  // The restart question after a launcher update: the copy starts, then the
  // launcher ends as closing its window does.
  SetLauncherRestarter([&store](bool replaceLauncher) {
    StartRestartingSelfUpdate(store, replaceLauncher);
    RequestLauncherExit(store);
  });
  StoreHooks storeHooks;
  storeHooks.installFonts = [] { InstallFonts(GetCommandLineOverrides().font); };
  BindFrameworkHooks(&storeHooks);
  storeHooks.applySpeedLimit = [](int32_t mode) { DownloadManager::GetInstance().ApplySpeedLimit(mode); };
  store.SetHooks(storeHooks);

  bool abandoned = false;
  {
    MainThread main(store, hooks, overrides.language.value_or(std::u16string()));
    main.RunOnCurrentThread();
    abandoned = main.worker_abandoned();
  }
  if (!abandoned) SetUsageEventServices(nullptr, nullptr, nullptr);
  store.SetDialogHost(nullptr);
  ProgramRecord::Get().Line("exit 0");
  // A worker that did not stop may still touch process-wide objects: end the
  // process without running their destructors.
  if (abandoned) std::_Exit(0);
  return 0;
}

}  // namespace

int RunLauncher(const std::vector<std::string>& arguments) {
  // Everything the launcher reads and writes is relative to its own folder.
  const std::string folder = kbase::UTF16ToUTF8(kbase::GetModuleDirectory());
  if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "launcher: cannot enter the program's folder\n");
    return 1;
  }
  ProgramRecord::Get().Open();

  LaunchCommand command = ParseCommandLine(arguments);
  switch (command.mode) {
    case LaunchCommand::Mode::kRefused:
      std::fprintf(stderr, "launcher: a command-line value is longer than allowed; nothing done\n");
      return kExitRefused;
    case LaunchCommand::Mode::kReplace:
      return RunReplaceMode(command.values);
    case LaunchCommand::Mode::kMakeVersion:
      MakeVersionMap(kbase::UTF8ToUTF16(command.values.at(0)));
      return 0;
    case LaunchCommand::Mode::kMakeDependenceVersion:
      MakeDependenceVersionMap(kbase::UTF8ToUTF16(command.values.at(0)));
      return 0;
    case LaunchCommand::Mode::kNormal:
      break;
  }
  SetCommandLineOverrides(command.overrides);
  return RunNormalStart(command.overrides);
}
