// The install-path dialog: it opens on the stored game path as it stands,
// shows the needed and the free space of the folder's file system (red
// below 4 GiB), stores a picked parent with the game folder's name appended,
// refuses a folder whose space cannot be read with a notice, and answers
// exactly once: 1 for OK or Enter, 0 for close, Escape or the system close.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/async_modal_runner_manager.h"
#include "project/Launcher/windows/setup_path_form.h"
#include "tests/support/read_file.h"
#include "tests/windows/skin_fixture.h"
#include "tests/windows/stub_program.h"
#include "tests/windows/test_window.h"
#include "ui/controls/label.h"

namespace windows_test {
namespace {

class SetupPathFormTest : public SkinnedUiTest {
 protected:
  void SetUp() override {
    FreeSpace(uint64_t{8} << 30);
    stored_ = platform::UTF8ToUTF16(folder_.path() + "/prog/Valdrenth Game");
    LauncherStore::GetInstance().SetGamePath(stored_);
    ASSERT_TRUE(OnUi([this] {
      owner_ = TestWindow::Open(u"setup", u"skin.xml");
      if (owner_ == nullptr) return false;
      LauncherStore::GetInstance().RegisterMainWindow(
          reinterpret_cast<WindowHandle>(owner_->GetHWND()));
      form_ = SetupPathForm::Open(owner_, [this](int32_t result) { answers_.Set(result); });
      return form_ != nullptr;
    }));
  }
  void TearDown() override {
    OnUi([this] {
      LauncherStore::GetInstance().RegisterMainWindow(0);
      if (platform::IsWindow(owner_->GetHWND())) platform::DestroyWindow(owner_->GetHWND());
    });
  }

  std::u16string LabelText(const char16_t* name) {
    return OnUi([&] {
      auto* label = dynamic_cast<ui::Label*>(form_->FindControlByName(name));
      return label != nullptr ? label->GetText() : std::u16string(u"<missing>");
    });
  }
  std::u16string FreeColour() {
    return OnUi([&] {
      auto* label = dynamic_cast<ui::Label*>(form_->FindControlByName(u"lable_free_space"));
      return label->GetStateTextColor(ui::kControlStateNormal);
    });
  }
  bool OwnerEnabled() { return OnUi([&] { return platform::IsWindowEnabled(owner_->GetHWND()); }); }
  void Click(const char16_t* name) {
    OnUi([&] { form_->FindControlByName(name)->Activate(); });
  }
  void Key(uint32_t key) {
    OnUi([&] { platform::SendMessage(form_->GetHWND(), platform::WM_KEYDOWN, key, 0); });
  }

  std::u16string stored_;
  TestWindow* owner_ = nullptr;
  SetupPathForm* form_ = nullptr;
  Awaited<int32_t> answers_;
};

TEST_F(SetupPathFormTest, OpensOnTheStoredPathWithTheSpaceOfItsFileSystem) {
  // The stored path is where a confirm installs: no second folder name.
  EXPECT_EQ(stored_, LabelText(u"text_set_path"));
  EXPECT_EQ(u"Required disk space:  4.00G", LabelText(u"lable_need_space"));
  EXPECT_EQ(u"Available disk space:  8.00G", LabelText(u"lable_free_space"));
  EXPECT_EQ(u"graya2", FreeColour());
  EXPECT_FALSE(OwnerEnabled());
}

TEST_F(SetupPathFormTest, FreeSpaceBelowFourGibibytesTurnsRed) {
  struct Case {
    uint64_t bytes;
    const char16_t* text;
    const char16_t* colour;
  } cases[] = {
      {uint64_t{7} << 29, u"Available disk space:  3.50G", u"red"},
      {uint64_t{1} << 32, u"Available disk space:  4.00G", u"graya2"},
      {uint64_t{512} << 20, u"Available disk space: 512.00M", u"red"},
      {uint64_t{300} << 10, u"Available disk space: 300.00KB", u"red"},
  };
  for (const Case& c : cases) {
    FreeSpace(c.bytes);
    ASSERT_TRUE(OnUi([&] { return form_->SetPath(stored_, false); }));
    EXPECT_EQ(c.text, LabelText(u"lable_free_space"));
    EXPECT_EQ(c.colour, FreeColour());
  }
}

TEST_F(SetupPathFormTest, APickedParentGetsTheGameFolderNameAndIsStoredAtOnce) {
  const std::string games = folder_.path() + "/Games";
  std::filesystem::create_directories(games);
  ASSERT_TRUE(OnUi([&] { return form_->SetPath(platform::UTF8ToUTF16(games), true); }));
  const std::u16string expected = platform::UTF8ToUTF16(games + "/Valdrenth Game");
  EXPECT_EQ(expected, LabelText(u"text_set_path"));
  EXPECT_EQ(expected, LauncherStore::GetInstance().SettingsCopy().gamePath);
  const std::string saved = ReadFile(folder_.path() + "/save/EnvConfig.json");
  EXPECT_NE(std::string::npos, saved.find(games + "/Valdrenth Game")) << saved;

  EXPECT_EQ(u"/Valdrenth Game", SetupPathForm::ComposeGameFolder(u"/"));
  EXPECT_EQ(u"/mnt/d/Valdrenth Game", SetupPathForm::ComposeGameFolder(u"/mnt/d/"));
}

TEST_F(SetupPathFormTest, AFolderWhoseSpaceCannotBeReadChangesNothing) {
  platform::SetDiskSpaceQueryForTesting([](const std::string&, platform::DiskSpace*) { return false; });
  EXPECT_FALSE(OnUi([&] { return form_->SetPath(u"/nowhere", true); }));
  EXPECT_EQ((std::vector<std::string>{"STRING_ERROR_INVALID_DISKSPACE"}), Boxes());
  EXPECT_EQ(stored_, LabelText(u"text_set_path"));
  EXPECT_EQ(stored_, LauncherStore::GetInstance().SettingsCopy().gamePath);
}

TEST_F(SetupPathFormTest, EnterConfirmsOnceAndGivesTheOwnerBack) {
  FreeSpace(1024);  // red: the dialog still confirms, the install checks later
  ASSERT_TRUE(OnUi([&] { return form_->SetPath(stored_, false); }));
  Key(platform::VK_RETURN);
  Key(platform::VK_ESCAPE);  // during the fade-out: no second answer
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_TRUE(OwnerEnabled());
  // Everything posted so far has run: still one answer.
  OnUi([] {});
  EXPECT_EQ((std::vector<int32_t>{1}), answers_.Values());
}

TEST_F(SetupPathFormTest, OkButtonConfirms) {
  Click(u"btn_ok");
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(1, answers_.Values()[0]);
}

TEST_F(SetupPathFormTest, EscapeCancels) {
  Key(platform::VK_ESCAPE);
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(0, answers_.Values()[0]);
}

TEST_F(SetupPathFormTest, TheSystemCloseCancels) {
  OnUi([&] { platform::SendMessage(form_->GetHWND(), platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0); });
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(0, answers_.Values()[0]);
}

TEST_F(SetupPathFormTest, TheCloseButtonCancels) {
  Click(u"btn_close");
  ASSERT_TRUE(answers_.WaitFor());
  EXPECT_EQ(0, answers_.Values()[0]);
}

TEST_F(SetupPathFormTest, TheChangeButtonStoresTheFolderThePickerAnswers) {
  const std::string games = folder_.path() + "/Games";
  std::filesystem::create_directories(games);
  // The picker answers, then tells the test through a second, cancelled
  // run that nothing more is pending.
  WriteStubProgram(Bin(), "zenity", "echo '" + games + "'");
  Click(u"btn_change");
  const std::u16string expected = platform::UTF8ToUTF16(games + "/Valdrenth Game");
  // The answer arrives through the UI thread; the store changes with it.
  for (int i = 0; i < 100000 && LauncherStore::GetInstance().SettingsCopy().gamePath != expected; ++i)
    OnUi([] {});
  EXPECT_EQ(expected, LabelText(u"text_set_path"));
  EXPECT_EQ(expected, LauncherStore::GetInstance().SettingsCopy().gamePath);
}

TEST_F(SetupPathFormTest, ACancelledPickerStoresNothing) {
  const std::string marker = folder_.path() + "/picked";
  WriteStubProgram(Bin(), "zenity", "touch '" + marker + "'\nexit 1");
  Click(u"btn_change");
  for (int i = 0; i < 100000 && jov_comp::AsyncModalRunnerManager::GetInstance().RunnerCount() != 0; ++i)
    OnUi([] {});
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_EQ(stored_, LabelText(u"text_set_path"));
  EXPECT_EQ(stored_, LauncherStore::GetInstance().SettingsCopy().gamePath);
}

}  // namespace
}  // namespace windows_test
