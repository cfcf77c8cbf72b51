// The settings window on the in-memory back-end, built from the carried skin
// package: the tabs and pages in step, one answer per window, the general
// page's choices and speed fields, the resources page's folder choice and
// repair, and the version page. Every step runs on a UI thread registered as
// thread 0, beside a worker registered as thread 1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/autostart/autostart_entry.h"
#include "platform/clock/fake_clock.h"
#include "platform/instance/instance_lock.h"
#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/dialog_host.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/setting_form.h"
#include "project/Launcher/windows/setting_form_part.h"
#include "project/Launcher/windows/setting_tab_label.h"
#include "project/Launcher/windows/tab_page_resource.h"
#include "project/Launcher/windows/tab_page_version.h"
#include "skin/embedded_resources.h"
#include "tests/core/fake_state.h"
#include "tests/core/store_fixture.h"
#include "tests/core/test_thread.h"
#include "tests/support/fifo_record.h"
#include "tests/support/read_file.h"
#include "tests/support/scoped_env.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/combo.h"
#include "ui/controls/list_box.h"
#include "ui/controls/option.h"
#include "ui/controls/rich_edit.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/registered_window_list.h"
#include "ui/timer_manager.h"
#include "ui/window_impl_base.h"

namespace {

using Delivery = std::pair<WindowHandle, uint32_t>;

// Records the message boxes the store asks for; never answers.
class RecordingDialogHost : public DialogHost {
 public:
  bool OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                      AnswerCallback) override {
    boxes.push_back({owner, content.content.text});
    return true;
  }
  bool OpenOptionsBox(WindowHandle, const OptionsBoxContent&, AnswerCallback) override {
    return false;
  }
  std::vector<std::pair<WindowHandle, std::u16string>> boxes;
};

platform::LRESULT OwnerProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wparam,
                  platform::LPARAM lparam) {
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

class SettingFormTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.Start());
    ASSERT_TRUE(worker_.Start());
    std::filesystem::create_directories(folder_.folder.File("runtime"));
    const auto embedded = skin::EmbeddedSkinPackage();
    SetEmbeddedSkinPackage(embedded.data(), embedded.size());
    Ui([this] {
      platform::InstallWindowBackend(&backend_);
      StartFrameworkUi("en");
      StoreHooks hooks;
      BindFrameworkHooks(&hooks);
      store().SetHooks(hooks);
      store().Init();
      store().SetDialogHost(&dialogs_);
      WindowHooks window_hooks;
      window_hooks.sendMessage = [this](WindowHandle window, uint32_t message, uint64_t,
                                        int64_t) { delivered_.emplace_back(window, message); };
      store().SetWindowHooks(window_hooks);
      store().RegisterMainWindow(kMainWindow);
      store().SetFirstStateFactory([this](int32_t mode) {
        return std::make_unique<FakeState>(1, mode, "flow" + std::to_string(mode), &journal_);
      });
      platform::WNDCLASS owner_class;
      owner_class.lpfnWndProc = OwnerProc;
      owner_class.lpszClassName = u"SettingOwner";
      platform::RegisterClass(owner_class);
      owner_ = platform::CreateWindowEx(0, u"SettingOwner", u"owner", 0, 0, 0, 1340, 750, nullptr,
                                        nullptr);
    });
  }

  void TearDown() override {
    Ui([this] {
      if (form_ != nullptr && platform::IsWindow(form_hwnd_)) platform::DestroyWindow(form_hwnd_);
      if (owner_ != nullptr) platform::DestroyWindow(owner_);
      Pump();
      store().RegisterMainWindow(0);
      store().SetDialogHost(nullptr);
      ui::TimerManager::GetInstance()->Shutdown();
      ShutdownFrameworkUi();
      ui::LanguageTable::GetInstance().Clear();
      platform::InstallWindowBackend(nullptr);
    });
    RunOn(kThreadMisc, [this] { store().stateMachine().Stop(); });
    worker_.Stop();
    ui_.Stop();
    SetEmbeddedSkinPackage(nullptr, 0);
    SettingComponents::TabPageResource::SetFolderPicker(nullptr);
  }

  LauncherStore& store() { return folder_.store; }

  static void Ui(const std::function<void()>& task) { ASSERT_TRUE(RunOn(kThreadUI, task)); }

  // UI thread: dispatches every queued window message.
  static void Pump() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  // Window messages, then the tasks they posted to the UI thread, twice over.
  static void Settle() {
    for (int i = 0; i < 3; ++i) Ui(Pump);
  }
  // Moves the clock and runs what became due: the timers, the animations.
  void Advance(int ms) {
    clock_.Advance(int64_t{ms} * 1000);
    Ui([] {
      ui::TimerManager::GetInstance()->Poll();
      Pump();
    });
  }
  void AdvanceInSteps(int total_ms, int step_ms, const std::function<void()>& check) {
    for (int at = 0; at < total_ms; at += step_ms) {
      Advance(step_ms);
      Ui(check);
    }
  }

  void Open() {
    Ui([this] {
      form_ = SettingForm::Open(owner_, store(), [this](int32_t result) { results_.push_back(result); });
      ASSERT_NE(form_, nullptr);
      form_hwnd_ = form_->GetHWND();
    });
    Settle();
  }
  bool FormAlive() {
    bool alive = false;
    Ui([&] { alive = platform::IsWindow(form_hwnd_); });
    return alive;
  }
  // Runs out the close fade and the delayed close.
  void FinishClose() {
    Advance(400);
    Settle();
  }

  template <typename T>
  T* Find(const std::u16string& name) {
    return dynamic_cast<T*>(form_->FindControlByName(name));
  }
  platform::NativeWindow Native() { return platform::GetNativeWindow(form_hwnd_); }
  void Key(uint32_t key) {
    Ui([&] {
      backend_.InjectKey(Native(), key, true);
      backend_.InjectKey(Native(), key, false);
      Pump();
    });
    Settle();
  }
  void Click(const std::u16string& name) {
    Ui([&] {
      ui::Control* control = form_->FindControlByName(name);
      ASSERT_NE(control, nullptr);
      const ui::UiRect pos = control->GetPos(true);
      const platform::Point centre{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
      backend_.InjectMouseMove(Native(), centre);
      backend_.InjectButton(Native(), 1, true, centre);
      backend_.InjectButton(Native(), 1, false, centre);
      Pump();
    });
    Settle();
  }
  // UI thread: the tab marking, the index of each tab whose label shows it
  // current.
  std::vector<int> MarkedTabsNow() {
    std::vector<int> marked;
    for (int i = 0; i < SettingForm::kPageCount; ++i) {
      auto* tab = dynamic_cast<SettingComponents::TabLabel*>(form_->TabList()->GetItemAt(i));
      if (tab != nullptr && tab->TabName() != nullptr && !tab->TabName()->IsEnabled()) {
        marked.push_back(i);
      }
    }
    return marked;
  }
  std::vector<int> MarkedTabs() {
    std::vector<int> marked;
    Ui([&] { marked = MarkedTabsNow(); });
    return marked;
  }
  std::string SavedSettings() { return ReadFile(folder_.folder.File("save/EnvConfig.json")); }

  static constexpr WindowHandle kMainWindow = 0x4d41494e;

  ScopedStoreFolder folder_;
  ScopedEnv runtime_{"XDG_RUNTIME_DIR", folder_.folder.File("runtime")};
  platform::ScopedFakeClock clock_;
  RegisteredTestThread ui_{kThreadUI};
  RegisteredTestThread worker_{kThreadMisc};
  platform::MemoryBackend backend_;
  RecordingDialogHost dialogs_;
  platform::HWND owner_ = nullptr;
  SettingForm* form_ = nullptr;
  platform::HWND form_hwnd_ = nullptr;
  std::vector<int32_t> results_;          // UI thread
  std::vector<Delivery> delivered_;       // UI thread
  Journal journal_;                       // worker thread
};

TEST_F(SettingFormTest, OpensOnTheGeneralPageWithTheFirstTabMarked) {
  Open();
  Ui([this] {
    EXPECT_FALSE(platform::IsWindowEnabled(owner_));
    EXPECT_EQ(form_->GetCurrentPage(), 0);
    ASSERT_EQ(form_->TabList()->GetCount(), 3);
    ASSERT_EQ(form_->PageList()->GetCount(), 3);
    EXPECT_EQ(form_->PageList()->GetScrollPos().cy, 0);
    auto* second = dynamic_cast<SettingComponents::TabLabel*>(form_->TabList()->GetItemAt(1));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->TabName()->GetText(), u"Game Resources");
    EXPECT_EQ(SettingForm::FindOpen(), form_);
  });
  EXPECT_EQ(MarkedTabs(), std::vector<int>{0});
}

TEST_F(SettingFormTest, ATabScrollsItsPageToTheTopAndTheMarkingMovesOnce) {
  Open();
  int target = 0;
  Ui([&] {
    const std::vector<int>& offsets = form_->PageList()->GetChildOffsets();
    ASSERT_EQ(offsets.size(), 3u) << "the pages are laid out and overflow the list";
    target = std::min(offsets[1], form_->PageList()->GetScrollRange().cy);
    ASSERT_GT(target, 0);
    form_->TabList()->SelectItem(1, false, true);  // what a click on the tab does
  });
  // Through every step of the animation the marking stays on the chosen tab.
  std::vector<int> scrolled;
  AdvanceInSteps(1000, 16, [&] {
    EXPECT_EQ(form_->GetCurrentPage(), 1);
    EXPECT_EQ(MarkedTabsNow(), std::vector<int>{1});
    scrolled.push_back(form_->PageList()->GetScrollPos().cy);
  });
  ASSERT_FALSE(scrolled.empty());
  EXPECT_LT(scrolled.front(), target) << "the scroll is animated";
  Ui([&] { EXPECT_EQ(form_->PageList()->GetScrollPos().cy, target); });

  // Scrolling back to the top by hand marks the first tab again.
  Ui([&] { form_->PageList()->SetScrollPosY(0); });
  Settle();
  EXPECT_EQ(MarkedTabs(), std::vector<int>{0});
  Ui([&] { EXPECT_EQ(form_->GetCurrentPage(), 0); });

  // Out of range: nothing changes.
  Ui([&] {
    form_->SelectPage(-1);
    form_->SelectPage(3);
    EXPECT_EQ(form_->GetCurrentPage(), 0);
  });
  EXPECT_EQ(MarkedTabs(), std::vector<int>{0});
}

TEST_F(SettingFormTest, AClosingWindowAnswersOnceWhateverFollows) {
  Open();
  Click(u"btn_cancel");
  Ui([this] {
    EXPECT_TRUE(platform::IsWindowEnabled(owner_));
    EXPECT_TRUE(form_->IsClosing());
    // The main window hiding itself asks the closing window to close again;
    // a late confirm must not apply the edits either.
    form_->EditedSettings().closeToHide = !form_->EditedSettings().closeToHide;
    platform::SendMessage(form_hwnd_, platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
    form_->Confirm();
    form_->Cancel();
  });
  Key(platform::VK_RETURN);
  Settle();
  Ui([this] { EXPECT_EQ(results_, std::vector<int32_t>{0}); });
  const LauncherSettings saved = store().SettingsCopy();
  EXPECT_FALSE(saved.closeToHide);
  FinishClose();
  EXPECT_FALSE(FormAlive());
  Ui([this] { EXPECT_EQ(results_, std::vector<int32_t>{0}); });
}

TEST_F(SettingFormTest, TheSystemCloseAndEscapeCancelWithoutApplying) {
  for (const bool by_escape : {false, true}) {
    SCOPED_TRACE(by_escape ? "escape" : "system close");
    Open();
    Ui([this] {
      form_->EditedSettings().autoUpdate = false;
    });
    if (by_escape) {
      Key(platform::VK_ESCAPE);
    } else {
      Ui([this] { platform::SendMessage(form_hwnd_, platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0); });
      Settle();
    }
    FinishClose();
    EXPECT_FALSE(FormAlive());
    Ui([this] {
      EXPECT_EQ(results_, std::vector<int32_t>{0});
      results_.clear();
    });
    EXPECT_TRUE(store().SettingsCopy().autoUpdate);
  }
}

TEST_F(SettingFormTest, ConfirmAppliesTheChoicesOfTheGeneralPage) {
  Open();
  Ui([this] {
    Find<ui::Option>(u"option_trayicon")->Selected(true, true);
    Find<ui::Option>(u"option_off")->Selected(true, true);
    Find<ui::Option>(u"predlc_option_limit_speed")->Selected(true, true);
    EXPECT_TRUE(Find<ui::RichEdit>(u"predlc_text_speed")->IsEnabled());
    EXPECT_FALSE(Find<ui::RichEdit>(u"text_speed")->IsEnabled());
  });
  Click(u"btn_confirm");
  Ui([this] { EXPECT_EQ(results_, std::vector<int32_t>{1}); });
  const LauncherSettings applied = store().SettingsCopy();
  EXPECT_TRUE(applied.closeToHide);
  EXPECT_FALSE(applied.autoUpdate);
  EXPECT_TRUE(applied.predlcLimit);
  EXPECT_EQ(applied.predlcSpeed, 4096);
  EXPECT_FALSE(applied.downloadLimit);
  EXPECT_NE(SavedSettings().find("\"closeToHide\" : true"), std::string::npos) << SavedSettings();
}

TEST_F(SettingFormTest, TheLanguageListStartsAtTheStoredLanguageAndConfirmStoresTheChoice) {
  Ui([this] { store().settings.languageType = 15; });  // German
  Open();
  int french = -1;
  Ui([&] {
    auto* combo = Find<ui::Combo>(u"combo_set_language");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 17);  // Japanese is not offered
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetListBox()->GetItemAt(2)->GetUtf8DataId(), "15");
    french = 1;
    EXPECT_EQ(dynamic_cast<ui::ListContainerElement*>(combo->GetListBox()->GetItemAt(1))->GetText(),
              u"Français");
    // A row chosen in the open drop list.
    combo->Activate();
    Pump();
    ASSERT_NE(combo->GetPopup(), nullptr);
    combo->GetListBox()->SelectItem(french, false, true);
    EXPECT_EQ(form_->EditedSettings().languageType, 6);
  });
  Click(u"btn_confirm");
  const LauncherSettings applied = store().SettingsCopy();
  EXPECT_EQ(applied.languageType, 6);
  EXPECT_EQ(applied.languageCode, "fr");
  EXPECT_TRUE(store().languageChanged);
  EXPECT_NE(SavedSettings().find("\"languageType\" : 6"), std::string::npos) << SavedSettings();
}

// The main window opens the settings from "btn_settings"; a language
// confirmed there switches the main window's texts once the settings window
// has closed and the main window is on top again.
TEST_F(SettingFormTest, TheMainWindowOpensTheSettingsAndSwitchesToTheChosenLanguageAfterwards) {
  MainForm* main = nullptr;
  platform::HWND main_hwnd = nullptr;
  Ui([&] {
    MainForm::Environment environment;
    environment.quit = [] {};
    main = new MainForm(store(), std::move(environment));
    main->AddPart(std::make_unique<SettingFormPart>());
    ASSERT_TRUE(main->CreateAndShow());
    main_hwnd = main->GetHWND();
  });
  Settle();
  Ui([&] {
    auto* settings_button = main->FindControl(u"btn_settings");
    ASSERT_NE(settings_button, nullptr);
    EXPECT_EQ(settings_button->GetToolTipText(), u"SETTINGS");
    settings_button->FireEvent(ui::kEventClick);
    settings_button->FireEvent(ui::kEventClick);  // the second click opens no second window
    form_ = SettingForm::FindOpen();
    ASSERT_NE(form_, nullptr);
    form_hwnd_ = form_->GetHWND();
    int windows = 0;
    for (const auto& entry : ui::RegisteredWindowList::GetInstance().entries()) {
      windows += dynamic_cast<SettingForm*>(entry.window) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(windows, 1);
    EXPECT_FALSE(platform::IsWindowEnabled(main_hwnd));
    auto* combo = Find<ui::Combo>(u"combo_set_language");
    ASSERT_NE(combo, nullptr);
    combo->Activate();
    Pump();
    combo->GetListBox()->SelectItem(2, false, true);  // Deutsch
  });
  Settle();
  Click(u"btn_confirm");
  // Still English while the settings window fades out.
  Ui([&] { EXPECT_EQ(main->FindControl(u"btn_settings")->GetToolTipText(), u"SETTINGS"); });
  FinishClose();
  EXPECT_FALSE(FormAlive());
  form_ = nullptr;
  Settle();
  Ui([&] {
    EXPECT_TRUE(platform::IsWindowEnabled(main_hwnd));
    EXPECT_EQ(ui::GlobalManager::GetLanguage(), u"de");
    EXPECT_EQ(main->FindControl(u"btn_settings")->GetToolTipText(), u"EINSTELLUNGEN");
    platform::DestroyWindow(main_hwnd);
    Pump();
  });
  EXPECT_EQ(store().SettingsCopy().languageCode, "de");
}

TEST_F(SettingFormTest, TheStartCheckBoxWritesAndRemovesTheAutostartEntry) {
  const std::string entry = platform::AutostartEntryPath("VDLLauncher");
  for (const bool start : {true, false}) {
    SCOPED_TRACE(start ? "on" : "off");
    Open();
    Ui([this, start] {
      auto* check = Find<ui::CheckBox>(u"checkbox_start");
      ASSERT_NE(check, nullptr);
      EXPECT_EQ(check->IsSelected(), !start);
      check->Selected(start, true);
    });
    Click(u"btn_confirm");
    FinishClose();
    EXPECT_EQ(store().SettingsCopy().automaticStart, start);
    EXPECT_EQ(std::filesystem::exists(entry), start) << entry;
    if (start) {
      EXPECT_NE(ReadFile(entry).find(folder_.ProgramPath()), std::string::npos) << ReadFile(entry);
    }
  }
}

TEST_F(SettingFormTest, TheSpeedFieldCapsWhileTypingAndClampsWhenLeft) {
  const struct {
    std::u16string typed;
    std::string while_typing;
    int32_t stored;
  } cases[] = {
      {u"20000", "10240", 10240},
      {u"5", "5", 100},
      {u"", "", 100},
  };
  Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()));
    Ui([this, &c] {
      auto* field = Find<ui::RichEdit>(u"text_speed");
      Find<ui::Option>(u"option_limit_speed")->Selected(true, true);
      form_->SetFocus(field);
      field->SetUTF8Text("");
      backend_.InjectText(Native(), c.typed);
      Pump();
      EXPECT_EQ(field->GetUTF8Text(), c.while_typing);
      form_->SetFocus(nullptr);  // leaving the field
      EXPECT_EQ(form_->EditedSettings().downloadSpeed, c.stored);
      EXPECT_EQ(field->GetUTF8Text(), std::to_string(c.stored));
    });
  }
  // A pasted run of digits beyond 32 bits counts as above the maximum.
  Ui([this] {
    auto* field = Find<ui::RichEdit>(u"text_speed");
    field->SetUTF8Text("99999999999999999999");
    EXPECT_EQ(field->GetUTF8Text(), "10240");
  });
}

TEST_F(SettingFormTest, EnterInTheGameFieldStoresItAndEnterInThePreDownloadFieldConfirms) {
  Open();
  Ui([this] {
    Find<ui::Option>(u"option_limit_speed")->Selected(true, true);
    Find<ui::Option>(u"predlc_option_limit_speed")->Selected(true, true);
    auto* field = Find<ui::RichEdit>(u"text_speed");
    form_->SetFocus(field);
    field->SetUTF8Text("7");
  });
  Key(platform::VK_RETURN);
  Ui([this] {
    EXPECT_TRUE(results_.empty());
    EXPECT_FALSE(form_->IsClosing());
    EXPECT_EQ(form_->EditedSettings().downloadSpeed, 100);
    EXPECT_EQ(form_->GetFocus(), nullptr);
    // Esc in the game field only validates; the next Esc cancels.
    auto* field = Find<ui::RichEdit>(u"text_speed");
    form_->SetFocus(field);
    field->SetUTF8Text("300");
  });
  Key(platform::VK_ESCAPE);
  Ui([this] {
    EXPECT_FALSE(form_->IsClosing());
    EXPECT_EQ(form_->EditedSettings().downloadSpeed, 300);
    auto* predlc = Find<ui::RichEdit>(u"predlc_text_speed");
    form_->SetFocus(predlc);
    predlc->SetUTF8Text("20000");
  });
  Key(platform::VK_RETURN);
  Ui([this] { EXPECT_EQ(results_, std::vector<int32_t>{1}); });
  const LauncherSettings applied = store().SettingsCopy();
  EXPECT_EQ(applied.downloadSpeed, 300);
  EXPECT_EQ(applied.predlcSpeed, 10240);
  EXPECT_TRUE(applied.predlcLimit);
}

TEST_F(SettingFormTest, AChosenFolderWithoutTheGameGivesTheNoticeAndStoresNothing) {
  SettingComponents::TabPageResource::FolderPicker picker;
  std::vector<std::u16string> titles;
  SettingComponents::TabPageResource::FolderChosen answer;
  SettingComponents::TabPageResource::SetFolderPicker(
      [&](platform::HWND, const std::u16string& title,
          SettingComponents::TabPageResource::FolderChosen done) {
        titles.push_back(title);
        answer = std::move(done);
      });
  const std::string empty_folder = folder_.folder.File("not_a_game");
  std::filesystem::create_directories(empty_folder);
  const std::string before = SavedSettings();
  const std::u16string path_before = store().SettingsCopy().gamePath;
  Open();
  Ui([&] {
    Find<ui::Button>(u"btn_find_game")->FireEvent(ui::kEventClick);
    ASSERT_TRUE(answer);
    answer(1, ScopedStoreFolder::U16(empty_folder));
  });
  Settle();
  Ui([&] {
    EXPECT_EQ(titles, std::vector<std::u16string>{u"Select Directory"});
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].first, reinterpret_cast<WindowHandle>(form_hwnd_));
    EXPECT_EQ(dialogs_.boxes[0].second, u"STRING_ERROR_INVALID_GAME_PATH");
    EXPECT_EQ(Find<ui::Label>(u"text_game_path")->GetText(), path_before);
    EXPECT_EQ(form_->EditedSettings().gamePath, path_before);
  });
  EXPECT_EQ(store().SettingsCopy().gamePath, path_before);
  EXPECT_EQ(SavedSettings(), before);
}

TEST_F(SettingFormTest, AChosenGameFolderIsStoredAndItsVersionPublishedByTheWorker) {
  SettingComponents::TabPageResource::FolderChosen answer;
  SettingComponents::TabPageResource::SetFolderPicker(
      [&](platform::HWND, const std::u16string&,
          SettingComponents::TabPageResource::FolderChosen done) { answer = std::move(done); });
  const std::string game = folder_.folder.File("other game");
  std::filesystem::create_directories(game);
  std::ofstream(game + "/KVOR.exe") << "game";
  std::ofstream(game + "/version_map.txt") << R"({"version":"10077_0_2"})";
  Open();
  Ui([&] {
    Find<ui::Button>(u"btn_find_game")->FireEvent(ui::kEventClick);
    ASSERT_TRUE(answer);
    answer(1, ScopedStoreFolder::U16(game));
    EXPECT_EQ(Find<ui::Label>(u"text_game_path")->GetText(), ScopedStoreFolder::U16(game));
  });
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  Settle();
  EXPECT_EQ(store().SettingsCopy().gamePath, ScopedStoreFolder::U16(game));
  EXPECT_NE(SavedSettings().find("other game"), std::string::npos);
  EXPECT_EQ(store().UiView().localGameVersion, "10077_0_2");
  Ui([&] {
    EXPECT_NE(std::find(delivered_.begin(), delivered_.end(), Delivery{kMainWindow, kMsgRefreshState}),
              delivered_.end());
    // What the main window does on that message: the pages show the version.
    form_->RefreshPages();
    EXPECT_NE(Find<ui::Label>(u"label_game_version")->GetText(), u"Current version: ");
  });
  // Cancelling afterwards keeps the folder.
  Click(u"btn_cancel");
  FinishClose();
  EXPECT_EQ(store().SettingsCopy().gamePath, ScopedStoreFolder::U16(game));
}

TEST_F(SettingFormTest, RepairForgetsTheVersionStartsTheCheckAndClosesTheWindow) {
  const std::string game = store().GameFolder();
  std::filesystem::create_directories(game);
  std::ofstream(game + "version_map.txt") << R"({"version":"10077_0_1"})";
  Open();
  Ui([this] { Find<ui::Button>(u"btn_repair_game")->FireEvent(ui::kEventClick); });
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  Settle();
  EXPECT_FALSE(std::filesystem::exists(game + "version_map.txt"));
  ASSERT_TRUE(RunOn(kThreadMisc, [this] { EXPECT_EQ(journal_, Journal{"flow1.enter(none)"}); }));
  Ui([this] {
    EXPECT_TRUE(form_->IsClosing());
    EXPECT_EQ(results_, std::vector<int32_t>{0});
  });
}

TEST_F(SettingFormTest, RepairAndGameUpdateAreRefusedWhileTheGameRuns) {
  const std::string game = store().GameFolder();
  std::filesystem::create_directories(game);
  std::ofstream(game + "version_map.txt") << R"({"version":"10077_0_1"})";
  platform::InstanceLock running(kGameInstanceName);
  ASSERT_TRUE(running.Acquire());
  ASSERT_TRUE(IsGameRunning());
  Open();
  Ui([this] {
    Find<ui::Button>(u"btn_repair_game")->FireEvent(ui::kEventClick);
    Find<ui::Button>(u"btn_game_update")->FireEvent(ui::kEventClick);
  });
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  Settle();
  EXPECT_TRUE(std::filesystem::exists(game + "version_map.txt"));
  ASSERT_TRUE(RunOn(kThreadMisc, [this] { EXPECT_TRUE(journal_.empty()); }));
  Ui([this] {
    EXPECT_FALSE(form_->IsClosing());
    EXPECT_TRUE(results_.empty());
    ASSERT_EQ(dialogs_.boxes.size(), 2u);
    EXPECT_EQ(dialogs_.boxes[0].second, u"STRING_ERROR_EXCEED_MAX_GAME_INSTANCE");
    EXPECT_EQ(dialogs_.boxes[1].second, u"STRING_ERROR_EXCEED_MAX_GAME_INSTANCE");
  });
}

TEST_F(SettingFormTest, TheVersionPageShowsTheVersionsAndFollowsTheFlow) {
  store().launcherVersion = "1.0.0";
  ASSERT_TRUE(RunOn(kThreadMisc, [this] {
    store().displayGameVersion = "1.2.3";
    store().PublishUiView();
  }));
  Open();
  Ui([this] {
    EXPECT_EQ(Find<ui::Label>(u"label_launcher_version")->GetText(), u"Current version: 1.0.0");
    EXPECT_EQ(Find<ui::Label>(u"label_game_version")->GetText(), u"Current version: 1.2.3");
    EXPECT_TRUE(Find<ui::Button>(u"btn_game_update")->IsEnabled());
    EXPECT_TRUE(Find<ui::Button>(u"btn_repair_game")->IsEnabled());
    EXPECT_TRUE(Find<ui::Button>(u"btn_find_game")->IsEnabled());
  });
  // A game download runs: the page follows the main window's refresh.
  ASSERT_TRUE(RunOn(kThreadMisc, [this] {
    store().ChangeState(std::make_unique<FakeState>(5, 1, "download", nullptr));
  }));
  Ui([this] {
    form_->RefreshPages();
    EXPECT_FALSE(Find<ui::Button>(u"btn_game_update")->IsEnabled());
    EXPECT_FALSE(Find<ui::Button>(u"btn_launcher_update")->IsEnabled());
    EXPECT_FALSE(Find<ui::Button>(u"btn_repair_game")->IsEnabled());
    EXPECT_FALSE(Find<ui::Button>(u"btn_find_game")->IsEnabled());
  });
  // The launcher's own check: finding a folder stays possible.
  ASSERT_TRUE(RunOn(kThreadMisc, [this] {
    store().ChangeState(std::make_unique<FakeState>(2, 0, "check", nullptr));
  }));
  Ui([this] {
    form_->RefreshPages();
    EXPECT_TRUE(Find<ui::Button>(u"btn_find_game")->IsEnabled());
    EXPECT_FALSE(Find<ui::Button>(u"btn_repair_game")->IsEnabled());
  });
}

TEST_F(SettingFormTest, TheVersionTextIsNeverUsedAsAFormat) {
  using SettingComponents::TabPageVersion;
  EXPECT_EQ(TabPageVersion::VersionLine(u"Current version: %s", u"1.0.0"), u"Current version: 1.0.0");
  EXPECT_EQ(TabPageVersion::VersionLine(u"%n%d %ls %s", u"v"), u"%n%d v %s");
  EXPECT_EQ(TabPageVersion::VersionLine(u"no placeholder", u"v"), u"no placeholder");
  EXPECT_EQ(TabPageVersion::VersionLine(u"%s", std::u16string(400, u'9')).size(), 260u);
}

TEST_F(SettingFormTest, TheAgreementLinkReachesTheOpener) {
  ASSERT_EQ(::symlink(SPAWN_RECORDER_PATH, folder_.folder.File("xdg-open").c_str()), 0);
  ASSERT_EQ(::mkfifo(folder_.folder.File("fifo").c_str(), 0600), 0);
  ScopedEnv path("PATH", folder_.folder.path());
  ScopedEnv record("SPAWN_RECORD", folder_.folder.File("fifo"));
  store().linkMap = {{"Service", "https://example.com/terms"}};
  Open();
  Ui([this] {
    Find<ui::Button>(u"btn_privacy")->FireEvent(ui::kEventClick);  // no "Privacy": nothing
    Find<ui::Button>(u"btn_agreement")->FireEvent(ui::kEventClick);
  });
  const std::string text = ReadRecordFromFifo(folder_.folder.File("fifo"));
  EXPECT_NE(text.find("\narg=https://example.com/terms\n"), std::string::npos) << text;
  Ui([this] { EXPECT_FALSE(form_->IsClosing()); });
}

}  // namespace
