// launcher_flow_demo: the launcher's store and worker with the real update
// flow, without windows, against a publisher; it tells what the flow does.
//
//   launcher_flow_demo --program DIR --echo URL [--play] [--stay] [--expect-version V]
//
// The program folder holds "save/setting.json" naming the publisher's gate;
// the game goes where a first run proposes it, "Valdrenth Game" beside the
// program.
// The launcher checks itself, then the game flow runs: without --play it
// installs or updates the game and stops once the new version is in place;
// with --play it also starts the game (the publisher's stand-in game), tells
// how it was started, checks for a pre-download of the next version and
// fetches it as the pre-download panel would, and then ends the game. With
// --expect-version the game must be at version V when the flow ends (or when
// the game starts), and the game must be started with the digest of V's map.
// Exit status 0 when all of that happened, 1 otherwise (a flow failed, the
// game was at another version, or nothing happened for 120 s).
// With --stay (without --play) the launcher stays at rest once the game is
// in place, saying "settled at idle", until it is ended by a signal; the
// idle benchmark measures it there.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <json/json.h>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "project/Launcher/core/dialog_host.h"
#include "project/Launcher/core/flow/exception_state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/main_thread.h"
#include "project/Launcher/core/flow/pre_download_state.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/services/file_md5.h"

namespace {

constexpr WindowHandle kMainWindow = 1;

void Say(const std::string& line) {
  std::printf("  %s\n", line.c_str());
  std::fflush(stdout);
}

std::string Normalized(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The message boxes the launcher would show: told, and answered with their
// first button (the answer of a box closed without confirming).
class TellingDialogs : public DialogHost {
 public:
  bool OpenMessageBox(WindowHandle, const MessageBoxContent& content,
                      AnswerCallback answer) override {
    std::string line = "message box: " + kbase::UTF16ToUTF8(content.title.text);
    if (!content.content.text.empty()) line += " / " + kbase::UTF16ToUTF8(content.content.text);
    if (!content.detail.text.empty()) line += " / " + kbase::UTF16ToUTF8(content.detail.text);
    Say(line);
    kbase::ThreadRegistry::PostTask(kThreadUI, [answer] { answer(0); });
    return true;
  }
  bool OpenOptionsBox(WindowHandle, const OptionsBoxContent& content,
                      AnswerCallback answer) override {
    Say("options box: " + content.contentKey);
    kbase::ThreadRegistry::PostTask(kThreadUI, [answer] { answer(0); });
    return true;
  }
};

// Follows the flow through the messages the main window would receive; runs
// on the UI thread only.
class FlowWatcher {
 public:
  FlowWatcher(LauncherStore& store, std::string gameFolder, bool play, bool stay,
              std::string expectedVersion)
      : store_(store),
        gameFolder_(std::move(gameFolder)),
        play_(play),
        stay_(stay),
        expectedVersion_(std::move(expectedVersion)) {}

  int exitCode() const { return exitCode_; }

  void OnMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (done_) return;
    const StoreUiView view = store_.UiView();
    switch (message) {
      case kMsgDownloadProgress:
        if (phase_ == Phase::kGameFlow && !toldDownload_ && wParam > 0) {
          toldDownload_ = true;
          Say("downloading " + std::to_string(wParam) + " bytes (" + std::to_string(lParam) +
              " already here)");
        }
        break;
      case kMsgHideLauncher:
        if (phase_ == Phase::kGameFlow && play_) OnGameStarted();
        break;
      case kMsgPreDownloadStatus:
        OnPreDownloadStatus(wParam, lParam);
        break;
      default:
        break;
    }
    if (done_) return;
    if (view.stateType == kExceptionStateId) {
      // Ended on a later tick, once its error box has been told.
      if (message == kMsgUiTick && failedSeen_) {
        Say("the flow failed");
        Finish(1);
      }
      failedSeen_ = true;
      return;
    }
    if (message != kMsgUiTick && message != kMsgRefreshState) return;
    switch (phase_) {
      case Phase::kLauncherCheck:
        if (view.stateType != kEnterGameStateId) return;
        Say("launcher checked itself: version " + view.launcherVersion + ", current");
        startVersion_ = view.localGameVersion;
        Say(startVersion_.empty() ? "game: not installed yet"
                                  : "game: version " + startVersion_ + " installed");
        Say(play_ ? "main button pressed: check, update and play"
                  : "main button pressed: install / update");
        phase_ = Phase::kGameFlow;
        store_.StartGameCheck(play_, false);
        return;
      case Phase::kGameFlow:
        if (!play_ && view.stateType == kEnterGameStateId && !view.localGameVersion.empty() &&
            view.localGameVersion != startVersion_) {
          Say("game: version " + view.localGameVersion + " in place in " + gameFolder_);
          if (!IsExpectedVersion(view.localGameVersion)) {
            Finish(1);
            return;
          }
          if (stay_) {
            done_ = true;
            exitCode_ = 0;
            phase_ = Phase::kResting;
            Say("settled at idle");
            return;
          }
          Finish(0);
        }
        return;
      default:
        return;
    }
  }

  // The pre-download panel's part: first a check, then the download.
  void OnPreDownloadStatus(uint64_t panel, int64_t running) {
    if (phase_ == Phase::kPlaying && panel == 1) {
      Say("a pre-download of the version after " + store_.UiView().remoteGameVersion +
          " is offered; the panel's button is pressed");
      phase_ = Phase::kPreDownloading;
      RunPreDownload(true);
    } else if (phase_ == Phase::kPreDownloading && panel == 2 && running == 1) {
      Say("pre-download running");
    } else if (phase_ == Phase::kPreDownloading && panel == 3) {
      Say("pre-download complete: the next version's files wait in update/predownload/");
      Finish(0);
    } else if (phase_ == Phase::kPreDownloading && panel == 0) {
      Say("the pre-download failed");
      Finish(1);
    }
  }

  void RunPreDownload(bool download) {
    LauncherStore* store = &store_;
    kbase::ThreadRegistry::PostTask(kThreadMisc, [store, download] {
      store->preDownloadRequested = download;
      StartPreDownload(*store);
    });
  }

  void OnTimeOut() {
    if (done_) return;
    Say("nothing happened for 120 s; giving up");
    Finish(1);
  }

 private:
  enum class Phase { kLauncherCheck, kGameFlow, kPlaying, kPreDownloading, kResting };

  bool IsExpectedVersion(const std::string& version) {
    if (expectedVersion_.empty() || version == expectedVersion_) return true;
    Say("FAILED: the game is at version " + (version.empty() ? "(none)" : version) +
        ", not at " + expectedVersion_ + ", the version just installed");
    return false;
  }

  // The game's launch parameter is the digest of the installed version map:
  // a game started before its update carries the old map's.
  bool StartedWithInstalledMap(const std::string& launchParameter) {
    std::ifstream map(gameFolder_ + "version_map.txt", std::ios::binary);
    std::string md5;
    int64_t size = 0;
    if (map.is_open() && FileMd5(map, md5, size) && md5 == launchParameter) return true;
    Say("FAILED: the game was started with " + launchParameter + ", not with the digest " + md5 +
        " of the version map installed");
    return false;
  }

  void OnGameStarted() {
    const StoreUiView view = store_.UiView();
    if (view.localGameVersion != startVersion_) {
      Say("game: updated from " + startVersion_ + " to " + view.localGameVersion);
    }
    Say("launcher hides itself; the game starts");
    const bool expected = IsExpectedVersion(view.localGameVersion);
    std::string launchParameter;
    // The stand-in game writes its record as it starts.
    const std::string record = gameFolder_ + "kvor_record.jsonl";
    for (int attempt = 0; attempt < 100 && gamePid_ == 0; ++attempt) {
      std::ifstream in(record);
      std::string line;
      while (std::getline(in, line)) {
        Json::Value entry;
        Json::CharReaderBuilder reader;
        std::string errors;
        std::istringstream text(line);
        if (!Json::parseFromStream(reader, text, &entry, &errors)) continue;
        if (entry["event"].asString() != "start") continue;
        gamePid_ = static_cast<pid_t>(entry["pid"].asInt64());
        launchParameter = entry["args"][0].asString();
        std::string args;
        for (const Json::Value& arg : entry["args"]) {
          args += ' ';
          args += arg.asString();
        }
        Say("stand-in game running: pid " + std::to_string(gamePid_) + ", folder " +
            entry["cwd"].asString());
        Say("its command line:" + args);
      }
      if (gamePid_ == 0) usleep(50 * 1000);  // the game is a separate process
    }
    if (gamePid_ == 0) {
      Say("the stand-in game left no record");
      Finish(1);
      return;
    }
    if (!expected || !StartedWithInstalledMap(launchParameter)) {
      Finish(1);
      return;
    }
    phase_ = Phase::kPlaying;
    Say("pre-download panel: is the next version offered?");
    RunPreDownload(false);
  }

  void Finish(int code) {
    done_ = true;
    exitCode_ = code;
    if (gamePid_ > 0) {
      kill(gamePid_, SIGTERM);
      Say("stand-in game told to end");
    }
    EndUiLoop();
  }

  LauncherStore& store_;
  std::string gameFolder_;
  bool play_;
  bool stay_;
  std::string expectedVersion_;
  Phase phase_ = Phase::kLauncherCheck;
  std::string startVersion_;
  bool toldDownload_ = false;
  bool failedSeen_ = false;
  bool done_ = false;
  int exitCode_ = 1;
  pid_t gamePid_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string program, game, echo, expectedVersion;
  bool play = false;
  bool stay = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--program" && i + 1 < argc) program = Normalized(argv[++i]);
    else if (a == "--echo" && i + 1 < argc) echo = argv[++i];
    else if (a == "--play") play = true;
    else if (a == "--stay") stay = true;
    else if (a == "--expect-version" && i + 1 < argc) expectedVersion = argv[++i];
    else {
      std::fprintf(stderr, "launcher_flow_demo: bad argument: %s\n", a.c_str());
      return 2;
    }
  }
  if (program.empty() || chdir(program.c_str()) != 0) {
    std::fprintf(stderr, "launcher_flow_demo: --program DIR is required\n");
    return 2;
  }
  game = program + "Valdrenth Game/";
  // The install-path dialog's part: the chosen folder exists before the
  // install starts.
  std::error_code ignored;
  std::filesystem::create_directories(game, ignored);

  LauncherStore& store = LauncherStore::GetInstance();
  store.SetProgramLocation(kbase::UTF8ToUTF16(program),
                           kbase::UTF8ToUTF16(program + "launcher.exe"));
  FlowWatcher watcher(store, game, play, stay && !play, expectedVersion);
  WindowHooks windowHooks;
  windowHooks.sendMessage = [&watcher](WindowHandle, uint32_t message, uint64_t wParam,
                                       int64_t lParam) {
    watcher.OnMessage(message, wParam, lParam);
  };
  store.SetWindowHooks(windowHooks);
  TellingDialogs dialogs;
  store.SetDialogHost(&dialogs);
  InstallUpdateFlow(store);
  InstallFlowEndStates();
  if (!echo.empty()) SetAddressEchoUrl(echo);

  MainThreadHooks hooks;
  hooks.createMainWindow = [&store, &watcher] {
    store.RegisterMainWindow(kMainWindow);
    kbase::ThreadRegistry::PostDelayedTask(kThreadUI, [&watcher] { watcher.OnTimeOut(); },
                                           kbase::TimeDelta::FromMicroseconds(120000000));
  };
  hooks.shutdownUi = [&store] { store.RegisterMainWindow(0); };
  {
    MainThread main(store, hooks, std::u16string());
    main.RunOnCurrentThread();
  }
  store.SetDialogHost(nullptr);
  return watcher.exitCode();
}
