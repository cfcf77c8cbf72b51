// The main window on the in-memory back-end, built from the carried skin:
// what it binds and registers, where its messages go (the parts, the tray,
// the store), the balloon request's checks, hiding with and without a tray,
// and the teardown that ends the UI loop only once the parts' children are
// gone or the wait is over.
#include <gtest/gtest.h>

#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/framework/ui_message_loop.h"
#include "platform/message/message_api.h"
#include "platform/tray/balloon_request.h"
#include "platform/tray/memory_tray_icon.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/windows/cef_dummy_control.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/ui_dump.h"
#include "skin/embedded_resources.h"
#include "tests/core/store_fixture.h"
#include "ui/controls/button.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/tab_box.h"

namespace {

// A part that writes down what reaches it.
class RecordingPart : public MainFormPart {
 public:
  // |polls| counts the looks at ReadyToQuit; ready from the |readyAfter|th
  // on. Both live with the test: the part goes with the teardown.
  RecordingPart(std::vector<std::string>* journal, int* polls, const int* readyAfter)
      : journal_(journal), polls_(polls), readyAfter_(readyAfter) {}
  void Attach(MainForm& form) override {
    Note(std::string("attach tab_assets=") + (form.assetPanels() ? "yes" : "no") +
         " tab_predlc=" + (form.preDownloadPanels() ? "yes" : "no") + " webview=" + (form.webView() ? "yes" : "no"));
  }
  void OnRefreshState() override { Note("refresh"); }
  void OnGameVersionChanged() override { Note("version"); }
  void OnConfigReloaded() override { Note("config"); }
  void OnRefreshPages() override { Note("pages"); }
  void OnCheckProgress(platform::WPARAM, platform::LPARAM percent) override { Note("check " + std::to_string(percent)); }
  void OnDownloadSpeed(platform::WPARAM seconds, platform::LPARAM bps) override {
    Note("speed " + std::to_string(seconds) + " " + std::to_string(bps));
  }
  void OnDownloadProgress(platform::WPARAM total, platform::LPARAM done) override {
    Note("progress " + std::to_string(total) + " " + std::to_string(done));
  }
  void OnDownloadPaused(platform::LPARAM paused) override { Note("paused " + std::to_string(paused)); }
  void OnPreDownloadStatus(platform::WPARAM index, platform::LPARAM value) override {
    Note("predl " + std::to_string(index) + " " + std::to_string(value));
  }
  void OnUiTick() override { Note("tick"); }
  void Detach() override { Note("detach"); }
  bool ReadyToQuit() override { return ++*polls_ >= *readyAfter_; }

 private:
  void Note(const std::string& line) { journal_->push_back(line); }
  std::vector<std::string>* journal_;
  int* polls_;
  const int* readyAfter_;
};

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::InstallWindowBackend(&backend_);
    const auto embedded = skin::EmbeddedSkinPackage();
    SetEmbeddedSkinPackage(embedded.data(), embedded.size());
    StartFrameworkUi("en");
    WindowHooks hooks;
    hooks.sendMessage = [](WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
      platform::SendMessage(reinterpret_cast<platform::HWND>(window), message, wParam, lParam);
    };
    hooks.setSelfProperty = [](WindowHandle window, const std::u16string& name) {
      platform::SetProp(reinterpret_cast<platform::HWND>(window), name, window);
    };
    hooks.removeProperty = [](WindowHandle window, const std::u16string& name) {
      platform::RemoveProp(reinterpret_cast<platform::HWND>(window), name);
    };
    store().SetWindowHooks(hooks);
  }
  void TearDown() override {
    if (hwnd_ != nullptr && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
    Drain();
    store().SetWindowHooks({});
    ShutdownFrameworkUi();
    ui::GlobalManager::SetChannel(u"AppStore");
    ui::GlobalManager::RemoveAllTextColors();
    ui::LanguageTable::GetInstance().Clear();
    SetEmbeddedSkinPackage(nullptr, 0);
    platform::InstallWindowBackend(nullptr);
  }

  LauncherStore& store() { return folder_.store; }

  // Opens the window with a recording part and a tray icon in memory whose
  // tray is there or not.
  MainForm* Open(bool trayPresent, std::chrono::milliseconds quitWait = std::chrono::milliseconds(5000)) {
    MainForm::Environment environment;
    environment.makeTrayIcon = [this, trayPresent]() -> std::unique_ptr<platform::TrayIcon> {
      auto tray = std::make_unique<platform::MemoryTrayIcon>(trayPresent);
      tray_ = tray.get();
      return tray;
    };
    environment.iconPixels.assign(16 * 16, 0xFF2060A0u);
    environment.iconWidth = environment.iconHeight = 16;
    environment.record = [this](const std::string& line) {
      if (line.rfind("message ", 0) != 0) journal_.push_back(line);
    };
    environment.quitWait = quitWait;
    auto* form = new MainForm(store(), std::move(environment));
    auto part = std::make_unique<RecordingPart>(&journal_, &polls_, &readyAfter_);
    form->AddPart(std::move(part));
    if (!form->CreateAndShow()) return nullptr;
    hwnd_ = form->GetHWND();
    Drain();
    return form;
  }
  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  platform::LRESULT Send(uint32_t message, platform::WPARAM wParam = 0, platform::LPARAM lParam = 0) {
    return platform::SendMessage(hwnd_, message, wParam, lParam);
  }

  // A balloon record with the given fields, |size| bytes of it handed over.
  static std::vector<unsigned char> BalloonRecord(const std::u16string& title, const std::u16string& text) {
    std::vector<unsigned char> record(platform::kBalloonRecordBytes, 0);
    std::memcpy(record.data(), title.data(), title.size() * 2);
    std::memcpy(record.data() + platform::kBalloonTitleChars * 2, text.data(), text.size() * 2);
    return record;
  }
  platform::LRESULT SendCopyData(uint64_t dwData, const std::vector<unsigned char>& bytes, size_t size) {
    platform::CopyDataStruct data;
    data.dwData = dwData;
    data.cbData = static_cast<uint32_t>(size);
    data.lpData = bytes.data();
    return Send(platform::WM_COPYDATA, 0, reinterpret_cast<platform::LPARAM>(&data));
  }

  platform::MemoryBackend backend_;
  ScopedStoreFolder folder_;
  kbase::UIMessageLoop loop_;
  platform::HWND hwnd_ = nullptr;
  platform::MemoryTrayIcon* tray_ = nullptr;
  int polls_ = 0;
  int readyAfter_ = 1;
  std::vector<std::string> journal_;
};

TEST_F(MainFormTest, BuildsFromTheSkinRegistersAndStartsWithTheButtonDisabled) {
  MainForm* form = Open(true);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(platform::GetClassName(hwnd_), u"Launcher");
  EXPECT_EQ(platform::GetWindowText(hwnd_), u"Launcher");
  EXPECT_TRUE(platform::IsWindowVisible(hwnd_));
  // Registered: the store reaches it and the instance property names it.
  EXPECT_EQ(store().mainWindow(), reinterpret_cast<WindowHandle>(hwnd_));
  EXPECT_EQ(platform::GetProp(hwnd_, kLauncherInstanceNameW), reinterpret_cast<uintptr_t>(hwnd_));
  ASSERT_NE(form->mainButton(), nullptr);
  EXPECT_EQ(form->mainButton()->GetTextId(), u"STRING_START_GAME");
  EXPECT_FALSE(form->mainButton()->IsEnabled());
  EXPECT_NE(form->assetPanels(), nullptr);
  EXPECT_NE(form->preDownloadPanels(), nullptr);
  EXPECT_NE(form->linkBar(), nullptr);
  // No browser engine: the web views keep their place as plain controls.
  EXPECT_NE(dynamic_cast<CefDummyControl*>(form->webView()), nullptr);
  EXPECT_NE(dynamic_cast<CefDummyControl*>(form->debugWebView()), nullptr);
  EXPECT_EQ(journal_.front(), "attach tab_assets=yes tab_predlc=yes webview=yes");
  // The tray icon carries the application icon and calls back with
  // kMsgTrayNotify.
  ASSERT_NE(tray_, nullptr);
  EXPECT_EQ(tray_->state(), platform::TrayState::kDocked);
  EXPECT_EQ(tray_->params().callback_message, kMsgTrayNotify);
  EXPECT_EQ(tray_->params().owner, hwnd_);
}

TEST_F(MainFormTest, TheFirstPresentedFrameIsRecordedOnceAfterTheWindowShows) {
  ASSERT_NE(Open(true), nullptr);
  const int presented = backend_.PresentCount(platform::GetNativeWindow(hwnd_));
  ASSERT_GT(presented, 0);
  // Later paints do not record it again.
  platform::InvalidateRect(hwnd_, nullptr, false);
  Drain();
  EXPECT_GT(backend_.PresentCount(platform::GetNativeWindow(hwnd_)), presented);
  EXPECT_EQ(std::count(journal_.begin(), journal_.end(), "main_window_first_frame"), 1);
}

TEST_F(MainFormTest, TheWorkersMessagesReachThePartsWithTheirValues) {
  ASSERT_NE(Open(true), nullptr);
  journal_.clear();
  Send(kMsgRefreshState);
  Send(kMsgGameVersionChanged);
  Send(kMsgConfigReloaded);
  Send(kMsgRefreshPages);
  Send(kMsgCheckProgress, 0, 42);
  Send(kMsgDownloadSpeed, 75, 1 << 20);
  Send(kMsgDownloadProgress, platform::WPARAM{5} << 32, int64_t{3} << 32);
  Send(kMsgDownloadPaused, 0, 1);
  Send(kMsgPreDownloadStatus, 7, -1);
  Send(kMsgUiTick);
  Send(kMsgCloseHoverPopup);
  EXPECT_EQ(journal_, (std::vector<std::string>{"refresh", "version", "config", "pages", "check 42",
                                                "speed 75 1048576", "progress 21474836480 12884901888",
                                                "paused 1", "predl 7 -1", "tick"}));
}

TEST_F(MainFormTest, BalloonRequestsAreCheckedWholeBeforeTheTrayShowsThem) {
  ASSERT_NE(Open(true), nullptr);
  const std::vector<unsigned char> record = BalloonRecord(u"Update", u"Ready to play");
  std::vector<unsigned char> unterminated = record;
  for (size_t i = 0; i < platform::kBalloonTitleChars; ++i) {
    unterminated[i * 2] = 'A';
  }
  struct Case {
    const char* what;
    uint64_t dwData;
    const std::vector<unsigned char>* bytes;
    size_t size;
    platform::LRESULT result;
  };
  for (const Case& c : {Case{"short", 0, &record, platform::kBalloonRecordBytes - 1, 0},
                        Case{"unterminated title", 0, &unterminated, unterminated.size(), 0},
                        Case{"other dwData", 1, &record, record.size(), 0},
                        Case{"whole", 0, &record, record.size(), 1}}) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SendCopyData(c.dwData, *c.bytes, c.size), c.result);
  }
  ASSERT_EQ(tray_->balloons().size(), 1u);
  EXPECT_EQ(tray_->balloons()[0].title, u"Update");
  EXPECT_EQ(tray_->balloons()[0].text, u"Ready to play");
}

TEST_F(MainFormTest, HidingGoesToTheTrayOrIconifiesWithoutOneAndShowBringsItBack) {
  for (bool trayPresent : {true, false}) {
    SCOPED_TRACE(trayPresent ? "tray" : "no tray");
    MainForm* form = Open(trayPresent);
    ASSERT_NE(form, nullptr);
    Send(kMsgHideLauncher);
    if (trayPresent) {
      EXPECT_FALSE(platform::IsWindowVisible(hwnd_));
      EXPECT_NE(std::find(journal_.begin(), journal_.end(), "hidden_to_tray"), journal_.end());
    } else {
      // Nothing would show the launcher again: it stays on the task bar.
      EXPECT_TRUE(platform::IsIconic(hwnd_));
      EXPECT_NE(std::find(journal_.begin(), journal_.end(), "iconified"), journal_.end());
    }
    Send(kMsgShowLauncher, 0, 0);
    EXPECT_TRUE(platform::IsWindowVisible(hwnd_));
    EXPECT_FALSE(platform::IsIconic(hwnd_));
    // The tray menu's "open" arrives as a command and shows the window too.
    Send(kMsgHideLauncher);
    Send(platform::WM_COMMAND, kMsgShowLauncher, 0);
    EXPECT_TRUE(platform::IsWindowVisible(hwnd_));
    platform::DestroyWindow(hwnd_);
    Drain();
    journal_.clear();
  }
}

TEST_F(MainFormTest, TheTeardownEndsTheUiLoopOnceThePartsChildrenAreGone) {
  ASSERT_NE(Open(true), nullptr);
  readyAfter_ = 3;  // a child that takes two more looks to go
  journal_.clear();
  Send(platform::WM_CLOSE);
  // The window went at once, and with it the registration and the property.
  EXPECT_FALSE(platform::IsWindow(hwnd_));
  EXPECT_EQ(store().mainWindow(), WindowHandle{0});
  EXPECT_EQ(journal_, (std::vector<std::string>{"detach", "tray_removed", "main_window_unregistered"}));
  // The loop ends on the quit message the waiter posts once the part is ready.
  loop_.RunWithRunState();
  EXPECT_EQ(polls_, 3);
  EXPECT_EQ(journal_.back(), "ui_loop_ending");
}

TEST_F(MainFormTest, TheTeardownStopsWaitingForChildrenAfterTheBoundedWait) {
  ASSERT_NE(Open(true, std::chrono::milliseconds(300)), nullptr);
  readyAfter_ = 1000000;  // a child that never goes
  Send(platform::WM_CLOSE);
  loop_.RunWithRunState();
  EXPECT_GT(polls_, 1);
  EXPECT_EQ(journal_.back(), "ui_loop_ending");
}

TEST_F(MainFormTest, TheUiDumpListsEveryControlWithItsScreenRectangle) {
  MainForm* form = Open(true);
  ASSERT_NE(form, nullptr);
  const std::string dump = UiDump::Lines();
  std::vector<Json::Value> lines;
  size_t start = 0;
  for (size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string error;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const std::string line = dump.substr(start, end - start);
    ASSERT_TRUE(reader->parse(line.data(), line.data() + line.size(), &value, &error)) << line;
    lines.push_back(value);
  }
  ASSERT_GT(lines.size(), 10u);
  EXPECT_TRUE(lines.back()["end"].asBool());
  EXPECT_EQ(lines.back()["windows"].asInt(), 1);
  EXPECT_EQ(lines.back()["controls"].asUInt(), lines.size() - 1);
  auto button = std::find_if(lines.begin(), lines.end(), [](const Json::Value& v) { return v["name"] == "btn_game"; });
  ASSERT_NE(button, lines.end());
  EXPECT_EQ((*button)["window"], "Launcher");
  EXPECT_EQ((*button)["tag"], "Button");
  EXPECT_EQ((*button)["text_id"], "STRING_START_GAME");
  EXPECT_FALSE((*button)["enabled"].asBool());
  EXPECT_TRUE((*button)["visible"].asBool());
  // The rectangle is the control's, moved to the screen by the window's
  // client origin.
  platform::Point origin{0, 0};
  platform::ClientToScreen(hwnd_, &origin);
  const ui::UiRect pos = form->mainButton()->GetPos(true);
  EXPECT_EQ((*button)["rect"][0].asInt(), pos.left + origin.x);
  EXPECT_EQ((*button)["rect"][3].asInt(), pos.bottom + origin.y);
  EXPECT_GT(pos.right - pos.left, 0);
}

}  // namespace
