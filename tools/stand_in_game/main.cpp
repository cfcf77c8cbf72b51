// The stand-in game: installed by the publisher's generator as "KVOR.exe",
// it does what the launcher relies on of the game. It takes the game's
// instance lock (a second copy finds it held and exits with status 3),
// records in JSON lines its arguments, working folder and process id, and
// stays until it is told to end (SIGTERM or SIGINT; after ten minutes at the
// latest, so a forgotten copy never outlives a test run).
//
// The record goes to the file named by KVOR_RECORD, else "kvor_record.jsonl"
// in the working folder.
//
// With a display it also opens a window of the engine's class
// "UnityWndClass" whose property "_VDL_GAME_KOREA" holds its own id, and
// speaks the game's side of the window messages: it registers the window
// with the launcher's main window (found by its property
// "_VDL_LAUNCHER_KOREA"), asks the pre-download questions and the echo, and
// records every launcher message its window receives. Once all four answers
// are in, it posts one more echo, so the launcher knows they were recorded.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include <json/json.h>

#include "platform/clock/clock.h"
#include "platform/instance/instance_lock.h"
#include "platform/ipc/foreign_windows.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"

namespace {

constexpr uint32_t kMsgGameRegister = 2525;
constexpr uint32_t kMsgGamePreDownloadAction = 2526;
constexpr uint32_t kMsgPreDownloadActionReply = 2527;
constexpr uint32_t kMsgGamePreDownloadProgress = 2528;
constexpr uint32_t kMsgPreDownloadProgressReply = 2529;
constexpr uint32_t kMsgGamePreDownloadState = 2530;
constexpr uint32_t kMsgPreDownloadStateReply = 2531;
constexpr uint32_t kMsgGameEcho = 2532;

std::string g_recordPath;
std::unique_ptr<platform::ForeignWindows> g_foreign;
platform::NativeWindow g_launcher = 0;
int g_answers = 0;
bool g_confirmed = false;
platform::HWND g_window = nullptr;

void AppendRecord(const std::string& path, const Json::Value& record) {
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  std::string line = Json::writeString(writer, record) + "\n";
  if (FILE* out = std::fopen(path.c_str(), "a")) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
  }
}

platform::LRESULT GameProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wParam,
                           platform::LPARAM lParam) {
  if (message >= kMsgGameRegister && message <= kMsgGameEcho) {
    Json::Value record;
    record["event"] = "message";
    record["message"] = message;
    record["wParam"] = static_cast<Json::UInt64>(wParam);
    record["lParam"] = static_cast<Json::Int64>(lParam);
    AppendRecord(g_recordPath, record);
    if (message == kMsgPreDownloadActionReply || message == kMsgPreDownloadProgressReply ||
        message == kMsgPreDownloadStateReply || message == kMsgGameEcho) {
      ++g_answers;
    }
    if (g_answers >= 4 && !g_confirmed && g_foreign && g_launcher) {
      g_confirmed = true;
      g_foreign->PostMessage(g_launcher, kMsgGameEcho, 0, 0);
    }
    return 0;
  }
  return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

// The game's window and its first messages to the launcher; none without a
// display.
std::unique_ptr<platform::x11::X11Backend> OpenGameWindow() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return nullptr;
  auto backend = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
  if (!backend) return nullptr;
  platform::InstallWindowBackend(backend.get());
  platform::WNDCLASS windowClass;
  windowClass.lpfnWndProc = &GameProc;
  windowClass.lpszClassName = u"UnityWndClass";
  platform::RegisterClass(windowClass);
  platform::HWND hwnd = platform::CreateWindowEx(0, u"UnityWndClass", u"KVOR", platform::WS_VISIBLE,
                                                 0, 0, 64, 64, nullptr, nullptr);
  if (!hwnd) return backend;
  g_window = hwnd;
  platform::SetProp(hwnd, u"_VDL_GAME_KOREA", reinterpret_cast<uintptr_t>(hwnd));
  Json::Value window;
  window["event"] = "window";
  window["window"] = static_cast<Json::UInt64>(platform::GetNativeWindow(hwnd));
  AppendRecord(g_recordPath, window);

  g_foreign = platform::ForeignWindows::Open();
  if (!g_foreign) return backend;
  auto launchers = g_foreign->FindBySelfProperty("_VDL_LAUNCHER_KOREA");
  if (launchers.empty()) return backend;
  g_launcher = launchers.front();
  const auto self = static_cast<platform::LPARAM>(platform::GetNativeWindow(hwnd));
  g_foreign->PostMessage(g_launcher, kMsgGameRegister, 0, self);
  g_foreign->PostMessage(g_launcher, kMsgGameRegister, 0, self);  // listed once all the same
  g_foreign->PostMessage(g_launcher, kMsgGamePreDownloadProgress, 0, 0);
  g_foreign->PostMessage(g_launcher, kMsgGamePreDownloadState, 0, 0);
  g_foreign->PostMessage(g_launcher, kMsgGamePreDownloadAction, 0, 0);
  g_foreign->PostMessage(g_launcher, kMsgGameEcho, 0, 0);
  return backend;
}

}  // namespace

int main(int argc, char** argv) {
  const char* recordEnv = std::getenv("KVOR_RECORD");
  const std::string record = recordEnv && *recordEnv ? recordEnv : "kvor_record.jsonl";

  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_BLOCK, &ending, nullptr);

  platform::InstanceLock lock("_Kvor_Instance_");
  const bool first = lock.Acquire();

  Json::Value start;
  start["event"] = first ? "start" : "refused";
  start["pid"] = static_cast<Json::Int64>(::getpid());
  char cwd[4096];
  start["cwd"] = ::getcwd(cwd, sizeof cwd) ? cwd : "";
  Json::Value args(Json::arrayValue);
  for (int i = 1; i < argc; ++i) args.append(argv[i]);
  start["args"] = args;
  AppendRecord(record, start);
  if (!first) return 3;

  g_recordPath = record;
  auto backend = OpenGameWindow();

  // Messages are handled until a signal to end comes; the signal is looked
  // for between waits of at most 100 ms.
  const int64_t limit = platform::NowMicroseconds() + int64_t{600} * 1000 * 1000;
  int signal = -1;
  timespec none{0, 0};
  siginfo_t info;
  while (platform::NowMicroseconds() < limit) {
    signal = sigtimedwait(&ending, &info, &none);
    if (signal > 0) break;
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::DispatchMessage(&msg);
    }
    platform::WaitForQueueInput(platform::NowMicroseconds() + 100 * 1000);
  }
  // The window goes before the back-end that shows it.
  if (g_window) platform::DestroyWindow(g_window);
  if (backend) {
    platform::InstallWindowBackend(nullptr);
    backend.reset();
  }
  Json::Value end;
  end["event"] = "exit";
  end["signal"] = signal;
  AppendRecord(record, end);
  return 0;
}
