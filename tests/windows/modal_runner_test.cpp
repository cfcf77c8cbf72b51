// The modal runner and the folder picker: the chooser runs on a thread of its
// own with its argument vector, its answer reaches the UI thread exactly
// once, only an absolute existing folder counts, the owner is disabled while
// it is open, and neither a thread that cannot start nor a dialog open at
// exit leaves anything hanging.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/utf_conversion.h"
#include "platform/window/window_api.h"
#include "project/Launcher/windows/async_modal_runner_manager.h"
#include "project/Launcher/windows/folder_dialog.h"
#include "tests/support/read_file.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/stub_program.h"
#include "tests/windows/ui_thread.h"

namespace windows_test {
namespace {

using jov_comp::AsyncModalRunnerManager;

struct Answer {
  int32_t result;
  std::u16string path;
  size_t runnersListed;  // runners listed when the answer ran
};

class FolderPickerTest : public ::testing::Test {
 protected:
  FolderPickerTest() : path_("PATH", folder_.path() + "/bin") {
    std::filesystem::create_directories(folder_.path() + "/bin");
    std::filesystem::create_directories(folder_.path() + "/Games");
  }
  ~FolderPickerTest() override {
    manager_.CancelAll();
  }

  // Opens a picker owned by |owner| on the UI thread; its answers go to
  // answers_.
  bool Open(platform::HWND owner = nullptr) {
    return OnUi([&] {
      auto* dialog = new FolderDialog(u"Select Directory", owner,
                                      [this](int32_t result, const std::u16string& path) {
                                        answers_.Set({result, path, manager_.RunnerCount()});
                                      });
      return manager_.DoModal(dialog);
    });
  }
  // Waits until the UI thread has removed every runner.
  bool WaitUntilNoRunner() {
    for (int i = 0; i < 2000; ++i) {
      if (OnUi([this] { return manager_.RunnerCount(); }) == 0) return true;
      std::this_thread::yield();
    }
    return false;
  }
  void Stub(const std::string& body) { WriteStubProgram(folder_.path() + "/bin", "zenity", body); }
  std::string Recorded() { return ReadFile(folder_.path() + "/args"); }

  TempFolder folder_;
  ScopedEnv path_;
  UiThread ui_;
  AsyncModalRunnerManager manager_;
  Awaited<Answer> answers_;
};

TEST(FolderDialogTest, OnlyAnAbsoluteExistingFolderCountsAsChosen) {
  TempFolder folder;
  const std::string games = folder.path() + "/Games";
  std::filesystem::create_directories(games);
  std::ofstream(folder.path() + "/file.txt") << "x";
  // Deeper than the 260 characters a fixed buffer would hold.
  std::string deep = folder.path();
  while (deep.size() < 400) deep += "/a_rather_long_folder_name_for_the_test";
  std::filesystem::create_directories(deep);

  struct Case {
    int status;
    std::string output;
    std::string expected;
  } cases[] = {
      {0, games + "\n", games},
      {0, games, games},
      {0, deep + "\n", deep},
      {0, "/\n", "/"},
      {1, games + "\n", ""},      // cancelled, whatever it printed
      {-1, "", ""},               // nothing ran
      {0, "", ""},
      {0, "Games\n", ""},         // relative
      {0, folder.path() + "/missing\n", ""},
      {0, folder.path() + "/file.txt\n", ""},
      {0, games + "\n" + games + "\n", ""},  // two answers
      {0, std::string("/tmp\0garbage", 12), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::UTF8ToUTF16(c.expected), FolderDialog::ChosenFolder(c.status, c.output))
        << c.status << " " << c.output;
  }
}

TEST(FolderDialogTest, ArgumentsAskForAModalFolderChooserAttachedToTheOwner) {
  EXPECT_EQ((std::vector<std::string>{"zenity", "--file-selection", "--directory", "--modal",
                                      "--attach=12345", "--title=Select Directory"}),
            FolderDialog::PickerArguments(u"Select Directory", 12345));
  EXPECT_EQ((std::vector<std::string>{"zenity", "--file-selection", "--directory", "--modal"}),
            FolderDialog::PickerArguments(u"", 0));
}

TEST_F(FolderPickerTest, AChosenFolderArrivesOnceBeforeTheRunnerIsRemoved) {
  const std::string games = folder_.path() + "/Games";
  Stub("printf '%s\\n' \"$@\" > '" + folder_.path() + "/args'\necho '" + games + "'");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(answers_.WaitFor());
  ASSERT_TRUE(WaitUntilNoRunner());
  auto answers = answers_.Values();
  ASSERT_EQ(1u, answers.size());
  EXPECT_EQ(1, answers[0].result);
  EXPECT_EQ(platform::UTF8ToUTF16(games), answers[0].path);
  EXPECT_EQ(1u, answers[0].runnersListed);
  EXPECT_EQ("--file-selection\n--directory\n--modal\n--title=Select Directory\n", Recorded());
}

TEST_F(FolderPickerTest, CancelFailureOrNoChooserAnswerNothingChosenOnce) {
  const std::string cases[] = {
      "exit 1",                                   // Escape or the close button
      "echo '" + folder_.path() + "/Games'; exit 5",  // failed after printing
      "echo 'not/absolute'",
      "kill -9 $$",
  };
  size_t expected = 0;
  for (const std::string& body : cases) {
    Stub(body);
    ASSERT_TRUE(Open());
    ++expected;
    ASSERT_TRUE(answers_.WaitFor(expected)) << body;
  }
  // No chooser installed at all.
  std::filesystem::remove(folder_.path() + "/bin/zenity");
  ASSERT_TRUE(Open());
  ++expected;
  ASSERT_TRUE(answers_.WaitFor(expected));
  ASSERT_TRUE(WaitUntilNoRunner());
  auto answers = answers_.Values();
  ASSERT_EQ(expected, answers.size());
  for (const Answer& answer : answers) {
    EXPECT_EQ(0, answer.result);
    EXPECT_EQ(u"", answer.path);
  }
}

TEST_F(FolderPickerTest, TheOwnerIsDisabledWhileTheChooserIsOpen) {
  // The chooser waits until the test lets it answer.
  const std::string gate = folder_.path() + "/gate";
  ::mkfifo(gate.c_str(), 0600);
  Stub("read line < '" + gate + "'\necho \"$line\"");
  platform::HWND owner = OnUi([] {
    platform::WNDCLASS window_class{};
    window_class.lpszClassName = u"PickerOwner";
    window_class.lpfnWndProc = platform::DefWindowProc;
    platform::RegisterClass(window_class);
    return platform::CreateWindowEx(0, u"PickerOwner", u"owner", 0, 0, 0, 200, 100, nullptr, nullptr);
  });
  ASSERT_NE(nullptr, owner);
  ASSERT_TRUE(Open(owner));
  EXPECT_FALSE(OnUi([&] { return platform::IsWindowEnabled(owner); }));
  std::ofstream(gate) << folder_.path() << "/Games\n";
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_TRUE(OnUi([&] { return platform::IsWindowEnabled(owner); }));
  EXPECT_EQ(1, answers_.Values()[0].result);
  OnUi([&] { platform::DestroyWindow(owner); });
}

TEST_F(FolderPickerTest, TwoPickersOneAfterTheOtherLeaveNoRunner) {
  Stub("echo '" + folder_.path() + "/Games'");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(answers_.WaitFor(1));
  ASSERT_TRUE(Open());
  ASSERT_TRUE(answers_.WaitFor(2));
  EXPECT_TRUE(WaitUntilNoRunner());
}

TEST_F(FolderPickerTest, AtExitAnOpenChooserIsEndedBeforeTheJoin) {
  Stub("echo $$ > '" + folder_.path() + "/pid'\nexec sleep 600");
  ASSERT_TRUE(Open());
  // Wait until the chooser runs (it has written its pid).
  for (int i = 0; i < 20000 && !std::filesystem::exists(folder_.path() + "/pid"); ++i)
    std::this_thread::yield();
  const size_t abandonedBefore = AsyncModalRunnerManager::AbandonedCount();
  manager_.CancelAll();
  EXPECT_EQ(abandonedBefore, AsyncModalRunnerManager::AbandonedCount());
  EXPECT_EQ(0u, manager_.RunnerCount());
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(0, answers_.Values()[0].result);
}

TEST_F(FolderPickerTest, AThreadThatCannotStartStillAnswersNothingChosen) {
  manager_.SetThreadStarterForTesting([](jov_comp::AsyncModalRunner&) { return false; });
  EXPECT_FALSE(Open());
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(0, answers_.Values()[0].result);
  EXPECT_EQ(0u, manager_.RunnerCount());
  EXPECT_FALSE(OnUi([this] { return manager_.DoModal(std::unique_ptr<ModalWndBase>()); }));
}

// A dialog that ignores the request to end until the test releases it.
class StubbornDialog : public ModalWndBase {
 public:
  StubbornDialog(std::mutex* lock, std::condition_variable* cv, bool* released)
      : lock_(lock), cv_(cv), released_(released) {}
  void RunModal() override {
    std::unique_lock<std::mutex> hold(*lock_);
    cv_->wait(hold, [this] { return *released_; });
  }

 private:
  std::mutex* lock_;
  std::condition_variable* cv_;
  bool* released_;
};

TEST(AsyncModalRunnerManagerTest, TheJoinAtExitHasALimit) {
  UiThread ui;
  std::mutex lock;
  std::condition_variable cv;
  bool released = false;
  const size_t before = AsyncModalRunnerManager::AbandonedCount();
  {
    AsyncModalRunnerManager manager;
    ASSERT_TRUE(OnUi([&] { return manager.DoModal(new StubbornDialog(&lock, &cv, &released)); }));
    manager.CancelAll(std::chrono::milliseconds(50));
    EXPECT_EQ(before + 1, AsyncModalRunnerManager::AbandonedCount());
    EXPECT_EQ(0u, manager.RunnerCount());
  }
  // The abandoned thread may end later without touching the manager.
  {
    std::lock_guard<std::mutex> hold(lock);
    released = true;
  }
  cv.notify_all();
}

}  // namespace
}  // namespace windows_test
