// The rich edit in a window of the in-memory back-end, driven by control
// events as the window hands them on, with the fake clock: the caret's
// blink and colour, the prompt, password masking, "return", "tab" and
// "textchange", digits only, focus, the host's answers, scrolling and the
// on-screen keyboard requests.
#include "ui/controls/rich_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/clipboard/memory_clipboard.h"
#include "platform/keyboard/on_screen_keyboard.h"
#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/controls/on_screen_keyboard_manager.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/widget_factory.h"

namespace ui::testing {
namespace {

using platform::VK_CONTROL;
using platform::VK_LEFT;
using platform::VK_RETURN;
using platform::VK_SHIFT;

constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kGreen = 0xFF00FF00;
constexpr ARGB kBlack = 0xFF000000;
constexpr ARGB kGrey = 0xFF808080;

class CountingKeyboard : public platform::OnScreenKeyboard {
 public:
  bool IsAvailable() override { return true; }
  bool IsShown() override { return shown; }
  void Show() override { shown = true; }
  void Hide() override { shown = false; }
  bool shown = false;
};

class RichEditTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    platform::InstallWindowBackend(&backend_);
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    GlobalManager::AddFont(u"edit", u"DejaVu Sans", 14, false, false, false, true);
    GlobalManager::AddTextColor(u"red", kRed);
    GlobalManager::AddTextColor(u"green", kGreen);
    GlobalManager::AddTextColor(u"black", kBlack);
    GlobalManager::AddTextColor(u"grey", kGrey);
    GlobalManager::SetDefaultTextColor(u"black");
    platform::InstallClipboard(&clipboard_);
    platform::InstallOnScreenKeyboard(&keyboard_);
    OnScreenKeyboardManager::GetInstance()->ResetAvailability();
    window_ = std::make_unique<Window>();
    const platform::HWND hwnd = window_->Create(nullptr, u"edit", 0, 0, true, UiRect{0, 0, 320, 200});
    ASSERT_NE(hwnd, nullptr);
    window_->AttachWindowHandle(hwnd);
    root_ = new Box;
    window_->AttachRoot(root_);
  }
  void TearDown() override {
    Advance(OnScreenKeyboardManager::kCheckDelayMs);
    if (window_ && window_->GetHWND() != nullptr) platform::DestroyWindow(window_->GetHWND());
    Drain();
    window_.reset();
    platform::InstallOnScreenKeyboard(nullptr);
    OnScreenKeyboardManager::GetInstance()->ResetAvailability();
    platform::InstallClipboard(nullptr);
    GlobalManager::RemoveAllTextColors();
    GlobalManager::RemoveAllFonts();
    GlobalManager::Shutdown();
    platform::InstallWindowBackend(nullptr);
    ControlTreeTest::TearDown();
  }

  // A rich edit with the attributes, joined to the window (which creates
  // its host) and placed.
  RichEdit* Make(const std::vector<std::pair<std::u16string, std::u16string>>& attributes,
                 UiRect rect = UiRect{10, 10, 210, 40}) {
    auto* edit = new RichEdit;
    for (const auto& [name, value] : attributes) edit->SetAttribute(name, value);
    root_->Add(edit);
    edit->SetPos(rect);
    return edit;
  }

  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  // Holds or lets go of a key, as the keyboard state reports it.
  void Hold(uint32_t key, bool down) {
    backend_.InjectKey(platform::GetNativeWindow(window_->GetHWND()), key, down);
    Drain();
  }
  static void Press(RichEdit* edit, uint32_t key) { edit->FireEvent(kEventKeyDown, key, 0, static_cast<char16_t>(key)); }
  static void Type(RichEdit* edit, const std::u16string& text) {
    for (char16_t c : text) edit->FireEvent(kEventChar, c, 0, c);
  }
  // Return as the keyboard gives it: the key, then the character it types.
  static void PressReturn(RichEdit* edit) {
    Press(edit, VK_RETURN);
    Type(edit, u"\r");
  }
  static void Ctrl(RichEdit* edit, RichEditTest* test, char key) {
    test->Hold(VK_CONTROL, true);
    Press(edit, static_cast<uint32_t>(key));
    test->Hold(VK_CONTROL, false);
  }

  std::unique_ptr<IRenderContext> PaintOf(RichEdit* edit) {
    std::unique_ptr<IRenderContext> canvas = factory_.CreateRenderContext();
    EXPECT_TRUE(canvas->Resize(320, 200, true));
    edit->Paint(canvas.get(), UiRect{0, 0, 320, 200});
    return canvas;
  }
  // Pixels of the rectangle whose colour is close to the one given.
  static int CountNear(IRenderContext& canvas, const UiRect& rect, ARGB colour) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) {
        const uint32_t p = PixelAt(canvas, x, y);
        if ((p >> 24) < 0x80) continue;
        const int dr = static_cast<int>((p >> 16) & 0xFF) - static_cast<int>((colour >> 16) & 0xFF);
        const int dg = static_cast<int>((p >> 8) & 0xFF) - static_cast<int>((colour >> 8) & 0xFF);
        const int db = static_cast<int>(p & 0xFF) - static_cast<int>(colour & 0xFF);
        if (std::abs(dr) < 0x50 && std::abs(dg) < 0x50 && std::abs(db) < 0x50) ++count;
      }
    }
    return count;
  }
  static std::vector<uint8_t> Bytes(IRenderContext& canvas) {
    const uint8_t* bits = canvas.GetBits();
    return std::vector<uint8_t>(bits, bits + static_cast<size_t>(canvas.GetWidth()) * canvas.GetHeight() * 4);
  }

  platform::MemoryBackend backend_;
  platform::MemoryClipboard clipboard_;
  CountingKeyboard keyboard_;
  RenderFactory_GdiPlus factory_;
  std::unique_ptr<Window> window_;
  Box* root_ = nullptr;
};

TEST_F(RichEditTest, CaretBlinksEveryHalfSecondWhileFocused) {
  RichEdit* edit = Make({});
  EXPECT_FALSE(edit->IsCaretShown());
  window_->SetFocus(edit);
  EXPECT_TRUE(edit->IsCaretShown());
  Advance(499);
  EXPECT_TRUE(edit->IsCaretShown());
  Advance(1);
  EXPECT_FALSE(edit->IsCaretShown());
  Advance(500);
  EXPECT_TRUE(edit->IsCaretShown());
  Advance(300);
  Type(edit, u"a");  // typing shows the caret and starts the phase again
  EXPECT_TRUE(edit->IsCaretShown());
  Advance(499);
  EXPECT_TRUE(edit->IsCaretShown());
  Advance(1);
  EXPECT_FALSE(edit->IsCaretShown());
  window_->SetFocus(nullptr);
  EXPECT_FALSE(edit->IsCaretShown());
  Advance(500);
  Advance(500);
  EXPECT_FALSE(edit->IsCaretShown()) << "no blinking without the focus";
}

TEST_F(RichEditTest, CaretIsDrawnInItsColourOnlyWhileShown) {
  RichEdit* edit = Make({{u"caretcolor", u"red"}, {u"normaltextcolor", u"black"}});
  window_->SetFocus(edit);
  Type(edit, u"ab");
  const UiRect caret = edit->GetCaretRect();
  ASSERT_GT(caret.Height(), 5);
  const UiRect around{caret.left - 2, caret.top, caret.left + 2, caret.top + caret.Height()};
  EXPECT_GT(CountNear(*PaintOf(edit), around, kRed), caret.Height() / 2);
  Advance(RichEdit::kCaretBlinkMs);
  EXPECT_EQ(CountNear(*PaintOf(edit), around, kRed), 0) << "the hidden phase draws no caret";
}

TEST_F(RichEditTest, PromptShowsOnlyWhileEmptyWithAColour) {
  struct Case {
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    bool shows;
  };
  const Case cases[] = {
      {{{u"prompttext", u"Type here"}, {u"promptcolor", u"green"}}, true},
      {{{u"prompttext", u"Type here"}}, false},  // no colour, no prompt
      {{{u"prompttext", u"Type here"}, {u"promptcolor", u"green"}, {u"readonly", u"true"}}, false},
  };
  for (const Case& c : cases) {
    RichEdit* edit = Make(c.attributes);
    const UiRect area = edit->GetPos();
    EXPECT_EQ(CountNear(*PaintOf(edit), area, kGreen) > 0, c.shows);
    if (c.shows) {
      window_->SetFocus(edit);
      EXPECT_GT(CountNear(*PaintOf(edit), area, kGreen), 0);
      Type(edit, u"x");
      EXPECT_EQ(CountNear(*PaintOf(edit), area, kGreen), 0) << "gone once there is text";
      window_->SetFocus(nullptr);
    }
    root_->Remove(edit);
  }
}

TEST_F(RichEditTest, PasswordShowsNoneOfItsTextAndRefusesCopy) {
  const auto picture = [this](bool password, const std::u16string& text) {
    RichEdit* edit = Make({{u"password", password ? u"true" : u"false"}, {u"text", text}});
    std::vector<uint8_t> bytes = Bytes(*PaintOf(edit));
    root_->Remove(edit);
    return bytes;
  };
  EXPECT_NE(picture(false, u"iiii"), picture(false, u"WWWW")) << "plain text shows what it is";
  const std::vector<uint8_t> masked = picture(true, u"iiii");
  EXPECT_EQ(masked, picture(true, u"WWWW")) << "masked text shows only how long it is";
  EXPECT_NE(masked, picture(true, u"")) << "the masks are drawn";

  RichEdit* edit = Make({{u"password", u"true"}, {u"text", u"secret"}});
  window_->SetFocus(edit);
  clipboard_.SetText("kept");
  Ctrl(edit, this, 'A');
  Ctrl(edit, this, 'C');
  Ctrl(edit, this, 'X');
  EXPECT_EQ(clipboard_.GetText(), "kept");
  EXPECT_EQ(edit->GetUTF8Text(), "secret");
}

TEST_F(RichEditTest, ReturnRaisesReturnAsTheAttributesSay) {
  struct Case {
    const char16_t* want_ctrl;
    bool ctrl;
    bool shift;
    bool raises;
  };
  const Case cases[] = {
      {u"false", false, false, true},  {u"false", true, false, false}, {u"false", false, true, false},
      {u"true", false, false, false},  {u"true", true, false, true},   {u"true", true, true, false},
  };
  for (const Case& c : cases) {
    RichEdit* edit = Make({{u"wantreturnmsg", u"true"}, {u"returnmsgwantctrl", c.want_ctrl}});
    int returns = 0;
    edit->AttachEvent(kEventReturn, [&returns](EventArgs*) { return ++returns, true; });
    window_->SetFocus(edit);
    if (c.ctrl) Hold(VK_CONTROL, true);
    if (c.shift) Hold(VK_SHIFT, true);
    PressReturn(edit);
    Hold(VK_CONTROL, false);
    Hold(VK_SHIFT, false);
    EXPECT_EQ(returns, c.raises ? 1 : 0) << "ctrl " << c.ctrl << " shift " << c.shift;
    EXPECT_EQ(edit->GetText(), c.raises ? u"" : u"\r") << "a raised return types nothing";
    root_->Remove(edit);
  }
}

TEST_F(RichEditTest, TabIsTypedOrRaisedAndTextChangeFollowsEdits) {
  RichEdit* typed = Make({});
  Type(typed, u"a\tb");
  EXPECT_EQ(typed->GetText(), u"a\tb");

  RichEdit* raised = Make({{u"wanttab", u"false"}}, UiRect{10, 50, 210, 80});
  int tabs = 0;
  int changes = 0;
  raised->AttachEvent(kEventTab, [&tabs](EventArgs*) { return ++tabs, true; });
  raised->AttachEvent(kEventTextChange, [&changes](EventArgs*) { return ++changes, true; });
  Type(raised, u"a\tb");
  EXPECT_EQ(raised->GetText(), u"ab");
  EXPECT_EQ(tabs, 1);
  EXPECT_EQ(changes, 2);
  Press(raised, VK_LEFT);
  EXPECT_EQ(changes, 2) << "moving the caret changes no text";
  raised->SetUTF8Text("set \xF0\x9F\x98\x80");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(raised->GetUTF8Text(), "set \xF0\x9F\x98\x80");
}

TEST_F(RichEditTest, DigitsOnlyTypesAndPastesDigitsAndLeavesTheClipboard) {
  RichEdit* edit = Make({{u"number", u"true"}, {u"multiline", u"false"}});
  window_->SetFocus(edit);
  Type(edit, u"a1\t2");
  EXPECT_EQ(edit->GetText(), u"12");
  clipboard_.SetText("12ab34");
  Ctrl(edit, this, 'V');
  EXPECT_EQ(edit->GetText(), u"121234");
  EXPECT_EQ(clipboard_.GetText(), "12ab34") << "the clipboard holds what it held";
  EXPECT_EQ(clipboard_.SetCount(), 1);
  Ctrl(edit, this, 'A');
  clipboard_.SetText("abc");
  Ctrl(edit, this, 'V');
  EXPECT_EQ(edit->GetText(), u"121234") << "no digit: nothing pasted";
  EXPECT_EQ(edit->GetSelText(), u"121234");
}

TEST_F(RichEditTest, ScrollBarStyleBitDoesNotMakeADigitsOnlyField) {
  // "vscrollbar" sets the same style bit as "number"; only "number" filters.
  RichEdit* edit = Make({{u"vscrollbar", u"true"}});
  EXPECT_TRUE(edit->GetStyle() & ES_NUMBER);
  Type(edit, u"a1");
  EXPECT_EQ(edit->GetText(), u"a1");
}

TEST_F(RichEditTest, ServicesTimersRunOnTheTimerManagerUntilKilled) {
  RichEdit* edit = Make({});
  CTxtWinHost* host = edit->GetHost();
  host->TxSetTimer(7, 100);
  host->TxSetTimer(7, 50);  // the same id again replaces it
  host->TxSetTimer(8, 100);
  EXPECT_EQ(edit->GetServicesTimerCount(), 2u);
  EXPECT_TRUE(host->GetHostBits() & CTxtWinHost::kTimer);
  const size_t tasks = TimerManager::GetInstance()->GetTaskCount();
  host->TxKillTimer(7);
  host->TxKillTimer(9);  // no such timer: nothing
  EXPECT_EQ(edit->GetServicesTimerCount(), 1u);
  Advance(100);
  EXPECT_LT(TimerManager::GetInstance()->GetTaskCount(), tasks) << "a killed timer's task goes";
  root_->Remove(edit);
  Advance(100);
  Advance(100);
}

TEST_F(RichEditTest, ReadOnlyDoubleClickSelectsAllAndLosingFocusDropsIt) {
  RichEdit* edit = Make({{u"readonly", u"true"}, {u"text", u"read me"}});
  window_->SetFocus(edit);
  edit->FireEvent(kEventInternalDoubleClick, 0, platform::MakeLParam(15, 20));
  EXPECT_EQ(edit->GetSelText(), u"read me");
  Type(edit, u"x");
  EXPECT_EQ(edit->GetText(), u"read me");
  window_->SetFocus(nullptr);
  EXPECT_EQ(edit->GetSelText(), u"");
}

TEST_F(RichEditTest, ShippedSpeedInputAnswersAsItsHostShould) {
  RichEdit* edit = Make({{u"number", u"true"},
                         {u"multiline", u"false"},
                         {u"rich", u"false"},
                         {u"wantreturnmsg", u"true"},
                         {u"align", u"hcenter,vcenter"},
                         {u"text", u"100"}},
                        UiRect{10, 10, 110, 70});
  CTxtWinHost* host = edit->GetHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(edit->GetStyle(), 0x2001u);
  uint32_t bits = 0;
  host->TxGetPropertyBits(0xFFFFFFFF, &bits);
  EXPECT_EQ(bits, TXTBIT_HIDESELECTION | TXTBIT_WORDWRAP);
  EXPECT_EQ(host->GetParaFormat().wAlignment, PFA_CENTER);
  int back = -1;
  host->TxGetBackStyle(&back);
  EXPECT_EQ(back, TXTBACK_TRANSPARENT);
  // The text area is centred in the height: moved down by half of what
  // the text leaves free.
  UiSize natural;
  host->GetTextServices()->TxGetNaturalSize(100, 0, &natural);
  const UiRect area = host->GetControlRect();
  EXPECT_EQ(area.top, 10 + (60 - natural.cy) / 2);
  EXPECT_EQ(area.Height(), 60);
  EXPECT_EQ(edit->GetUTF8Text(), "100");
}

TEST_F(RichEditTest, LineSpacingKeepsTheAlignmentAndSpreadsTheLines) {
  RichEdit* plain = Make({{u"align", u"right"}, {u"text", u"one\ntwo\nthree"}}, UiRect{10, 10, 210, 190});
  RichEdit* spaced = Make({{u"align", u"right"}, {u"linespace", u"600"}, {u"text", u"one\ntwo\nthree"}},
                          UiRect{10, 10, 210, 190});
  EXPECT_EQ(spaced->GetHost()->GetParaFormat().wAlignment, PFA_RIGHT) << "spacing does not undo the alignment";
  UiSize plain_size;
  UiSize spaced_size;
  plain->GetHost()->GetTextServices()->TxGetNaturalSize(200, 0, &plain_size);
  spaced->GetHost()->GetTextServices()->TxGetNaturalSize(200, 0, &spaced_size);
  // 600 twips are 40 pixels a line.
  EXPECT_GE(spaced_size.cy, 2 * 40 + plain_size.cy / 3);
  EXPECT_GT(spaced_size.cy, plain_size.cy);
}

TEST_F(RichEditTest, WordWrapOnlyWithoutHorizontalScrolling) {
  const std::pair<std::u16string, bool> cases[] = {{u"", true}, {u"hscrollbar", false}, {u"autohscroll", false}};
  for (const auto& [attribute, wraps] : cases) {
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    if (!attribute.empty()) attributes.emplace_back(attribute, u"true");
    RichEdit* edit = Make(attributes);
    uint32_t bits = 0;
    edit->GetHost()->TxGetPropertyBits(TXTBIT_WORDWRAP, &bits);
    EXPECT_EQ(bits == TXTBIT_WORDWRAP, wraps) << std::string(attribute.begin(), attribute.end());
    root_->Remove(edit);
  }
}

TEST_F(RichEditTest, ScrollRangeAndPositionReachTheCallbackAndComeBack) {
  RichEdit* edit = Make({{u"vscrollbar", u"true"}}, UiRect{10, 10, 210, 50});
  RichEdit::ScrollState last;
  int calls = 0;
  edit->SetScrollCallback([&](int bar, const RichEdit::ScrollState& state) {
    if (bar == SB_VERT) last = state, ++calls;
  });
  window_->SetFocus(edit);
  for (int i = 0; i < 8; ++i) {
    Type(edit, u"line");
    PressReturn(edit);
  }
  EXPECT_GT(calls, 0);
  EXPECT_GT(last.range, 0) << "more text than room: the bar has a range";
  EXPECT_EQ(last.pos, last.range) << "the caret at the end keeps the view at the bottom";
  edit->SetScrollPos(UiSize{0, 0});
  EXPECT_EQ(last.pos, 0);
  edit->PageDown();
  EXPECT_GT(last.pos, 0);
  edit->HomeUp();
  EXPECT_EQ(last.pos, 0);
  Ctrl(edit, this, 'A');
  Type(edit, u"x");
  EXPECT_EQ(edit->GetText(), u"x");
  EXPECT_EQ(last.range, 0) << "text that fits again: no range";
}

TEST_F(RichEditTest, TouchAsksForTheKeyboardAndLosingFocusHidesIt) {
  RichEdit* edit = Make({});
  edit->FireEvent(kEventMouseButtonDown, 0, platform::MakeLParam(20, 20));
  edit->FireEvent(kEventMouseButtonUp, 0, platform::MakeLParam(20, 20));
  Advance(OnScreenKeyboardManager::kCheckDelayMs);
  EXPECT_FALSE(keyboard_.shown) << "a mouse press does not ask";
  edit->FireEvent(kEventPointDown, 0, platform::MakeLParam(20, 20));
  edit->FireEvent(kEventPointUp, 0, platform::MakeLParam(20, 20));
  EXPECT_EQ(window_->GetFocus(), edit) << "the press focuses the edit";
  Advance(OnScreenKeyboardManager::kCheckDelayMs);
  EXPECT_TRUE(keyboard_.shown);
  window_->SetFocus(nullptr);
  Advance(OnScreenKeyboardManager::kCheckDelayMs);
  EXPECT_FALSE(keyboard_.shown);
}

TEST_F(RichEditTest, DisabledEditUsesItsColourAndPassesEventsOn) {
  RichEdit* edit = Make({{u"normaltextcolor", u"black"}, {u"disabledtextcolor", u"grey"}});
  int parent_saw = 0;
  root_->AttachBubbledEvent(kEventChar, [&parent_saw](EventArgs*) { return ++parent_saw, true; });
  edit->SetEnabled(false);
  EXPECT_EQ(edit->GetCurrentTextColor(), u"grey");
  EXPECT_EQ(edit->GetState(), kControlStateDisabled);
  edit->FireEvent(kEventChar, u'a', 0, u'a');
  EXPECT_EQ(edit->GetText(), u"");
  edit->SetEnabled(true);
  EXPECT_EQ(edit->GetCurrentTextColor(), u"black");
  Type(edit, u"a");
  EXPECT_EQ(edit->GetText(), u"a");
}

TEST_F(RichEditTest, FactoryMakesARichEdit) {
  RegisterRichEdit();
  std::unique_ptr<Control> control(WidgetFactory::GetInstance().Create(u"RichEdit"));
  EXPECT_NE(dynamic_cast<RichEdit*>(control.get()), nullptr);
}

}  // namespace
}  // namespace ui::testing
