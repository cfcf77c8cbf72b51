// The settings the UI thread changes while the worker builds usage records
// from them (run under ThreadSanitizer by the tsan preset).

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "project/Launcher/core/launcher_store.h"
#include "tests/core/store_fixture.h"

TEST(StoreThreadsTest, WorkerReadsWholeSettingsWhileTheUiThreadAppliesThem) {
  ScopedStoreFolder scope;
  LauncherStore& store = scope.store;
  const std::u16string first = u"/games/first";
  const std::u16string second = u"/games/second/with/a/longer/path/than/the/first";
  store.SetGamePath(first);

  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::atomic<bool> torn{false};
  std::thread worker([&] {
    while (!done.load() || reads.load() == 0) {
      UsageEventStoreFacts facts = store.UsageEventFacts();
      std::string folder = store.GameFolder();
      bool consistent = (facts.gamePath == first && facts.languageCode == "en") ||
                        (facts.gamePath == second && facts.languageCode == "de");
      if (!consistent || (folder != "/games/first/" && folder != kbase::UTF16ToUTF8(second) + "/")) {
        torn.store(true);
      }
      reads.fetch_add(1);
    }
  });

  for (int i = 0; i < 200; ++i) {
    LauncherSettings edited = store.SettingsCopy();
    bool toSecond = edited.gamePath == first;
    edited.gamePath = toSecond ? second : first;
    edited.languageType = toSecond ? 15 : 0;
    store.ApplySettings(edited);
  }
  done.store(true);
  worker.join();
  EXPECT_FALSE(torn.load());
  EXPECT_GT(reads.load(), 0);
}
