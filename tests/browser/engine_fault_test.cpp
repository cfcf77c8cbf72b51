// The engine's end, seen from the launcher: an engine killed from outside,
// a launcher that drops its pipe, and children started afterwards. Each case
// starts an engine of its own.

#include <signal.h>
#include <sys/wait.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "browser/cef_manager.h"
#include "platform/process/process.h"
#include "tests/browser/engine_harness.h"
#include "tests/support/temp_folder.h"

namespace {

using browser_test::OnUi;
using browser_test::Recorder;
using jov_comp::BrowserHandler;
using jov_comp::CefManager;

std::shared_ptr<BrowserHandler> NewBrowser(Recorder* recorder) {
  return OnUi([recorder] {
    auto handler = BrowserHandler::Create();
    handler->SetHandlerDelegate(recorder);
    handler->CreateBrowser();
    return handler;
  });
}

bool IsReaped(pid_t pid) {
  // A reaped child is no child any more; a zombie still would be.
  return ::waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(EngineFaultTest, AKilledEngineClosesEveryBrowserAndTheQuitGoesThrough) {
  TempFolder temp;
  std::unique_ptr<browser_test::UiThread> ui = std::make_unique<browser_test::UiThread>();
  const std::string data = temp.File("cef_temp");
  ASSERT_TRUE(OnUi([data] { return CefManager::GetInstance()->Initialize(data); }));
  EXPECT_TRUE(std::filesystem::exists(temp.File("cef_temp/cef.log")));
  Recorder first, second;
  std::shared_ptr<BrowserHandler> a = NewBrowser(&first);
  auto b = NewBrowser(&second);
  ASSERT_TRUE(first.WaitFor("created"));
  ASSERT_TRUE(second.WaitFor("created"));
  EXPECT_EQ(2, OnUi([] { return CefManager::GetInstance()->browser_count(); }));
  const pid_t engine = OnUi([] { return CefManager::GetInstance()->engine_pid(); });
  ASSERT_GT(engine, 0);
  ::kill(engine, SIGKILL);
  EXPECT_TRUE(first.WaitFor("closed"));
  EXPECT_TRUE(second.WaitFor("closed"));
  EXPECT_EQ(0, OnUi([] { return CefManager::GetInstance()->browser_count(); }));
  EXPECT_TRUE(IsReaped(engine));
  // A command to the dead engine is an error, not a crash.
  EXPECT_FALSE(OnUi([] {
    return CefManager::GetInstance()->SendCommand("Browser.getVersion", Json::Value(), "", nullptr);
  }));
  // The quit request ends the UI loop now that no browser is alive.
  OnUi([] { CefManager::GetInstance()->PostQuitMessage(0); });
  ui->Join();
  ui.reset();
  CefManager::GetInstance()->Shutdown();
  a.reset();
  b.reset();
}

TEST(EngineFaultTest, TheEngineEndsWhenTheLauncherSideClosesAndChildrenHoldNoPipe) {
  TempFolder temp;
  browser_test::UiThread ui;
  const std::string data = temp.File("cef_temp");
  ASSERT_TRUE(OnUi([data] { return CefManager::GetInstance()->Initialize(data); }));
  const pid_t engine = OnUi([] { return CefManager::GetInstance()->engine_pid(); });

  // A child started now (the stand-in game would be one) gets none of the
  // launcher's pipe descriptors: its open descriptors are 0, 1 and 2.
  int probe[2];
  ASSERT_EQ(::pipe(probe), 0);
  platform::SpawnOptions options;
  options.detach = false;
  options.standardError = probe[1];
  pid_t child = 0;
  ASSERT_TRUE(platform::SpawnProcess({"/bin/sh", "-c", "ls /proc/self/fd >&2"}, options, &child,
                                     nullptr));
  ::close(probe[1]);
  std::string listing;
  char chunk[256];
  ssize_t n;
  while ((n = ::read(probe[0], chunk, sizeof chunk)) > 0) listing.append(chunk, n);
  ::close(probe[0]);
  EXPECT_EQ(platform::WaitProcess(child), 0);
  // ls itself opens one descriptor for the listing (3).
  EXPECT_EQ("0\n1\n2\n3\n", listing);

  // The launcher's ends close as they would when it dies: the engine ends by
  // itself within the bound.
  OnUi([] { CefManager::GetInstance()->DropPipeForTesting(); });
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, engine, 0));
  ASSERT_GE(fd, 0);
  pollfd watch = {fd, POLLIN, 0};
  EXPECT_EQ(1, ::poll(&watch, 1, CefManager::kExitTimeoutMs));
  ::close(fd);
  OnUi([] { CefManager::GetInstance()->Shutdown(); });
  EXPECT_TRUE(IsReaped(engine));
}

}  // namespace
