// The message box and the options box on the in-memory back-end, built from
// the launcher's own skin package and opened through the window-backed
// dialog host: each box answers once whatever arrives after it started to
// close (Esc, then the window's close during the fade), the options box
// answers the selection on close and nothing on Esc, the owner is disabled
// while a box is open, and the store counts its open message boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/fake_clock.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/msg_box.h"
#include "project/Launcher/windows/options_box.h"
#include "project/Launcher/windows/window_dialog_host.h"
#include "tests/windows/ui_thread_fixture.h"
#include "ui/control.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/registered_window_list.h"
#include "ui/state_image_map.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace windows_test {
namespace {

using Answers = std::vector<int32_t>;

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui_ = std::make_unique<UiThread>();
    owner_ = OnUi([this] {
      backend_.SetMonitors({platform::MonitorInfo{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}});
      platform::InstallWindowBackend(&backend_);
      StartLauncherSkin();
      return CreateOwnerWindow(platform::Rect{100, 100, 1440, 850});
    });
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    OnUi([this] {
      // The owner takes the boxes it owns with it.
      if (owner_ != nullptr && platform::IsWindow(owner_)) platform::DestroyWindow(owner_);
      DrainMessages();
      StopLauncherSkin();
      platform::InstallWindowBackend(nullptr);
    });
    ui_.reset();
  }

  // Opens a box through the host; its answers are collected in |answers_|.
  bool OpenMessageBox(const MessageBoxContent& content) {
    return OnUi([this, content] {
      const bool opened = host_.OpenMessageBox(reinterpret_cast<WindowHandle>(owner_), content,
                                               [this](int32_t answer) { answers_.push_back(answer); });
      DrainMessages();
      return opened;
    });
  }
  bool OpenOptionsBox(const OptionsBoxContent& content) {
    return OnUi([this, content] {
      const bool opened = host_.OpenOptionsBox(reinterpret_cast<WindowHandle>(owner_), content,
                                               [this](int32_t answer) { answers_.push_back(answer); });
      DrainMessages();
      return opened;
    });
  }

  // The framework windows of a class, oldest first (UI thread).
  static std::vector<ui::Window*> WindowsOfClass(const std::u16string& class_name) {
    std::vector<ui::Window*> found;
    for (const auto& entry : ui::RegisteredWindowList::GetInstance().entries()) {
      if (platform::GetClassName(entry.hwnd) == class_name) found.push_back(entry.window);
    }
    return found;
  }
  static ui::Window* OnlyWindowOfClass(const std::u16string& class_name) {
    const auto found = WindowsOfClass(class_name);
    return found.size() == 1 ? found[0] : nullptr;
  }

  // Injected input reaches the window in the next dispatch (UI thread).
  void Click(ui::Window* window, const std::u16string& control_name) {
    ui::Control* control = window->FindControlByName(control_name);
    ASSERT_NE(control, nullptr) << "no control " << std::string(control_name.begin(), control_name.end());
    const ui::UiRect rect = control->GetPos(true);
    const platform::Point centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const platform::NativeWindow native = platform::GetNativeWindow(window->GetHWND());
    backend_.InjectMouseMove(native, centre);
    backend_.InjectButton(native, 1, true, centre);
    backend_.InjectButton(native, 1, false, centre);
    DrainMessages();
  }
  void PressEscape(ui::Window* window) {
    const platform::NativeWindow native = platform::GetNativeWindow(window->GetHWND());
    backend_.InjectKey(native, platform::VK_ESCAPE, true);
    backend_.InjectKey(native, platform::VK_ESCAPE, false);
    DrainMessages();
  }
  void RequestClose(ui::Window* window) {
    backend_.InjectCloseRequest(platform::GetNativeWindow(window->GetHWND()));
    DrainMessages();
  }
  // Lets the fade run out and the delayed close arrive, then the answers
  // posted to the UI thread run.
  void FinishFades() {
    for (int i = 0; i < 4; ++i) {
      clock_.Advance(100 * 1000);
      OnUi([] {
        ui::TimerManager::GetInstance()->Poll();
        DrainMessages();
      });
    }
    OnUi([] {});
  }
  Answers TakeAnswers() {
    return OnUi([this] {
      Answers taken = answers_;
      answers_.clear();
      return taken;
    });
  }

  static MessageBoxContent RetryQuestion() {
    MessageBoxContent content;
    content.title = {u"STRING_ERROR_NOTICE", true};
    content.content = {u"STRING_ERROR_UPDATE", true};
    content.detail = {u"-3 Request Failed", false};
    content.firstButton = {u"STRING_CANCEL", true};
    content.secondButton = {u"STRING_ERROR_RETRY", true};
    return content;
  }
  static OptionsBoxContent ShutdownQuestion() {
    OptionsBoxContent content;
    content.contentKey = "STRING_SHUT_OPTION_NOTICE";
    content.groupName = u"shutdown_options";
    content.optionKeys = {"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"};
    content.buttonKey = "STRING_CONFIRM";
    return content;
  }

  platform::ScopedFakeClock clock_;
  platform::MemoryBackend backend_;
  std::unique_ptr<UiThread> ui_;
  WindowDialogHost host_;
  platform::HWND owner_ = nullptr;
  Answers answers_;  // UI thread
};

TEST_F(DialogsTest, MessageBoxShowsItsTextsDisablesTheOwnerAndAnswersItsButton) {
  ASSERT_TRUE(OpenMessageBox(RetryQuestion()));
  OnUi([this] {
    ui::Window* box = OnlyWindowOfClass(u"MsgBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(platform::GetWindow(box->GetHWND(), platform::GW_OWNER), owner_);
    EXPECT_FALSE(platform::IsWindowEnabled(owner_));
    EXPECT_TRUE(platform::IsWindowVisible(box->GetHWND()));
    auto* content = dynamic_cast<ui::Label*>(box->FindControlByName(u"content"));
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->GetTextId(), u"STRING_ERROR_UPDATE");
    EXPECT_EQ(dynamic_cast<ui::Label*>(box->FindControlByName(u"detail"))->GetText(), u"-3 Request Failed");
    auto* yes = dynamic_cast<ui::Label*>(box->FindControlByName(u"btn_yes"));
    ASSERT_NE(yes, nullptr);
    EXPECT_EQ(yes->GetTextId(), u"STRING_ERROR_RETRY");
    EXPECT_FALSE(yes->GetText().empty()) << "the language table's text of the key";
    EXPECT_EQ(box->GetFocus(), yes);
    Click(box, u"btn_yes");
    // Answered after the click has finished, in a task of its own.
    EXPECT_TRUE(answers_.empty());
    EXPECT_TRUE(platform::IsWindowEnabled(owner_));
  });
  FinishFades();
  EXPECT_EQ(TakeAnswers(), Answers{1});
  OnUi([] { EXPECT_EQ(OnlyWindowOfClass(u"MsgBox"), nullptr) << "the box is gone after its fade"; });
}

// Whatever arrives once a box has started to close, it answers once: the
// first way of closing decides.
TEST_F(DialogsTest, MessageBoxAnswersOnceWhateverFollowsDuringTheFade) {
  struct Case {
    const char* name;
    std::vector<const char*> steps;  // "esc", "close", "yes", "no"
    int32_t answer;
  };
  const std::vector<Case> cases = {
      {"Esc then the window's close", {"esc", "close"}, 0},
      {"the window's close then Esc", {"close", "esc"}, 0},
      {"Esc then the yes button", {"esc", "yes"}, 0},
      {"the yes button then the window's close", {"yes", "close"}, 1},
      {"the yes button twice", {"yes", "yes"}, 1},
      {"the no button then Esc", {"no", "esc"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(OpenMessageBox(RetryQuestion()));
    OnUi([&] {
      ui::Window* box = OnlyWindowOfClass(u"MsgBox");
      ASSERT_NE(box, nullptr);
      for (const std::string step : c.steps) {
        if (step == "esc") PressEscape(box);
        if (step == "close") RequestClose(box);
        if (step == "yes") Click(box, u"btn_yes");
        if (step == "no") Click(box, u"btn_no");
      }
    });
    FinishFades();
    EXPECT_EQ(TakeAnswers(), Answers{c.answer});
    OnUi([] { EXPECT_TRUE(WindowsOfClass(u"MsgBox").empty()); });
  }
}

TEST_F(DialogsTest, OneVisibleButtonTakesTheFocusAndSwappedLooksKeepTheAnswers) {
  MessageBoxContent content;
  content.title = {u"STRING_UPDATE_NOTICE", true};
  content.firstButton = {u"", true};
  content.secondButton = {u"STRING_CONFIRM", true};
  content.swapButtons = true;
  ASSERT_TRUE(OpenMessageBox(content));
  OnUi([this] {
    ui::Window* box = OnlyWindowOfClass(u"MsgBox");
    ASSERT_NE(box, nullptr);
    ui::Control* yes = box->FindControlByName(u"btn_yes");
    ui::Control* no = box->FindControlByName(u"btn_no");
    EXPECT_TRUE(yes->IsVisible());
    EXPECT_FALSE(no->IsVisible());
    EXPECT_EQ(box->GetFocus(), yes);
    // The yes button wears the gray look, the no button the blue one.
    EXPECT_NE(yes->GetStateImageMap().GetImagePath(ui::kStateImageBk, ui::kControlStateNormal).find(u"gray"),
              std::u16string::npos);
    EXPECT_NE(yes->GetStateImageMap().GetImagePath(ui::kStateImageBk, ui::kControlStateHot).find(u"gray"),
              std::u16string::npos);
    EXPECT_NE(no->GetStateImageMap().GetImagePath(ui::kStateImageBk, ui::kControlStatePushed).find(u"blue"),
              std::u16string::npos);
    Click(box, u"btn_yes");
  });
  FinishFades();
  EXPECT_EQ(TakeAnswers(), Answers{1});
}

TEST_F(DialogsTest, OptionsBoxAnswersTheSelectionOnCloseAndNothingOnEsc) {
  struct Case {
    const char* name;
    std::vector<const char*> steps;  // "exit" (choose the second option), "ok", "close", "esc"
    Answers answers;
  };
  const std::vector<Case> cases = {
      {"confirm at once: the first option (tray)", {"ok"}, {0}},
      {"choose exit, then the window's close", {"exit", "close"}, {1}},
      {"choose exit, then confirm", {"exit", "ok"}, {1}},
      {"Esc", {"esc"}, {}},
      {"Esc, then the window's close during the fade", {"exit", "esc", "close"}, {}},
      {"confirm, then Esc during the fade", {"ok", "esc"}, {0}},
      {"the window's close, then confirm during the fade", {"close", "ok"}, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(OpenOptionsBox(ShutdownQuestion()));
    OnUi([&] {
      auto* box = dynamic_cast<OptionsBox*>(OnlyWindowOfClass(u"OptionsBox"));
      ASSERT_NE(box, nullptr);
      EXPECT_FALSE(platform::IsWindowEnabled(owner_));
      for (const std::string step : c.steps) {
        if (step == "exit") {
          auto* list = dynamic_cast<ui::Box*>(box->FindControlByName(u"option_vlist"));
          ASSERT_NE(list, nullptr);
          ASSERT_EQ(list->GetCount(), 2);
          const ui::UiRect rect = list->GetItemAt(1)->GetPos(true);
          const platform::Point centre{rect.left + 8, (rect.top + rect.bottom) / 2};
          const platform::NativeWindow native = platform::GetNativeWindow(box->GetHWND());
          backend_.InjectButton(native, 1, true, centre);
          backend_.InjectButton(native, 1, false, centre);
          DrainMessages();
          EXPECT_EQ(box->selected(), 1);
        }
        if (step == "ok") Click(box, u"btn_ok");
        if (step == "close") RequestClose(box);
        if (step == "esc") PressEscape(box);
      }
      EXPECT_TRUE(platform::IsWindowEnabled(owner_));
    });
    FinishFades();
    EXPECT_EQ(TakeAnswers(), c.answers);
    OnUi([] { EXPECT_TRUE(WindowsOfClass(u"OptionsBox").empty()); });
  }
}

TEST_F(DialogsTest, OptionsWithTheSameTextStayApart) {
  OptionsBoxContent content = ShutdownQuestion();
  content.optionKeys = {"STRING_CONFIRM", "STRING_CONFIRM", "STRING_CONFIRM"};
  ASSERT_TRUE(OpenOptionsBox(content));
  OnUi([this] {
    auto* box = dynamic_cast<OptionsBox*>(OnlyWindowOfClass(u"OptionsBox"));
    ASSERT_NE(box, nullptr);
    auto* list = dynamic_cast<ui::Box*>(box->FindControlByName(u"option_vlist"));
    ASSERT_EQ(list->GetCount(), 3);
    auto* first = dynamic_cast<ui::Option*>(list->GetItemAt(0));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsSelected());
    EXPECT_EQ(first->GetGroup(), u"shutdown_options");
    list->GetItemAt(2)->Activate();
    EXPECT_FALSE(first->IsSelected());
    Click(box, u"btn_ok");
  });
  FinishFades();
  EXPECT_EQ(TakeAnswers(), Answers{2});
}

TEST_F(DialogsTest, NoBoxOpensWithoutALiveOwnerAndNoneAnswers) {
  const bool opened = OnUi([this] {
    const auto gone = reinterpret_cast<WindowHandle>(owner_) + 0x1000;
    const auto record = [this](int32_t answer) { answers_.push_back(answer); };
    return host_.OpenMessageBox(0, RetryQuestion(), record) ||
           host_.OpenMessageBox(gone, RetryQuestion(), record) ||
           host_.OpenOptionsBox(0, ShutdownQuestion(), record);
  });
  EXPECT_FALSE(opened);
  FinishFades();
  EXPECT_TRUE(TakeAnswers().empty());
  OnUi([] { EXPECT_TRUE(ui::RegisteredWindowList::GetInstance().entries().empty()); });
}

TEST_F(DialogsTest, AMessageBoxWhoseOwnerGoesAnswersNoOnce) {
  ASSERT_TRUE(OpenMessageBox(RetryQuestion()));
  OnUi([this] {
    platform::DestroyWindow(owner_);
    owner_ = nullptr;
    DrainMessages();
    EXPECT_TRUE(WindowsOfClass(u"MsgBox").empty());
  });
  FinishFades();
  EXPECT_EQ(TakeAnswers(), Answers{0});
}

// The store with this host: a box closing leaves "a message box is open"
// while another one still is.
class StoreDialogsTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    store_.SetDialogHost(&host_);
    OnUi([this] { store_.RegisterMainWindow(reinterpret_cast<WindowHandle>(owner_)); });
  }
  void TearDown() override {
    OnUi([this] { store_.RegisterMainWindow(0); });
    DialogsTest::TearDown();
    store_.SetDialogHost(nullptr);
  }
  LauncherStore& store_ = LauncherStore::GetInstance();
};

TEST_F(StoreDialogsTest, ClosingOneOfTwoOpenBoxesKeepsABoxOpen) {
  Answers answers;  // UI thread
  MessageBoxRequest request;
  request.titleKey = "STRING_ERROR_NOTICE";
  request.secondButtonKey = "STRING_CONFIRM";
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowMessageBox(request);
  store_.ShowMessageBox(request);
  OnUi([] { DrainMessages(); });
  EXPECT_TRUE(store_.messageBoxOpen());
  OnUi([this] {
    const auto boxes = WindowsOfClass(u"MsgBox");
    ASSERT_EQ(boxes.size(), 2u);
    Click(boxes[1], u"btn_yes");
  });
  FinishFades();
  EXPECT_EQ(OnUi([&answers] { return answers; }), Answers{1});
  EXPECT_TRUE(store_.messageBoxOpen());
  OnUi([this] {
    const auto boxes = WindowsOfClass(u"MsgBox");
    ASSERT_EQ(boxes.size(), 1u);
    PressEscape(boxes[0]);
    RequestClose(boxes[0]);
  });
  FinishFades();
  EXPECT_EQ(OnUi([&answers] { return answers; }), (Answers{1, 0}));
  EXPECT_FALSE(store_.messageBoxOpen());
  EXPECT_EQ(store_.openMessageBoxes.load(), 0);
}

TEST_F(StoreDialogsTest, TheShutdownQuestionWithoutAMainWindowIsNotAnsweredAsTheTray) {
  OnUi([this] { store_.RegisterMainWindow(0); });
  Answers answers;  // UI thread
  OptionsBoxRequest request;
  request.optionKeys = {"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"};
  request.continuation = [&answers](int32_t answer) { answers.push_back(answer); };
  store_.ShowOptionsBox(request);
  FinishFades();
  EXPECT_EQ(OnUi([&answers] { return answers; }), Answers{kBoxNotShown});
}

}  // namespace
}  // namespace windows_test
