#include "project/Launcher/core/main_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "project/Launcher/core/launcher_messages.h"
#include "tests/core/fake_state.h"
#include "tests/core/store_fixture.h"

namespace {

// A trace written from both threads.
class StepRecord {
 public:
  void Add(const std::string& step) {
    std::lock_guard<std::mutex> hold(lock_);
    steps_.push_back(step);
  }
  std::vector<std::string> steps() const {
    std::lock_guard<std::mutex> hold(lock_);
    return steps_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> steps_;
};

// Runs the UI thread's whole life on a thread of its own, in a store folder.
// The first state (the launcher check) runs |ticks| worker ticks, applies
// |onLastTick| and ends the UI loop, as closing the main window does.
class MainThreadTest : public testing::Test {
 protected:
  void Run(int ticks, std::function<void(LauncherStore&)> onLastTick) {
    LauncherStore& store = env_.store;
    store.SetFirstStateFactory([this, &store, ticks, onLastTick](int32_t mode) {
      modes_.push_back(mode);
      auto state = std::make_unique<FakeState>(kPrepareStateId, mode, "first", nullptr);
      FakeState* raw = state.get();
      raw->onUpdate = [this, &store, raw, ticks, onLastTick] {
        if (++updates_ != ticks) return;
        if (onLastTick) onLastTick(store);
        (void)raw;
        EndUiLoop();
      };
      return state;
    });
    MainThreadHooks hooks;
    hooks.record = [this](const std::string& step) { record_.Add(step); };
    hooks.createMainWindow = [this, &store] {
      record_.Add("main_window_created");
      store.RegisterMainWindow(0x77);
    };
    hooks.shutdownUi = [&store] { store.RegisterMainWindow(0); };
    hooks.uninstallFonts = [this] { record_.Add("uninstall_fonts_called"); };
    hooks.startSelfUpdate = [this] {
      record_.Add("start_self_update_called");
      return true;
    };
    std::thread ui([&] {
      MainThread main(store, hooks, u"de");
      main.RunOnCurrentThread();
      abandoned_ = main.worker_abandoned();
    });
    ui.join();
  }

  ScopedStoreFolder env_;
  StepRecord record_;
  std::vector<int32_t> modes_;  // worker thread, read after the join
  int updates_ = 0;             // worker thread
  bool abandoned_ = false;
};

const std::vector<std::string> kOrderedCleanup = {
    "main_window_created", "ui_shut_down",        "download_log_saved", "downloads_stopped",
    "worker_cleaned_up",   "worker_stopped",      "ui_unregistered"};

TEST_F(MainThreadTest, CleansUpInOrderWithoutASelfUpdateWhenNothingWasReplaced) {
  Run(5, nullptr);
  EXPECT_EQ(record_.steps(), kOrderedCleanup);
  EXPECT_TRUE(env_.folder.Exists("save/Log.json"));
  EXPECT_FALSE(abandoned_);
  // The first tick made the launcher's own check, once, in the launcher flow.
  EXPECT_EQ(modes_, std::vector<int32_t>{kLauncherFlow});
  EXPECT_GE(updates_, 5);  // ticks go on until the worker stops
  // The command line's language reached the store.
  EXPECT_EQ(env_.store.settings.languageType, 15);
  EXPECT_EQ(env_.store.settings.languageCode, "de");
}

TEST_F(MainThreadTest, TheDownloadLogIsSavedWithWhatTheWorkerRecorded) {
  Run(1, [](LauncherStore& store) {
    store.UpdateDownloadLog([](DownloadLog& log) { log.downloadSize = 123456789012; });
  });
  EXPECT_NE(env_.folder.Read("save/Log.json").find("123456789012"), std::string::npos);
}

TEST_F(MainThreadTest, AReplacedLauncherStartsTheSelfUpdateCopyLast) {
  Run(1, [](LauncherStore& store) { store.launcherReplaced = true; });
  std::vector<std::string> expected = kOrderedCleanup;
  expected.insert(expected.end(), {"start_self_update_called", "self_update_started"});
  EXPECT_EQ(record_.steps(), expected);
}

TEST_F(MainThreadTest, ChangedFontsAreRemovedBeforeTheSelfUpdateCopyStarts) {
  Run(1, [](LauncherStore& store) { store.fontsChanged = true; });
  std::vector<std::string> expected = kOrderedCleanup;
  expected.insert(expected.end(), {"uninstall_fonts_called", "fonts_removed",
                                   "start_self_update_called", "self_update_started"});
  EXPECT_EQ(record_.steps(), expected);
}

}  // namespace
