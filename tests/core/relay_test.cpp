#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <tuple>
#include <vector>

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "tests/core/test_thread.h"

namespace {

using Delivery = std::tuple<WindowHandle, uint32_t, uint64_t, int64_t>;

class RelayTest : public testing::Test {
 protected:
  void SetUp() override {
    WindowHooks hooks;
    hooks.sendMessage = [this](WindowHandle window, uint32_t message, uint64_t wParam,
                               int64_t lParam) {
      delivered_.emplace_back(window, message, wParam, lParam);
    };
    hooks.setSelfProperty = [this](WindowHandle window, const std::u16string& name) {
      properties_.push_back({window, name + u"=set"});
    };
    hooks.removeProperty = [this](WindowHandle window, const std::u16string& name) {
      properties_.push_back({window, name + u"=removed"});
    };
    store_.SetWindowHooks(hooks);
    ASSERT_TRUE(ui_.Start());
  }
  void TearDown() override { ui_.Stop(); }

  LauncherStore store_;
  RegisteredTestThread ui_{kThreadUI};
  // Written on the UI thread, read after RunOn returned.
  std::vector<Delivery> delivered_;
  std::vector<std::pair<WindowHandle, std::u16string>> properties_;
};

TEST_F(RelayTest, DeliversOnlyWhileAMainWindowIsRegistered) {
  store_.PostToMainWindow(kMsgDownloadProgress, 1, 2);  // before the window exists
  ASSERT_TRUE(RunOn(kThreadUI, [this] { store_.RegisterMainWindow(0x42); }));
  store_.PostToMainWindow(kMsgRefreshState, 0, 0);
  ASSERT_TRUE(RunOn(kThreadUI, [this] { store_.RegisterMainWindow(0); }));
  store_.PostToMainWindow(kMsgUiTick, 0, 0);  // after it closed
  ASSERT_TRUE(RunOn(kThreadUI, [] {}));

  EXPECT_EQ(delivered_, (std::vector<Delivery>{{0x42, kMsgRefreshState, 0, 0}}));
  ASSERT_EQ(properties_.size(), 2u);
  EXPECT_EQ(properties_[0], std::make_pair(WindowHandle{0x42}, std::u16string(u"_VDL_LAUNCHER_KOREA=set")));
  EXPECT_EQ(properties_[1], std::make_pair(WindowHandle{0x42}, std::u16string(u"_VDL_LAUNCHER_KOREA=removed")));
}

TEST_F(RelayTest, KeepsTheOrderAndBothSixtyFourBitParameters) {
  ASSERT_TRUE(RunOn(kThreadUI, [this] { store_.RegisterMainWindow(7); }));
  const uint64_t total = (uint64_t{5} << 32) + 3;  // beyond 32 bits
  std::vector<Delivery> expected;
  std::thread worker([&] {
    for (int64_t i = 0; i < 200; ++i) {
      store_.PostToMainWindow(kMsgDownloadProgress, total, -i * (int64_t{1} << 33));
    }
  });
  for (int64_t i = 0; i < 200; ++i) {
    expected.emplace_back(7, kMsgDownloadProgress, total, -i * (int64_t{1} << 33));
  }
  worker.join();
  ASSERT_TRUE(RunOn(kThreadUI, [] {}));
  EXPECT_EQ(delivered_, expected);
}

TEST_F(RelayTest, OnTheUiThreadItselfTheMessageComesAfterTheCurrentTask) {
  std::vector<std::string> order;
  ASSERT_TRUE(RunOn(kThreadUI, [this, &order] {
    store_.RegisterMainWindow(9);
    store_.PostToMainWindow(kMsgRefreshState, 0, 0);
    order.push_back(delivered_.empty() ? "not yet" : "already");
  }));
  ASSERT_TRUE(RunOn(kThreadUI, [] {}));
  EXPECT_EQ(order, std::vector<std::string>{"not yet"});
  EXPECT_EQ(delivered_.size(), 1u);
}

}  // namespace
