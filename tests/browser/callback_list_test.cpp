// The deferred callback list and the bounded quit request, without an engine.

#include <atomic>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "browser/cef_manager.h"
#include "browser/unregisted_callback_list.h"
#include "platform/clock/fake_clock.h"
#include "tests/browser/engine_harness.h"
#include "tests/support/temp_folder.h"

namespace {

using jov_comp::UnregistedCallbackList;

TEST(UnregistedCallbackListTest, RunsEachOnceAndWithdrawsOnlyWhatIsStillThere) {
  int a = 0, b = 0, c = 0;
  auto list = std::make_unique<UnregistedCallbackList<std::function<void()>>>();
  list->AddCallback([&] { ++a; });
  auto withdraw_b = list->AddCallback([&] { ++b; });
  auto withdraw_c = list->AddCallback([&] { ++c; });
  withdraw_b();
  withdraw_b();  // twice removes once
  // An empty closure is refused rather than called by the run.
  list->AddCallback(std::function<void()>());
  EXPECT_EQ(2u, list->size());
  list->RunCallbacks();
  EXPECT_EQ(1, a);
  EXPECT_EQ(0, b);
  EXPECT_EQ(1, c);
  EXPECT_EQ(0u, list->size());
  withdraw_c();  // after the run: nothing
  list->RunCallbacks();
  EXPECT_EQ(1, c);
  auto late = list->AddCallback([&] { ++a; });
  list.reset();
  late();  // after the list is gone: nothing, and no crash
  EXPECT_EQ(1, a);
}

// The quit request waits for the browsers within a bound: with browsers that
// never close, the loop still ends after the last re-check.
TEST(QuitRequestTest, WaitsForTheBrowsersAndEndsTheLoopWithinTheBound) {
  struct Case {
    int browsers;
    int64_t min_wait;  // microseconds of the clock before the loop may end
  };
  const Case cases[] = {
      {0, 0},
      {2, jov_comp::CefManager::kQuitRecheckMicroseconds * jov_comp::CefManager::kQuitRechecks},
  };
  for (const Case& c : cases) {
    platform::ScopedFakeClock clock;
    auto ui = std::make_unique<browser_test::UiThread>();
    const int64_t start = platform::NowMicroseconds();
    std::atomic<int64_t> ended_at{0};
    browser_test::OnUi([&] {
      auto* manager = jov_comp::CefManager::GetInstance();
      for (int i = 0; i < c.browsers; ++i) manager->IncrementBrowserCount();
      manager->PostQuitMessage(0);
    });
    std::thread mover([&] {
      while (kbase::ThreadRegistry::GetInstance()->FindProxy(kThreadUI))
        clock.Advance(jov_comp::CefManager::kQuitRecheckMicroseconds / 5);
    });
    ui->Join();
    ended_at = platform::NowMicroseconds();
    mover.join();
    ui.reset();
    EXPECT_GE(ended_at - start, c.min_wait) << c.browsers;
    for (int i = 0; i < c.browsers; ++i) jov_comp::CefManager::GetInstance()->DecrementBrowserCount();
  }
}

}  // namespace

namespace {

// Without a usable engine binary the launcher runs without web views: a
// missing binary is "no engine", and a program that is not the engine (it
// never answers) fails the start quickly and leaves no process behind.
TEST(EngineStartTest, MissingOrSilentEnginesFailTheStartCleanly) {
  auto* manager = jov_comp::CefManager::GetInstance();
  const std::string saved = manager->engine_path();
  TempFolder temp;
  manager->SetEnginePath(temp.File("no-engine-here"));
  EXPECT_FALSE(manager->SetupEngineEnvironment());
  manager->SetEnginePath("/bin/true");
  EXPECT_TRUE(manager->SetupEngineEnvironment());
  EXPECT_FALSE(manager->Initialize(temp.File("cef_temp"), 10000));
  EXPECT_FALSE(manager->IsInitialized());
  EXPECT_EQ(0, manager->engine_pid());
  EXPECT_TRUE(std::filesystem::exists(temp.File("cef_temp/cef.log")));
  manager->SetEnginePath(saved);
}

}  // namespace
