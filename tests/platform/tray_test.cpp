// The balloon request record, the sound player and the in-memory tray icon:
// everything of the tray that needs no display.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/message/message_api.h"
#include "platform/tray/balloon_request.h"
#include "platform/tray/memory_tray_icon.h"
#include "platform/tray/sound_player.h"
#include "platform/window/window_messages.h"
#include "tests/support/fifo_record.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::BalloonRequest;
using platform::kBalloonRecordBytes;

constexpr size_t kTextOffset = 128;
constexpr size_t kSoundOffset = 640;
constexpr size_t kWindowOffset = 2688;

void PutText(std::vector<unsigned char>* record, size_t offset, const std::u16string& text) {
  std::memcpy(record->data() + offset, text.data(), text.size() * sizeof(char16_t));
}

std::vector<unsigned char> MakeRecord(const std::u16string& title, const std::u16string& text,
                                      const std::u16string& sound, uint64_t window) {
  std::vector<unsigned char> record(kBalloonRecordBytes, 0);
  PutText(&record, 0, title);
  PutText(&record, kTextOffset, text);
  PutText(&record, kSoundOffset, sound);
  std::memcpy(record.data() + kWindowOffset, &window, sizeof window);
  return record;
}

// Fills a field to its last character, leaving no terminator.
void FillField(std::vector<unsigned char>* record, size_t offset, size_t chars) {
  PutText(record, offset, std::u16string(chars, u'x'));
}

TEST(BalloonRequestTest, ReadsEveryFieldOfTheRecord) {
  const auto record = MakeRecord(u"Update", u"Version 2 is ready", u"/tmp/ding.wav", 0x1234567890ull);
  const auto request = platform::ParseBalloonRequest(record.data(), record.size());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->title, u"Update");
  EXPECT_EQ(request->text, u"Version 2 is ready");
  EXPECT_EQ(request->sound_path, u"/tmp/ding.wav");
  EXPECT_EQ(request->flash_window, 0x1234567890ull);
}

TEST(BalloonRequestTest, FieldsFillingTheirSizeLessOneAreAccepted) {
  auto record = MakeRecord(u"", u"", u"", 7);
  PutText(&record, 0, std::u16string(63, u't'));
  PutText(&record, kTextOffset, std::u16string(255, u'b'));
  PutText(&record, kSoundOffset, std::u16string(1023, u's'));
  const auto request = platform::ParseBalloonRequest(record.data(), record.size());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->title.size(), 63u);
  EXPECT_EQ(request->text.size(), 255u);
  EXPECT_EQ(request->sound_path.size(), 1023u);
}

TEST(BalloonRequestTest, ShortOrUnterminatedRequestsAreRefused) {
  struct Case {
    const char* name;
    size_t size;
    size_t fill_offset;  // a field filled without terminator; 0 chars: none
    size_t fill_chars;
  };
  const Case cases[] = {
      {"empty", 0, 0, 0},
      {"one byte short", kBalloonRecordBytes - 1, 0, 0},
      {"texts only", kWindowOffset, 0, 0},
      {"title unterminated", kBalloonRecordBytes, 0, 64},
      {"text unterminated", kBalloonRecordBytes, kTextOffset, 256},
      {"sound path unterminated", kBalloonRecordBytes, kSoundOffset, 1024},
  };
  for (const Case& c : cases) {
    auto record = MakeRecord(u"T", u"B", u"", 1);
    if (c.fill_chars) FillField(&record, c.fill_offset, c.fill_chars);
    // Exactly the given size on the heap: ASan reports any read beyond it.
    std::vector<unsigned char> data(record.begin(), record.begin() + static_cast<long>(c.size));
    EXPECT_FALSE(platform::ParseBalloonRequest(data.data(), data.size())) << c.name;
  }
  EXPECT_FALSE(platform::ParseBalloonRequest(nullptr, kBalloonRecordBytes));
}

TEST(BalloonRequestTest, ALongerRequestIsReadUpToItsRecord) {
  auto record = MakeRecord(u"T", u"B", u"", 9);
  record.resize(kBalloonRecordBytes + 100, 0xFF);
  const auto request = platform::ParseBalloonRequest(record.data(), record.size());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->flash_window, 9u);
}

// The recorder program installed in a private PATH under the player names.
class SoundPlayerTest : public ::testing::Test {
 protected:
  void Install(const std::string& name) {
    ASSERT_EQ(::symlink(SPAWN_RECORDER_PATH, temp_.File(name).c_str()), 0);
  }
  TempFolder temp_;
  std::string fifo_ = temp_.File("record.fifo");
  ScopedEnv path_{"PATH", temp_.path()};
  ScopedEnv record_{"SPAWN_RECORD", fifo_};
};

TEST_F(SoundPlayerTest, OnlyARegularFileIsPlayed) {
  Install("paplay");
  ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
  const std::string folder = temp_.File("folder.wav");
  std::filesystem::create_directories(folder);
  const std::string pipe = temp_.File("pipe.wav");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string sound = temp_.Write("ding.wav", "RIFF");

  platform::SoundPlayer player;
  EXPECT_FALSE(player.Play(folder));
  EXPECT_FALSE(player.Play(pipe));
  EXPECT_FALSE(player.Play("/dev/null"));
  EXPECT_FALSE(player.Play(temp_.File("missing.wav")));
  EXPECT_FALSE(player.Play(""));
  ASSERT_TRUE(player.Play(sound));

  const std::string text = ReadRecordFromFifo(fifo_);
  EXPECT_NE(text.find("arg=" + sound + "\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("folder.wav"), std::string::npos) << text;
  EXPECT_EQ(text.find("pipe.wav"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;  // cwd, the path, fds, end
}

TEST_F(SoundPlayerTest, FallsBackToAplayAndKeepsADashPathAnArgument) {
  Install("aplay");  // no paplay in PATH
  ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(temp_.path());
  temp_.Write("-v.wav", "RIFF");

  platform::SoundPlayer player;
  ASSERT_TRUE(player.Play("-v.wav"));
  const std::string text = ReadRecordFromFifo(fifo_);
  EXPECT_NE(text.find("arg=-q\narg=./-v.wav\n"), std::string::npos) << text;
  std::filesystem::current_path(previous);
}

TEST_F(SoundPlayerTest, NoPlayerMeansNoSoundAndNoFailure) {
  const std::string sound = temp_.Write("ding.wav", "RIFF");
  platform::SoundPlayer player;
  EXPECT_FALSE(player.Play(sound));
}

// The owner window of the icon: collects the callback messages.
std::vector<platform::LPARAM> g_callbacks;
constexpr platform::UINT kTrayNotify = 2025;

platform::LRESULT OwnerProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam) {
  if (message == kTrayNotify) g_callbacks.push_back(lparam);
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

void DispatchPending() {
  platform::MSG msg;
  while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) platform::DispatchMessage(&msg);
}

platform::TrayIconParams IconFor(platform::HWND owner) {
  platform::TrayIconParams params;
  params.owner = owner;
  params.callback_message = kTrayNotify;
  params.width = 2;
  params.height = 2;
  params.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  return params;
}

TEST(MemoryTrayIconTest, DocksWhenATrayAppearsAndReportsClicksToTheOwner) {
  g_callbacks.clear();
  platform::HWND owner = platform::CreateMessageWindow(OwnerProc);
  platform::MemoryTrayIcon tray(/*manager_present=*/false);
  EXPECT_EQ(tray.Add(IconFor(owner)), platform::TrayState::kNoManager);
  EXPECT_FALSE(tray.Click(platform::WM_LBUTTONDBLCLK));
  EXPECT_FALSE(tray.ShowBalloon(u"T", u"B"));

  tray.SetManagerPresent(true);
  EXPECT_EQ(tray.state(), platform::TrayState::kDocked);
  EXPECT_TRUE(tray.Click(platform::WM_LBUTTONDBLCLK));
  EXPECT_TRUE(tray.Click(platform::WM_RBUTTONDOWN));
  DispatchPending();
  EXPECT_EQ(g_callbacks, (std::vector<platform::LPARAM>{platform::WM_LBUTTONDBLCLK, platform::WM_RBUTTONDOWN}));

  platform::TrayIconParams broken = IconFor(owner);
  broken.pixels.pop_back();
  EXPECT_EQ(tray.Add(broken), platform::TrayState::kFailed);
  platform::DestroyWindow(owner);
}

TEST(DeliverBalloonRequestTest, ShowsFlashesAndPlaysOnlyForAWellFormedRequest) {
  TempFolder temp;
  ASSERT_EQ(::symlink(SPAWN_RECORDER_PATH, temp.File("paplay").c_str()), 0);
  const std::string fifo = temp.File("record.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ScopedEnv path("PATH", temp.path());
  ScopedEnv record("SPAWN_RECORD", fifo);
  const std::string sound = temp.Write("ding.wav", "RIFF");
  const std::u16string sound16(sound.begin(), sound.end());

  platform::MemoryTrayIcon tray;
  ASSERT_EQ(tray.Add(IconFor(nullptr)), platform::TrayState::kDocked);
  platform::SoundPlayer player;

  auto short_request = MakeRecord(u"Short", u"cut", sound16, 42);
  short_request.resize(kBalloonRecordBytes - 8);
  EXPECT_FALSE(platform::DeliverBalloonRequest(tray, player, short_request.data(), short_request.size()));
  auto unterminated = MakeRecord(u"Open", u"ended", sound16, 42);
  FillField(&unterminated, kTextOffset, 256);
  EXPECT_FALSE(platform::DeliverBalloonRequest(tray, player, unterminated.data(), unterminated.size()));
  EXPECT_TRUE(tray.balloons().empty());
  EXPECT_FALSE(tray.HasAttention(42));

  const auto good = MakeRecord(u"Game", u"Download finished", sound16, 42);
  ASSERT_TRUE(platform::DeliverBalloonRequest(tray, player, good.data(), good.size()));
  ASSERT_EQ(tray.balloons().size(), 1u);
  EXPECT_EQ(tray.balloons()[0].title, u"Game");
  EXPECT_EQ(tray.balloons()[0].text, u"Download finished");
  EXPECT_TRUE(tray.HasAttention(42));
  const std::string text = ReadRecordFromFifo(fifo);
  EXPECT_NE(text.find("arg=" + sound + "\n"), std::string::npos) << text;
}

TEST(DeliverBalloonRequestTest, WithoutADockedIconNothingFlashes) {
  platform::MemoryTrayIcon tray(/*manager_present=*/false);
  ASSERT_EQ(tray.Add(IconFor(nullptr)), platform::TrayState::kNoManager);
  platform::SoundPlayer player(platform::SoundPlayer::PlayerList{});
  const auto good = MakeRecord(u"Game", u"Text", u"", 42);
  EXPECT_FALSE(platform::DeliverBalloonRequest(tray, player, good.data(), good.size()));
  EXPECT_FALSE(tray.HasAttention(42));
}

}  // namespace
