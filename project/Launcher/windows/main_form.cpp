#include "project/Launcher/windows/main_form.h"

#include <memory>

#include "base/callback/weak_callback.h"
#include "base/framework/message_loop.h"
#include "base/util/string_util.h"
#include "platform/message/message_api.h"
#include "platform/tray/balloon_request.h"
#include "platform/tray/sound_player.h"
#include "platform/tray/tray_icon.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/exit_request.h"
#include "project/Launcher/services/font_installer.h"
#include "project/Launcher/windows/cef_dummy_control.h"
#include "ui/box.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/event_args.h"
#include "ui/global_manager.h"
#include "ui/hbox.h"
#include "ui/registered_window_list.h"
#include "ui/tab_box.h"

namespace {

constexpr char16_t kSettingFormClass[] = u"SettingForm";
constexpr uint16_t kTrayCommandOpen = kMsgShowLauncher;
constexpr uint16_t kTrayCommandExit = kMsgExitLauncher;
constexpr auto kQuitPollPeriod = std::chrono::milliseconds(100);

uint16_t LowWord(uint64_t value) { return static_cast<uint16_t>(value & 0xFFFF); }

// Polls the parts after the window closed and ends the UI loop once all are
// ready or the wait is over. Lives on its own: the window is deleted before
// it finishes.
class QuitWhenReady : public std::enable_shared_from_this<QuitWhenReady> {
 public:
  QuitWhenReady(std::vector<std::unique_ptr<MainFormPart>> parts, std::function<void()> quit,
                std::chrono::milliseconds wait)
      : parts_(std::move(parts)),
        quit_(std::move(quit)),
        deadline_(std::chrono::steady_clock::now() + wait) {}

  void Check() {
    bool ready = true;
    for (const auto& part : parts_) ready = part->ReadyToQuit() && ready;
    kbase::MessageLoop* loop = kbase::MessageLoop::Current();
    if (ready || std::chrono::steady_clock::now() >= deadline_ || loop == nullptr) {
      parts_.clear();
      quit_();
      return;
    }
    auto self = shared_from_this();
    loop->PostDelayedTask([self] { self->Check(); },
                          kbase::TimeDelta::FromMicroseconds(
                              std::chrono::duration_cast<std::chrono::microseconds>(kQuitPollPeriod).count()));
  }

 private:
  std::vector<std::unique_ptr<MainFormPart>> parts_;
  std::function<void()> quit_;
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace

MainForm::MainForm(LauncherStore& store, Environment environment)
    : store_(store),
      environment_(std::move(environment)),
      closeFlow_(store, CloseFlow::Actions{
                            [this] { platform::SendMessage(GetHWND(), kMsgHideLauncher, 0, 0); },
                            [this] { platform::SendMessage(GetHWND(), kMsgExitLauncher, 0, 0); }}) {}

MainForm::~MainForm() = default;

void MainForm::AddPart(std::unique_ptr<MainFormPart> part) {
  if (part) parts_.push_back(std::move(part));
}

bool MainForm::CreateAndShow() {
  platform::HWND hwnd = Create(nullptr, kClassName, kStyle, 0, true, ui::UiRect{});
  if (hwnd == nullptr) return false;
  CenterWindow();
  platform::ShowWindow(hwnd, platform::SW_SHOW);
  platform::SetForegroundWindow(hwnd);
  return true;
}

void MainForm::Record(const std::string& line) const {
  if (environment_.record) environment_.record(line);
}

ui::Control* MainForm::FindControl(const std::u16string& name) const { return FindControlByName(name); }

ui::Control* MainForm::CreateControl(const std::u16string& className) {
  if (className != u"CefControl") return nullptr;
  for (const auto& part : parts_) {
    if (ui::Control* control = part->CreateControl(className)) return control;
  }
  // No browser engine: a placeholder keeps the place.
  return new CefDummyControl;
}

void MainForm::InitWindow() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, WrapWeak([this](ui::EventArgs* event) { return OnClick(event); }));
  }
  closeButton_ = dynamic_cast<Button*>(FindControl(u"btn_close"));
  if (closeButton_ != nullptr) {
    closeButton_->AttachClick(WrapWeak([this](ui::EventArgs* event) {
      if (event->pSender != nullptr && event->pSender->GetName() == u"btn_close") RequestClose();
      return true;
    }));
  }
  InitTitleBar();
  assetPanels_ = dynamic_cast<ui::TabBox*>(FindControl(u"tab_assets"));
  mainButton_ = dynamic_cast<Button*>(FindControl(u"btn_game"));
  if (mainButton_ != nullptr && assetPanels_ != nullptr) {
    // Until the first state refresh: the start text, disabled.
    mainButton_->SetTextId(u"STRING_START_GAME");
    mainButton_->SetEnabled(false);
  }
  preDownloadPanels_ = dynamic_cast<ui::TabBox*>(FindControl(u"tab_predlc"));
  posterFrame_ = dynamic_cast<ui::Box*>(FindControl(u"poster_frame"));
  webView_ = FindControl(u"webview");
  debugWebView_ = FindControl(u"webview_debug");
  linkBar_ = dynamic_cast<ui::HBox*>(FindControl(u"jump_links"));
  for (const auto& part : parts_) part->Attach(*this);

  store_.RegisterMainWindow(reinterpret_cast<WindowHandle>(GetHWND()));
  CreateTrayIcon();
}

void MainForm::InitTitleBar() {
  windowTitle_ = dynamic_cast<Label*>(FindControl(u"wnd_title"));
  versionLabel_ = dynamic_cast<Label*>(FindControl(u"text_version"));
  mainTitle_ = dynamic_cast<Label*>(FindControl(u"text_title_main"));
  subTitle_ = dynamic_cast<Label*>(FindControl(u"text_title_sub"));
  RefreshTitles();
}

void MainForm::RefreshTitles() {
  if (windowTitle_ != nullptr) windowTitle_->SetTextId(u"STRING_GAME_TITLE", true);
  if (versionLabel_ != nullptr) {
    versionLabel_->SetText(kbase::UTF8ToUTF16(store_.UiView().displayGameVersion));
  }
  auto title = [this](const char* key) {
    auto found = store_.titleTexts.find(key);
    return found == store_.titleTexts.end() ? std::u16string() : found->second;
  };
  if (mainTitle_ != nullptr) mainTitle_->SetText(title("title_main"));
  if (subTitle_ != nullptr) subTitle_->SetText(title("title_sub"));
}

void MainForm::CreateTrayIcon() {
  if (!environment_.makeTrayIcon) return;
  tray_ = environment_.makeTrayIcon();
  if (!tray_) return;
  platform::TrayIconParams params;
  params.owner = GetHWND();
  params.callback_message = kMsgTrayNotify;
  params.pixels = environment_.iconPixels;
  params.width = environment_.iconWidth;
  params.height = environment_.iconHeight;
  tray_->Add(params);
}

void MainForm::RemoveTrayIcon() {
  if (!tray_) return;
  tray_->Remove();
  tray_.reset();
}

bool MainForm::OnClick(ui::EventArgs* event) {
  for (const auto& part : parts_) {
    if (part->OnClick(*event)) return true;
  }
  return true;
}

void MainForm::RequestClose() { closeFlow_.RequestClose(); }

platform::LRESULT MainForm::OnSysCommand(platform::UINT message, platform::WPARAM wParam,
                                         platform::LPARAM lParam, bool& handled) {
  if ((wParam & 0xFFF0) == platform::SC_CLOSE) {
    RequestClose();
    handled = true;
    return 0;
  }
  return WindowImplBase::OnSysCommand(message, wParam, lParam, handled);
}

void MainForm::Show() {
  platform::HWND hwnd = GetHWND();
  platform::ShowWindow(hwnd, platform::IsIconic(hwnd) ? platform::SW_RESTORE : platform::SW_SHOW);
  platform::SetForegroundWindow(hwnd);
  if (closeButton_ != nullptr) {
    closeButton_->SetState(ui::kControlStateNormal);
    closeButton_->SetHotAlpha(0);
    closeButton_->Invalidate();
  }
}

void MainForm::CloseSettingsWindows() {
  std::vector<platform::HWND> settings;
  for (const ui::RegisteredWindowList::Entry& entry : ui::RegisteredWindowList::GetInstance().entries()) {
    if (entry.window != nullptr && entry.window->GetWindowClassName() == kSettingFormClass) {
      settings.push_back(entry.hwnd);
    }
  }
  for (platform::HWND hwnd : settings) {
    platform::SendMessage(hwnd, platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
  }
}

void MainForm::Hide() {
  CloseSettingsWindows();
  // Without a tray to show the icon the hidden launcher could not be
  // reached again: it is minimised instead.
  const bool trayShowsIcon = tray_ && tray_->state() == platform::TrayState::kDocked;
  platform::ShowWindow(GetHWND(), trayShowsIcon ? platform::SW_HIDE : platform::SW_MINIMIZE);
  Record(trayShowsIcon ? "hidden_to_tray" : "iconified");
}

void MainForm::OnTrayNotify(platform::LPARAM lParam) {
  if (!tray_) return;
  const uint16_t mouse = LowWord(static_cast<uint64_t>(lParam));
  if (mouse == platform::WM_LBUTTONDBLCLK) {
    platform::SendMessage(GetHWND(), kMsgShowLauncher, 2, 0);
  } else if (mouse == platform::WM_RBUTTONDOWN) {
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    platform::SetForegroundWindow(GetHWND());
    for (const auto& part : parts_) {
      if (part->OnTrayMenu(cursor.x, cursor.y)) break;
    }
  }
}

platform::LRESULT MainForm::OnCopyData(platform::LPARAM lParam) {
  const auto* data = reinterpret_cast<const platform::CopyDataStruct*>(lParam);
  if (data == nullptr || data->dwData != 0 || !tray_) return 0;
  static platform::SoundPlayer silentPlayer{platform::SoundPlayer::PlayerList{}};
  platform::SoundPlayer& sound = environment_.sound != nullptr ? *environment_.sound : silentPlayer;
  // The record is checked whole: short data or a text without its
  // terminator is refused.
  return platform::DeliverBalloonRequest(*tray_, sound, data->lpData, data->cbData) ? 1 : 0;
}

void MainForm::AnswerGameQuestion(uint32_t question) {
  const uint32_t reply = question == kMsgGamePreDownloadAction     ? kMsgPreDownloadActionReply
                         : question == kMsgGamePreDownloadProgress ? kMsgPreDownloadProgressReply
                                                                   : kMsgPreDownloadStateReply;
  MainFormPart::GameAnswer answer{0, 0};
  for (const auto& part : parts_) {
    if (auto given = part->AnswerGame(question)) {
      answer = *given;
      break;
    }
  }
  store_.PostToGameWindows(reply, answer.first, answer.second);
}

void MainForm::ApplyPendingLanguage() {
  if (!store_.languageChanged) return;
  store_.languageChanged = false;
  const std::u16string code = kbase::UTF8ToUTF16(store_.SettingsCopy().languageCode);
  LauncherStore* store = &store_;
  kbase::MessageLoop* loop = kbase::MessageLoop::Current();
  if (loop == nullptr) return;
  loop->PostTask([code, store] {
    if (code == ui::GlobalManager::GetLanguage()) return;
    ui::GlobalManager::SetLanguage(code);
    SetDefaultFontFaces();
    ui::GlobalManager::ReloadSkin(std::u16string(), nullptr);
    if (store->LoadCommonConfig()) store->PostToMainWindow(kMsgConfigReloaded, 0, 0);
  });
}

bool MainForm::HandleLauncherMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam) {
  switch (message) {
    case kMsgTrayNotify:
      OnTrayNotify(lParam);
      return true;
    case kMsgShowLauncher:
      Show();
      store_.StartFlowOnShowRequest(wParam, lParam);
      return true;
    case kMsgHideLauncher:
      Hide();
      return true;
    case kMsgExitLauncher:
      SetExitRequested(true);
      Close(0);
      return true;
    case kMsgCloseHoverPopup:
      return true;
    case kMsgRefreshState:
      RefreshTitles();
      for (const auto& part : parts_) part->OnRefreshState();
      return true;
    case kMsgCheckProgress:
      for (const auto& part : parts_) part->OnCheckProgress(wParam, lParam);
      return true;
    case kMsgDownloadSpeed:
      for (const auto& part : parts_) part->OnDownloadSpeed(wParam, lParam);
      return true;
    case kMsgDownloadProgress:
      for (const auto& part : parts_) part->OnDownloadProgress(wParam, lParam);
      return true;
    case kMsgDownloadPaused:
      for (const auto& part : parts_) part->OnDownloadPaused(lParam);
      return true;
    case kMsgConfigReloaded:
      RefreshTitles();
      for (const auto& part : parts_) part->OnConfigReloaded();
      return true;
    case kMsgRefreshPages:
      for (const auto& part : parts_) part->OnRefreshPages();
      return true;
    case kMsgGameVersionChanged:
      for (const auto& part : parts_) part->OnGameVersionChanged();
      return true;
    case kMsgPreDownloadStatus:
      for (const auto& part : parts_) part->OnPreDownloadStatus(wParam, lParam);
      return true;
    case kMsgUiTick:
      for (const auto& part : parts_) part->OnUiTick();
      return true;
    case kMsgGameRegister:
    case kMsgGameEcho:
      store_.HandleGameMessage(message, wParam, lParam);
      return true;
    case kMsgGamePreDownloadAction:
    case kMsgGamePreDownloadProgress:
    case kMsgGamePreDownloadState:
      AnswerGameQuestion(message);
      return true;
    case kMsgWindowOnTop:
      ApplyPendingLanguage();
      return true;
    default:
      return false;
  }
}

platform::LRESULT MainForm::HandleMessage(platform::UINT message, platform::WPARAM wParam,
                                          platform::LPARAM lParam) {
  if (IsLauncherMessage(message)) {
    Record("message " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    if (HandleLauncherMessage(message, wParam, lParam)) return 0;
  }
  switch (message) {
    case platform::WM_PAINT:
      return OnPaint(message, wParam, lParam);
    case platform::WM_COPYDATA:
      return OnCopyData(lParam);
    case platform::WM_COMMAND: {
      const uint16_t command = LowWord(wParam);
      if (command == kTrayCommandOpen || command == kTrayCommandExit) {
        platform::SendMessage(GetHWND(), command, 0, 0);
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return WindowImplBase::HandleMessage(message, wParam, lParam);
}

platform::LRESULT MainForm::OnPaint(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam) {
  const platform::LRESULT result = WindowImplBase::HandleMessage(message, wParam, lParam);
  // The start-up benchmark times the launcher up to its first picture on
  // the screen: the first paint once the window shows and is laid out.
  if (!firstFrameRecorded_ && environment_.record && platform::IsWindowVisible(GetHWND()) &&
      !IsFirstLayoutPending()) {
    firstFrameRecorded_ = true;
    Record("main_window_first_frame");
  }
  return result;
}

platform::LRESULT MainForm::OnClose(platform::UINT, platform::WPARAM, platform::LPARAM, bool& handled) {
  closeButton_ = nullptr;
  windowTitle_ = versionLabel_ = mainTitle_ = subTitle_ = nullptr;
  // The parts take down what they put into the window (carousel, news,
  // install and pre-download pages, web views, links, the tray menu).
  for (const auto& part : parts_) part->Detach();
  if (assetPanels_ != nullptr && mainButton_ != nullptr) assetPanels_->RemoveAll();
  assetPanels_ = nullptr;
  mainButton_ = nullptr;
  if (preDownloadPanels_ != nullptr) preDownloadPanels_->RemoveAll();
  preDownloadPanels_ = nullptr;
  if (posterFrame_ != nullptr) {
    while (posterFrame_->GetCount() > 0) posterFrame_->RemoveAt(0);
  }
  posterFrame_ = nullptr;
  webView_ = debugWebView_ = nullptr;
  if (linkBar_ != nullptr) linkBar_->RemoveAll();
  linkBar_ = nullptr;
  RemoveTrayIcon();
  Record("tray_removed");
  // From here on the worker's messages for the main window are dropped.
  store_.RegisterMainWindow(0);
  Record("main_window_unregistered");
  EndUiLoopWhenReady();
  handled = false;  // the window is destroyed by the default processing
  return 0;
}

void MainForm::EndUiLoopWhenReady() {
  std::function<void()> quit = environment_.quit;
  if (!quit) quit = [] { platform::PostQuitMessage(0); };
  auto record = environment_.record;
  auto waiter = std::make_shared<QuitWhenReady>(
      std::move(parts_),
      [quit, record] {
        if (record) record("ui_loop_ending");
        quit();
      },
      environment_.quitWait);
  parts_.clear();
  // Checked in a later task: the window and its owned windows are destroyed
  // by the default processing of this WM_CLOSE first.
  if (kbase::MessageLoop* loop = kbase::MessageLoop::Current()) {
    loop->PostTask([waiter] { waiter->Check(); });
  } else {
    waiter->Check();
  }
}
