// The whole install through the launcher's window, under a virtual X server,
// against the local publisher (which serves this very launcher program, so
// the launcher finds itself current) and the stand-in game: the install
// panel, the install-path dialog and its folder picker (a stub "zenity" on
// PATH that records its arguments and answers when the test lets it), the
// download panel with its pause and continue, the check, and the main button
// starting the game. The launcher is seen through its UI dump and record
// and clicked with XTest. A failing test leaves a screenshot.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_display_test.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_driver.h"
#include "tools/publisher/content_generator.h"
#include "tools/publisher/local_publisher.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kTimeout = 40s;  // sanitizer builds start and check slowly
constexpr char kDialog[] = "SetupPathForm";
constexpr char kGameFolderName[] = "Valdrenth Game";
// Every part of the game's program stops after this many bytes until the
// stall is released: the download is seen in the middle.
constexpr int64_t kStallAfter = 64 * 1024;
constexpr char kProgramPath[] = "/dlc/KVOR.exe";

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }
// Moves the pointer to the centre of the control's rectangle.
bool MovePointer(const Json::Value& control) {
  const Json::Value& rect = control["rect"];
  if (rect.size() != 4) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const bool sent = XTestFakeMotionEvent(display, DefaultScreen(display), (rect[0].asInt() + rect[2].asInt()) / 2,
                                         (rect[1].asInt() + rect[3].asInt()) / 2, CurrentTime);
  XSync(display, False);
  XCloseDisplay(display);
  return sent;
}

// The first shown control of that name (the panels reuse their names).
std::optional<Json::Value> FindShown(const ui_driver::Dump& dump, const std::string& name,
                                     const std::string& window = "Launcher") {
  for (const Json::Value& line : dump)
    if (line["name"].asString() == name && line["window"].asString() == window && line["visible"].asBool())
      return line;
  return std::nullopt;
}

// The launcher's record so far, for failure messages.
std::string Lines(const LauncherProcess& launcher) {
  std::string text = "record:";
  for (const std::string& line : launcher.lines()) text += "\n  " + line;
  return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Declared after the launcher it watches: when the test has failed by the
// end of its body, the screen is saved while the launcher still shows it.
class ScreenshotOnFailure {
 public:
  ~ScreenshotOnFailure() {
    if (!testing::Test::HasFailure()) return;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string png = fs::temp_directory_path() / (std::string("install_window_") + info->name() + ".png");
    if (ui_driver::SaveScreenshot(png)) std::fprintf(stderr, "screenshot: %s\n", png.c_str());
  }
};

// The stand-in game's record, through a FIFO opened before the launcher
// starts: its first line says the game has started (its arguments, folder
// and process id). The game is ended with the fixture.
class GameRecord {
 public:
  explicit GameRecord(const std::string& path) {
    ::mkfifo(path.c_str(), 0600);
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  ~GameRecord() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    if (fd_ >= 0) ::close(fd_);
  }
  // The first record line, parsed; null when none came in |timeout|.
  Json::Value WaitForStart(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string text;
    while (text.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || fd_ < 0) return Json::Value();
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return Json::Value();
      char buffer[4096];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    Json::Value record;
    std::istringstream in(text.substr(0, text.find('\n')));
    Json::CharReaderBuilder reader;
    std::string error;
    if (!Json::parseFromStream(reader, in, &record, &error)) return Json::Value();
    if (record.isMember("pid")) pid_ = static_cast<pid_t>(record["pid"].asInt64());
    return record;
  }

 private:
  int fd_ = -1;
  pid_t pid_ = -1;
};

class InstallWindowE2eTest : public LauncherOnDisplayTest {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_THREAD__)
    // Known: the main window's panels still read some of the store's values
    // that the worker writes during these flows (the gate's answer, the
    // remote version) directly rather than from the published view; until
    // they all go through the view, ThreadSanitizer stops the launcher here.
    GTEST_SKIP() << "the panels' direct reads of worker values race under ThreadSanitizer";
#endif
    LauncherOnDisplayTest::SetUp();
    if (IsSkipped()) return;
    std::string error;
    ASSERT_TRUE(content_) << "the publisher's content could not be generated";
    publisher_ = std::make_unique<publisher::LocalPublisher>(generated_);
    ASSERT_TRUE(publisher_->Start());
    // The launcher's version map as the publisher serves it: the launcher
    // program is the one served, so the launcher finds itself current.
    fs::copy_file(generated_.LauncherFolder(publisher::kLauncherVersionNew) + "launcher_version_map.txt",
                  folder_.File("prog/launcher_version_map.txt"));
    fs::create_directories(folder_.File("prog/save"));
    std::ofstream(folder_.File("prog/save/setting.json")) << publisher_->SettingJson(true);
    fs::create_directories(folder_.File("bin"));
    fs::create_directories(folder_.File("games"));
    // The picker's gate: the stub waits for a line, "pick" or anything else.
    ASSERT_EQ(::mkfifo(folder_.File("picker_gate").c_str(), 0600), 0);
    gate_ = ::open(folder_.File("picker_gate").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(gate_, 0);
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    // Only the test's own programs on PATH: no picker unless a stub is there.
    ::setenv("PATH", (folder_.File("bin") + ":/usr/bin:/bin").c_str(), 1);
    ::setenv("KVOR_RECORD", folder_.File("kvor_record").c_str(), 1);
    game_ = std::make_unique<GameRecord>(folder_.File("kvor_record"));
  }
  void TearDown() override {
    if (!oldPath_.empty()) ::setenv("PATH", oldPath_.c_str(), 1);
    ::unsetenv("KVOR_RECORD");
    if (gate_ >= 0) ::close(gate_);
    if (publisher_) publisher_->Stop();
  }

  // A stub "zenity": records its process id and arguments (one a line, each
  // call after a "--" line), then waits for the test's word on the gate: "pick" prints
  // the test's folder and succeeds, anything else fails with no output.
  void InstallPickerStub() {
    const std::string stub = folder_.File("bin/zenity");
    std::ofstream(stub) << "#!/bin/sh\n"
                        << "{ echo --; echo $$; printf '%s\\n' \"$@\"; } >> '" << PickerArgumentsFile() << "'\n"
                        << "read word < '" << folder_.File("picker_gate") << "'\n"
                        << "if [ \"$word\" = pick ]; then echo '" << PickedFolder() << "'; exit 0; fi\n"
                        << "exit 1\n";
    ::chmod(stub.c_str(), 0755);
  }
  void AnswerPicker(const std::string& word) {
    const std::string line = word + "\n";
    ASSERT_EQ(::write(gate_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  }
  std::string PickerArgumentsFile() const { return folder_.File("zenity_arguments"); }
  std::string PickedFolder() const { return folder_.File("games"); }
  std::string DefaultGamePath() const { return folder_.File("prog") + "/" + kGameFolderName; }

  ui_driver::Dump Dump(const LauncherProcess& launcher) {
    return ui_driver::RequestDump(launcher.pid(), folder_.dumpFile(), 10s);
  }
  // Dumps until the control of |window| satisfies |test| (the launcher
  // handles requests in order, so each dump shows what came before it).
  std::optional<Json::Value> DumpUntil(const LauncherProcess& launcher, const std::string& name,
                                       const std::function<bool(const Json::Value&)>& test,
                                       const std::string& window = "Launcher") {
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    std::optional<Json::Value> control;
    while (std::chrono::steady_clock::now() < deadline) {
      // The panels reuse their names: the one shown, else any.
      const ui_driver::Dump dump = Dump(launcher);
      control = FindShown(dump, name, window);
      if (!control) control = ui_driver::FindControl(dump, name, window);
      if (control && test(*control)) return control;
    }
    ADD_FAILURE() << "waited in vain for " << window << "/" << name << "; last seen: "
                  << (control ? control->toStyledString() : std::string("nothing"));
    return std::nullopt;
  }
  // Dumps until no control of |window| is left; false on time-out.
  bool DumpUntilGone(const LauncherProcess& launcher, const std::string& window) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
      const ui_driver::Dump dump = Dump(launcher);
      bool present = false;
      for (const Json::Value& line : dump) present = present || line["window"].asString() == window;
      if (!dump.empty() && !present) return true;
    }
    return false;
  }
  static bool LaidOut(const Json::Value& c) { return c["rect"][2].asInt() > c["rect"][0].asInt(); }

  // The stored settings' game path.
  std::string StoredGamePath() const {
    std::ifstream in(folder_.File("prog/save/EnvConfig.json"));
    Json::Value settings;
    if (!(in >> settings)) return {};
    return settings["gamePath"].asString();
  }

  // The launcher idle on a fresh folder: the main button offers the game,
  // the install panel shows the default path.
  void WaitForGetGame(LauncherProcess& launcher) {
    ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout)) << Lines(launcher);
    ASSERT_TRUE(DumpUntil(launcher, "btn_game", [](const Json::Value& c) {
      return c["text_id"] == "STRING_GET_GAME" && c["enabled"].asBool();
    })) << Lines(launcher);
    const auto path = DumpUntil(launcher, "text_set_path", [](const Json::Value& c) { return c["visible"].asBool(); });
    ASSERT_TRUE(path);
    EXPECT_EQ((*path)["text"].asString(), DefaultGamePath());
  }

  // Clicks the install panel's change button and waits for the install-path
  // dialog to be laid out; its path label as first shown.
  std::optional<Json::Value> OpenInstallPathDialog(LauncherProcess& launcher) {
    const auto change = ui_driver::FindControl(Dump(launcher), "btn_set_path");
    if (!change || !ui_driver::ClickCentre(*change)) return std::nullopt;
    if (!DumpUntil(launcher, "btn_change", LaidOut, kDialog)) return std::nullopt;
    return ui_driver::FindControl(Dump(launcher), "text_set_path", kDialog);
  }

  // Clicks the dialog's change button and waits until the dialog no longer
  // takes input: the picker is open (the stub waits on the gate).
  void OpenPicker(LauncherProcess& launcher) {
    const auto change = ui_driver::FindControl(Dump(launcher), "btn_change", kDialog);
    ASSERT_TRUE(change);
    ASSERT_TRUE(ui_driver::ClickCentre(*change));
    ASSERT_TRUE(DumpUntil(launcher, "btn_change", [](const Json::Value& c) { return !c["window_enabled"].asBool(); },
                          kDialog));
  }

  void ExitLauncher(LauncherProcess& launcher) {
    ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
    EXPECT_EQ(launcher.WaitForExit(kTimeout), 0);
  }

  std::vector<std::string> PickerCalls() const {
    std::vector<std::string> lines;
    std::ifstream in(PickerArgumentsFile());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The requests for the game's program from the |from|-th request on.
  std::vector<testsrv::RequestRecord> ProgramRequests(size_t from) const {
    std::vector<testsrv::RequestRecord> found;
    const auto all = publisher_->Requests();
    for (size_t i = from; i < all.size(); ++i)
      if (all[i].path == kProgramPath) found.push_back(all[i]);
    return found;
  }

  // The content, with this launcher program as the launcher's, is made
  // once for every test (the launcher's patches take a while).
  static void SetUpTestSuite() {
    if (content_) return;
    content_ = new TempFolder();
    std::ifstream program(LAUNCHER_EXE, std::ios::binary);
    const std::string launcher((std::istreambuf_iterator<char>(program)), std::istreambuf_iterator<char>());
    std::string error;
    if (!publisher::GenerateContent(content_->File("content"), &generated_, &error, launcher)) {
      std::fprintf(stderr, "content: %s\n", error.c_str());
      delete content_;
      content_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete content_;
    content_ = nullptr;
  }

  static inline TempFolder* content_ = nullptr;
  static inline publisher::GeneratedContent generated_;
  std::unique_ptr<publisher::LocalPublisher> publisher_;
  std::unique_ptr<GameRecord> game_;
  std::string oldPath_;
  int gate_ = -1;
};

// Disabled until the main window takes clicks again after the install-path
// dialog closes (and the dialog after its picker answers): a click that
// closes or disables a window leaves the next clicks unanswered, so pause,
// a second change and the start are never pressed. The pre-download test
// also waits in vain for the before panel on an installed game.
TEST_F(InstallWindowE2eTest, AFreshInstallThroughTheWindowEndsWithTheGameRunning) {
  InstallPickerStub();
  testsrv::Fault stall;
  stall.stallAfter = kStallAfter;
  publisher_->SetFault(kProgramPath, stall);
  const int64_t programSize = generated_.gameFiles.at(publisher_->gameVersion()).at("KVOR.exe").size;
  ASSERT_GT(programSize, 4 * kStallAfter);

  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  ASSERT_TRUE(launcher.started());
  WaitForGetGame(launcher);

  // The install-path dialog opens on the stored path, shown as it stands.
  const auto shown = OpenInstallPathDialog(launcher);
  ASSERT_TRUE(shown);
  EXPECT_EQ((*shown)["text"].asString(), DefaultGamePath());

  // The picker, attached to the dialog, which takes no input while it is open.
  OpenPicker(launcher);
  AnswerPicker("pick");
  const std::string chosen = PickedFolder() + "/" + kGameFolderName;
  ASSERT_TRUE(DumpUntil(launcher, "text_set_path",
                        [&chosen](const Json::Value& c) { return c["text"].asString() == chosen; }, kDialog));
  const auto enabled = DumpUntil(launcher, "btn_ok", [](const Json::Value& c) { return c["window_enabled"].asBool(); },
                                 kDialog);
  ASSERT_TRUE(enabled);
  const std::vector<std::string> call = PickerCalls();
  ASSERT_GE(call.size(), 6u);
  EXPECT_EQ(call[0], "--");
  EXPECT_EQ(call[2], "--file-selection");
  EXPECT_EQ(call[3], "--directory");
  EXPECT_EQ(call[4], "--modal");
  EXPECT_TRUE(StartsWith(call[5], "--attach=") && std::stoull(call[5].substr(9)) > 0) << call[5];
  // The picked folder is the game path at once.
  EXPECT_EQ(StoredGamePath(), chosen);

  // OK: the download panel, whose progress moves up to the stall.
  ASSERT_TRUE(ui_driver::ClickCentre(*enabled));
  // The dialog fades out before it closes and takes clicks until then.
  ASSERT_TRUE(DumpUntilGone(launcher, kDialog));
  ASSERT_TRUE(publisher_->server().WaitForRequest(
      [](const testsrv::RequestRecord& r) { return r.path == kProgramPath && r.bytesSent >= kStallAfter; },
      static_cast<int>(std::chrono::milliseconds(kTimeout).count())));
  ASSERT_TRUE(launcher.WaitForLine(
      [](const std::string& line) {
        std::istringstream in(line);
        std::string word;
        uint32_t message = 0;
        uint64_t total = 0;
        int64_t done = 0;
        return (in >> word >> message >> total >> done) && word == "message" && message == kMsgDownloadProgress &&
               done > 0 && static_cast<uint64_t>(done) < total;
      },
      kTimeout));
  const auto progress = DumpUntil(launcher, "progress", [](const Json::Value& c) {
    return c["visible"].asBool() && c["value"].asDouble() > 0;
  });
  ASSERT_TRUE(progress);
  EXPECT_LT((*progress)["value"].asDouble(), 100.0);
  auto dump = Dump(launcher);
  EXPECT_EQ((*ui_driver::FindControl(dump, "tab_assets"))["value"].asInt(), 2);
  EXPECT_NE((*FindShown(dump, "text_download_info"))["text"].asString(), "");
  EXPECT_NE((*FindShown(dump, "text_download_speed"))["text"].asString(), "");
  const auto pause = FindShown(dump, "btn_download_ctrl");
  ASSERT_TRUE(pause);
  EXPECT_NE((*pause)["image"].asString().find("img_btn_Pause"), std::string::npos) << (*pause)["image"];
  EXPECT_FALSE((*ui_driver::FindControl(dump, "btn_game"))["enabled"].asBool());

  // Pause: the continue look, the main button says paused, nothing moves.
  ASSERT_TRUE(ui_driver::ClickCentre(*pause));
  ASSERT_TRUE(launcher.WaitForLine("message 2130 0 1", kTimeout)) << Lines(launcher);
  const size_t atPause = publisher_->Requests().size();
  const auto paused = DumpUntil(launcher, "btn_download_ctrl", [](const Json::Value& c) {
    return c["enabled"].asBool() && c["image"].asString().find("img_btn_Play") != std::string::npos;
  });
  ASSERT_TRUE(paused);
  dump = Dump(launcher);
  EXPECT_EQ((*ui_driver::FindControl(dump, "btn_game"))["text_id"], "STRING_DLC_PAUSED");
  EXPECT_NE((*FindShown(dump, "text_download_speed"))["text"].asString().find("0.00KB"),
            std::string::npos);
  // The stalled answers end; a paused download asks for nothing more.
  publisher_->ClearFaults();
  publisher_->server().ReleaseStalls();
  EXPECT_TRUE(ProgramRequests(atPause).empty());

  // Continue: the pause look again, and the program is fetched from where
  // it stopped, never from its start.
  ASSERT_TRUE(ui_driver::ClickCentre(*paused, 4));
  ASSERT_TRUE(launcher.WaitForLine("message 2130 0 0", kTimeout));
  ASSERT_TRUE(launcher.WaitForLine([](const std::string& line) { return StartsWith(line, "message 2127 "); },
                                   kTimeout));
  // Then the check, and the main button offers to start.
  const auto start = DumpUntil(launcher, "btn_game", [](const Json::Value& c) {
    return c["text_id"] == "STRING_START_GAME" && c["enabled"].asBool();
  });
  ASSERT_TRUE(start);
  const auto resumed = ProgramRequests(atPause);
  ASSERT_FALSE(resumed.empty());
  for (const auto& request : resumed) EXPECT_GT(request.rangeBegin, 0) << request.range;
  EXPECT_EQ(ReadFile(chosen + "/version_map.txt"),
            ReadFile(generated_.GameFolder(publisher_->gameVersion()) + "version_map.txt"));

  // Start: the stand-in game runs in the chosen folder, the window goes.
  ASSERT_TRUE(ui_driver::ClickCentre(*start));
  const Json::Value game = game_->WaitForStart(kTimeout);
  ASSERT_TRUE(game.isMember("pid")) << game.toStyledString();
  EXPECT_EQ(game["event"], "start");
  EXPECT_EQ(fs::path(game["cwd"].asString()), fs::path(chosen)) << game.toStyledString();
  EXPECT_TRUE(launcher.WaitForLine("iconified", kTimeout));
  EXPECT_TRUE(DumpUntil(launcher, "btn_game", [](const Json::Value& c) { return !c["window_shown"].asBool(); }));
  ExitLauncher(launcher);
}

// A picker that chooses nothing, whether cancelled or not there at all,
// changes nothing and leaves the dialog usable; a picker still open when the
// launcher is asked to end does not hold it up.
TEST_F(InstallWindowE2eTest, APickerThatChoosesNothingChangesNothingAndHangsNothing) {
  enum class Picker { kCancelled, kAbsent, kOpenAtExit };
  for (Picker picker : {Picker::kCancelled, Picker::kAbsent, Picker::kOpenAtExit}) {
    SCOPED_TRACE(static_cast<int>(picker));
    fs::remove(folder_.File("bin/zenity"));
    fs::remove(PickerArgumentsFile());
    if (picker != Picker::kAbsent) InstallPickerStub();
    LauncherProcess launcher(folder_, {}, true);
    ScreenshotOnFailure screenshot;
    ASSERT_TRUE(launcher.started());
    WaitForGetGame(launcher);
    const auto shown = OpenInstallPathDialog(launcher);
    ASSERT_TRUE(shown);
    EXPECT_EQ((*shown)["text"].asString(), DefaultGamePath());

    if (picker == Picker::kOpenAtExit) {
      OpenPicker(launcher);
      ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
      EXPECT_EQ(launcher.WaitForExit(kTimeout), 0);
      // The picker was ended, not left waiting on its gate.
      const std::vector<std::string> call = PickerCalls();
      ASSERT_GE(call.size(), 2u);
      const std::string stat = ReadFile("/proc/" + call[1] + "/stat");
      const size_t state = stat.rfind(')');
      EXPECT_TRUE(stat.empty() || (state != std::string::npos && stat.substr(state + 2, 1) == "Z")) << stat;
      EXPECT_EQ(StoredGamePath(), DefaultGamePath());
      continue;
    }

    // Twice: the dialog stays usable after a picker that chose nothing.
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      const auto change = ui_driver::FindControl(Dump(launcher), "btn_change", kDialog);
      ASSERT_TRUE(change);
      ASSERT_TRUE(ui_driver::ClickCentre(*change, 4 * round));
      if (picker == Picker::kCancelled) {
        ASSERT_TRUE(DumpUntil(launcher, "btn_change",
                              [](const Json::Value& c) { return !c["window_enabled"].asBool(); }, kDialog));
        AnswerPicker("cancel");
      }
      // The click has been taken (the button under the pointer is hot) and
      // the dialog takes input again.
      ASSERT_TRUE(DumpUntil(launcher, "btn_change",
                            [](const Json::Value& c) {
                              return c["window_enabled"].asBool() && c["state"].asInt() == 1;
                            },
                            kDialog));
      const auto path = ui_driver::FindControl(Dump(launcher), "text_set_path", kDialog);
      ASSERT_TRUE(path);
      EXPECT_EQ((*path)["text"].asString(), DefaultGamePath());
      // Move the pointer off the button, so the next round's click shows anew.
      const auto title = ui_driver::FindControl(Dump(launcher), "lable_need_space", kDialog);
      ASSERT_TRUE(title);
      ASSERT_TRUE(DumpUntil(launcher, "btn_change", [&title](const Json::Value& c) {
        MovePointer(*title);
        return c["state"].asInt() == 0;
      }, kDialog));
    }
    if (picker == Picker::kCancelled) {
      const std::vector<std::string> calls = PickerCalls();
      EXPECT_EQ(std::count(calls.begin(), calls.end(), "--"), 2);
    }
    EXPECT_EQ(StoredGamePath(), DefaultGamePath());

    // The dialog closes without an install; the main window is as it was.
    const auto close = ui_driver::FindControl(Dump(launcher), "btn_close", kDialog);
    ASSERT_TRUE(close);
    ASSERT_TRUE(ui_driver::ClickCentre(*close));
    ASSERT_TRUE(DumpUntilGone(launcher, kDialog));
    const auto dump = Dump(launcher);
    EXPECT_EQ((*ui_driver::FindControl(dump, "text_set_path"))["text"].asString(), DefaultGamePath());
    EXPECT_EQ((*ui_driver::FindControl(dump, "btn_game"))["text_id"], "STRING_GET_GAME");
    EXPECT_EQ(StoredGamePath(), DefaultGamePath());
    ExitLauncher(launcher);
  }
}

// The next version's pre-download from the main window: the before panel,
// the confirmation with its sizes, the download panel, the finished panel.
TEST_F(InstallWindowE2eTest, DISABLED_TheNextVersionIsPreDownloadedFromTheMainWindow) {
  std::string error;
  ASSERT_TRUE(publisher::InstallTree(generated_.GameFolder(publisher::kGameVersion2), DefaultGamePath(), &error))
      << error;
  // A new file of the next version stops half-way until released.
  const std::string stalled = "/predl/Data/dlc_2.assets";
  testsrv::Fault stall;
  stall.stallAfter = 4000;
  publisher_->SetFault(stalled, stall);

  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  ASSERT_TRUE(DumpUntil(launcher, "btn_game", [](const Json::Value& c) {
    return c["text_id"] == "STRING_START_GAME" && c["enabled"].asBool();
  }));
  ASSERT_TRUE(DumpUntil(launcher, "tab_predlc", [](const Json::Value& c) { return c["value"].asInt() == 1; }));
  const auto before = FindShown(Dump(launcher), "btn_download_ctrl");
  ASSERT_TRUE(before);
  EXPECT_TRUE((*before)["enabled"].asBool());
  ASSERT_TRUE(ui_driver::ClickCentre(*before));

  // The confirmation shows the size and the free space.
  const char kConfirm[] = "PreDlcForm";
  const auto confirm = DumpUntil(launcher, "btn_confirm", LaidOut, kConfirm);
  ASSERT_TRUE(confirm);
  const auto sizes = Dump(launcher);
  const auto size = ui_driver::FindControl(sizes, "text_size_value", kConfirm);
  const auto space = ui_driver::FindControl(sizes, "text_space_value", kConfirm);
  ASSERT_TRUE(size && space);
  EXPECT_NE((*size)["text"].asString(), "");
  EXPECT_NE((*space)["text"].asString(), "");
  ASSERT_TRUE(ui_driver::ClickCentre(*confirm));
  ASSERT_TRUE(DumpUntilGone(launcher, kConfirm));

  // Downloading, held by the stall; then finished once it is released.
  ASSERT_TRUE(DumpUntil(launcher, "tab_predlc", [](const Json::Value& c) { return c["value"].asInt() == 2; }));
  ASSERT_TRUE(publisher_->server().WaitForRequest(
      [&stalled](const testsrv::RequestRecord& r) { return r.path == stalled && r.bytesSent >= 4000; },
      static_cast<int>(std::chrono::milliseconds(kTimeout).count())));
  EXPECT_EQ((*ui_driver::FindControl(Dump(launcher), "tab_predlc"))["value"].asInt(), 2);
  publisher_->ClearFaults();
  publisher_->server().ReleaseStalls();
  ASSERT_TRUE(DumpUntil(launcher, "tab_predlc", [](const Json::Value& c) { return c["value"].asInt() == 3; }));
  ExitLauncher(launcher);
}

}  // namespace
