// The X11 clipboard under a real X server: UTF-8 text round trips between
// two connections of this process, with another program (xclip), and from
// the editing engine's copy to a paste elsewhere; the in-memory one keeps
// what it was given.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/clipboard/memory_clipboard.h"
#include "platform/clipboard/x11_clipboard.h"
#include "tests/widgets/fake_text_host.h"
#include "ui/global_manager.h"

namespace platform {
namespace {

const std::string kSample = "h\xC3\xA9llo \xF0\x9F\x98\x80 \xE0\xB8\x81\xE0\xB8\xB5\xE0\xB9\x88 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82";

class X11ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    first_ = std::make_unique<X11Clipboard>();
    if (!first_->IsOpen()) GTEST_SKIP() << "no X display";
    second_ = std::make_unique<X11Clipboard>();
    ASSERT_TRUE(second_->IsOpen());
  }

  std::unique_ptr<X11Clipboard> first_;
  std::unique_ptr<X11Clipboard> second_;
};

TEST_F(X11ClipboardTest, CopyOnOneConnectionPastesOnTheOther) {
  ASSERT_TRUE(first_->SetText(kSample));
  EXPECT_TRUE(first_->OwnsSelection());
  EXPECT_EQ(second_->GetText(), kSample);
  ASSERT_TRUE(second_->SetText("second\nline"));
  EXPECT_EQ(first_->GetText(), "second\nline") << "the new owner answers, not a stale copy";
  EXPECT_EQ(second_->GetText(), "second\nline");
  const std::string large(200 * 1024, 'x');
  ASSERT_TRUE(first_->SetText(large));
  EXPECT_EQ(second_->GetText(), large);
}

TEST_F(X11ClipboardTest, AnotherProgramReadsAndWritesIt) {
  if (std::system("command -v xclip >/dev/null 2>&1") != 0) GTEST_SKIP() << "xclip is not installed";
  ASSERT_TRUE(first_->SetText(kSample));
  FILE* reader = popen("xclip -selection clipboard -o -t UTF8_STRING", "r");
  ASSERT_NE(reader, nullptr);
  std::string read;
  char buffer[256];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof(buffer), reader)) > 0) read.append(buffer, got);
  EXPECT_EQ(pclose(reader), 0);
  EXPECT_EQ(read, kSample);

  // xclip keeps serving the selection from the background until another
  // owner takes it.
  FILE* writer = popen("xclip -selection clipboard -i", "w");
  ASSERT_NE(writer, nullptr);
  fputs("from xclip \xE2\x9C\x93", writer);
  EXPECT_EQ(pclose(writer), 0);
  // xclip takes the selection from the background after its first half
  // has exited.
  ASSERT_TRUE(first_->WaitForOwnershipLoss(5000));
  EXPECT_EQ(second_->GetText(), "from xclip \xE2\x9C\x93");
  ASSERT_TRUE(first_->SetText("back"));  // ends the background xclip
  EXPECT_EQ(second_->GetText(), "back");
}

TEST_F(X11ClipboardTest, EngineCopyReachesAnotherConnectionAndComesBack) {
  ui::GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
  ui::GlobalManager::AddFont(u"edit", u"DejaVu Sans", 14, false, false, false, true);
  InstallClipboard(first_.get());
  {
    ui::testing::FakeTextHost host;
    ui::TextServices& services = host.Start();
    services.TxSetText(u"copy \U0001F600 me");
    services.KeyDown('A', false, true);
    services.KeyDown('C', false, true);
    EXPECT_EQ(second_->GetText(), "copy \xF0\x9F\x98\x80 me");
    ASSERT_TRUE(second_->SetText("pasted \xE0\xB8\x81"));
    services.KeyDown('V', false, true);
    EXPECT_EQ(services.text(), u"pasted \u0E01");
  }
  InstallClipboard(nullptr);
  ui::GlobalManager::RemoveAllFonts();
  ui::GlobalManager::Shutdown();
}

TEST(MemoryClipboardTest, HoldsTextUntilCleared) {
  MemoryClipboard clipboard;
  EXPECT_EQ(clipboard.GetText(), std::nullopt);
  clipboard.SetText(kSample);
  EXPECT_EQ(clipboard.GetText(), kSample);
  clipboard.Clear();
  EXPECT_EQ(clipboard.GetText(), std::nullopt);
  EXPECT_EQ(clipboard.SetCount(), 1);
}

}  // namespace
}  // namespace platform
