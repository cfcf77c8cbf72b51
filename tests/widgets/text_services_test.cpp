// The editing engine driven through a fake host: editing by grapheme
// cluster, movement and selection, the limit, the filters, masking, lines,
// wrap, hit testing, scrolling, undo and the change notification.
#include "ui/controls/text_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clipboard/memory_clipboard.h"
#include "platform/window/window_messages.h"
#include "tests/widgets/fake_text_host.h"
#include "ui/global_manager.h"

namespace ui::testing {
namespace {

using platform::VK_BACK;
using platform::VK_DELETE;
using platform::VK_DOWN;
using platform::VK_END;
using platform::VK_HOME;
using platform::VK_LEFT;
using platform::VK_RIGHT;
using platform::VK_UP;

// Thai "kor kai" with a vowel and a tone mark above it: one cluster of three.
const std::u16string kThai = u"\u0E01\u0E35\u0E48";
// A face outside the basic plane: one cluster of a surrogate pair.
const std::u16string kEmoji = u"\U0001F600";
// A family joined by zero-width joiners: one cluster of eight units.
const std::u16string kFamily = u"\U0001F469\u200D\U0001F469\u200D\U0001F467";
// "e" with a combining acute accent.
const std::u16string kAccent = u"e\u0301";

class TextServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    GlobalManager::AddFont(u"edit", u"DejaVu Sans", 14, false, false, false, true);
    platform::InstallClipboard(&clipboard_);
  }
  void TearDown() override {
    platform::InstallClipboard(nullptr);
    GlobalManager::RemoveAllFonts();
    GlobalManager::Shutdown();
  }

  TextServices& Start() {
    TextServices& services = host_.Start();
    services.TxSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE, nullptr);
    services.OnTxInPlaceActivate(nullptr);
    services.TxSendMessage(platform::WM_SETFOCUS, 0, 0, nullptr);
    return services;
  }
  void Type(const std::u16string& text) {
    for (char16_t c : text) host_.services().Char(c);
  }
  void Key(uint32_t key, bool shift = false, bool ctrl = false) { host_.services().KeyDown(key, shift, ctrl); }
  void Select(int from, int to) {
    CHARRANGE range{from, to};
    host_.services().TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<platform::LPARAM>(&range), nullptr);
  }
  void Click(int x, int y, bool shift = false) {
    host_.services().TxSendMessage(platform::WM_LBUTTONDOWN, shift ? platform::MK_SHIFT : 0,
                                   platform::MakeLParam(x, y), nullptr);
    host_.services().TxSendMessage(platform::WM_LBUTTONUP, 0, platform::MakeLParam(x, y), nullptr);
  }
  const std::u16string& Text() { return host_.services().text(); }
  size_t Caret() { return host_.services().caret(); }

  FakeTextHost host_;
  platform::MemoryClipboard clipboard_;
};

TEST_F(TextServicesTest, EditingWorksByGraphemeCluster) {
  struct Case {
    const char* name;
    std::u16string typed;
    std::vector<uint32_t> keys;
    std::u16string expected_text;
    size_t expected_caret;
  };
  const Case cases[] = {
      {"typing", u"abc", {}, u"abc", 3},
      {"backspace takes the whole Thai cluster", u"a" + kThai, {VK_BACK}, u"a", 1},
      {"backspace takes the surrogate pair", u"a" + kEmoji, {VK_BACK}, u"a", 1},
      {"backspace takes a joined emoji family", u"a" + kFamily, {VK_BACK}, u"a", 1},
      {"backspace takes the base with its mark", u"a" + kAccent, {VK_BACK}, u"a", 1},
      {"delete takes the Thai cluster", kThai + u"b", {VK_HOME, VK_DELETE}, u"b", 0},
      {"delete takes the surrogate pair", kEmoji + u"b", {VK_HOME, VK_DELETE}, u"b", 0},
      {"left steps over a cluster", u"a" + kThai, {VK_LEFT}, u"a" + kThai, 1},
      {"right steps over a pair", kEmoji + u"b", {VK_HOME, VK_RIGHT}, kEmoji + u"b", 2},
      {"home then end", u"abc", {VK_HOME, VK_END}, u"abc", 3},
      {"typing at home inserts in front", u"bc", {VK_HOME}, u"bc", 0},
      {"backspace at the start does nothing", u"ab", {VK_HOME, VK_BACK}, u"ab", 0},
      {"delete at the end does nothing", u"ab", {VK_DELETE}, u"ab", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_ = FakeTextHost();
    Start();
    Type(c.typed);
    for (uint32_t key : c.keys) Key(key);
    EXPECT_EQ(Text(), c.expected_text);
    EXPECT_EQ(Caret(), c.expected_caret);
  }
}

TEST_F(TextServicesTest, HalfOfASurrogatePairAloneTypesNothing) {
  Start();
  host_.services().Char(0xDE00);  // a second half with no first
  host_.services().Char(0xD83D);  // a first half, waiting
  EXPECT_EQ(Text(), u"");
  host_.services().Char(0xDE00);
  EXPECT_EQ(Text(), kEmoji);
}

TEST_F(TextServicesTest, ShiftArrowsSelectAndArrowsCollapse) {
  Start();
  Type(u"hello world");
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);
  EXPECT_EQ(host_.services().SelectionStart(), 9u);
  EXPECT_EQ(host_.services().SelectionEnd(), 11u);
  Key(VK_HOME, true);
  EXPECT_EQ(host_.services().SelectionStart(), 0u);
  EXPECT_EQ(host_.services().anchor(), 11u);
  Key(VK_RIGHT);  // collapses to the selection's end
  EXPECT_EQ(Caret(), 11u);
  EXPECT_EQ(host_.services().anchor(), 11u);
  Key(VK_LEFT, true, true);  // Ctrl+Shift+Left: to the word's start
  EXPECT_EQ(host_.services().SelectionStart(), 6u);
  Type(u"there");
  EXPECT_EQ(Text(), u"hello there");
}

TEST_F(TextServicesTest, WordMovementStopsAtWordStarts) {
  Start();
  Type(u"one two  three");
  Key(VK_LEFT, false, true);
  EXPECT_EQ(Caret(), 9u);
  Key(VK_LEFT, false, true);
  EXPECT_EQ(Caret(), 4u);
  Key(VK_LEFT, false, true);
  EXPECT_EQ(Caret(), 0u);
  Key(VK_RIGHT, false, true);
  EXPECT_EQ(Caret(), 4u);
  Key(VK_DELETE, false, true);  // Ctrl+Delete removes to the next word
  EXPECT_EQ(Text(), u"one three");
  Key(VK_END);
  Key(VK_BACK, false, true);  // Ctrl+Backspace removes the word before
  EXPECT_EQ(Text(), u"one ");
}

TEST_F(TextServicesTest, LengthLimitNeverSplitsACluster) {
  struct Case {
    int limit;
    std::u16string before;
    std::u16string pasted;
    std::u16string expected;
  };
  const Case cases[] = {
      {5, u"", u"abcdefg", u"abcde"},
      {5, u"ab", u"12345", u"ab123"},
      {5, u"abcd", kEmoji, u"abcd"},        // no half pair at the end
      {6, u"abc", kThai + u"x", u"abc" + kThai},
      {5, u"abc", kThai, u"abc"},           // the cluster does not fit: nothing
      {3, u"abc", u"d", u"abc"},
  };
  for (const Case& c : cases) {
    host_ = FakeTextHost();
    host_.max_length = c.limit;
    Start();
    Type(c.before);
    // What a paste inserts, through the same replacement.
    host_.services().TxSendMessage(EM_REPLACESEL, 1, reinterpret_cast<platform::LPARAM>(c.pasted.c_str()), nullptr);
    EXPECT_EQ(Text(), c.expected) << "limit " << c.limit;
  }
  // Typing stops at the limit too.
  host_ = FakeTextHost();
  host_.max_length = 3;
  Start();
  Type(u"abcdef");
  EXPECT_EQ(Text(), u"abc");
}

TEST_F(TextServicesTest, DigitsOnlyPasteFiltersAndLeavesTheClipboardAlone) {
  host_.digits_only = true;
  Start();
  clipboard_.SetText("12ab34");
  const int sets = clipboard_.SetCount();
  Key('V', false, true);
  EXPECT_EQ(Text(), u"1234");
  EXPECT_EQ(clipboard_.GetText(), "12ab34");
  EXPECT_EQ(clipboard_.SetCount(), sets) << "the clipboard is never rewritten";

  Select(0, 2);
  clipboard_.SetText("abc");
  Key('V', false, true);
  EXPECT_EQ(Text(), u"1234") << "no digit: nothing pasted, the selection kept";
  EXPECT_EQ(host_.services().SelectionEnd() - host_.services().SelectionStart(), 2u);
  Type(u"x");
  EXPECT_EQ(Text(), u"1234") << "a refused character does not eat the selection";
  Type(u"9");
  EXPECT_EQ(Text(), u"934");
}

TEST_F(TextServicesTest, PasswordIsMaskedAndNeverCopied) {
  host_.bits |= TXTBIT_USEPASSWORD;
  Start();
  Type(u"pa" + kThai + kEmoji);
  const std::u16string display = host_.services().DisplayText();
  EXPECT_EQ(display, std::u16string(4, kDefaultPasswordChar)) << "one mask a cluster, none of the text";
  clipboard_.SetText("before");
  Key('A', false, true);
  Key('C', false, true);
  EXPECT_EQ(clipboard_.GetText(), "before");
  Key('X', false, true);
  EXPECT_EQ(clipboard_.GetText(), "before");
  EXPECT_EQ(Text(), u"pa" + kThai + kEmoji) << "a refused cut removes nothing";
  Key(VK_END);
  Key(VK_BACK);
  EXPECT_EQ(Text(), u"pa" + kThai) << "deletion still goes by cluster";
  Key(VK_LEFT, false, true);
  EXPECT_EQ(Caret(), 0u) << "a password is one word";

  host_ = FakeTextHost();
  host_.bits |= TXTBIT_USEPASSWORD;
  host_.password_char = u'*';
  Start();
  Type(u"ab");
  EXPECT_EQ(host_.services().DisplayText(), u"**");
}

TEST_F(TextServicesTest, CopyCutPasteAndUndo) {
  Start();
  Type(u"hello world");
  Select(0, 5);
  Key('C', false, true);
  EXPECT_EQ(clipboard_.GetText(), "hello");
  Key(VK_END);
  Key('V', false, true);
  EXPECT_EQ(Text(), u"hello worldhello");
  Key('Z', false, true);
  EXPECT_EQ(Text(), u"hello world");
  Key('Z', false, true);  // one level: undoing again brings it back
  EXPECT_EQ(Text(), u"hello worldhello");
  Select(5, 11);
  Key('X', false, true);
  EXPECT_EQ(Text(), u"hellohello");
  EXPECT_EQ(clipboard_.GetText(), " world");
  // Typing in one run is undone as one.
  Key(VK_END);
  Type(u"abc");
  Key('Z', false, true);
  EXPECT_EQ(Text(), u"hellohello");
}

TEST_F(TextServicesTest, LinesSingleAndMulti) {
  host_.bits = 0;  // single line
  Start();
  Type(u"ab\rcd");
  EXPECT_EQ(Text(), u"abcd") << "Return types nothing in one line";
  clipboard_.SetText("x\ny");
  Key('V', false, true);
  EXPECT_EQ(Text(), u"abcdx") << "only the first line of a paste";

  host_ = FakeTextHost();
  Start();
  clipboard_.SetText("one\r\ntwo\nthree");
  Key('V', false, true);
  EXPECT_EQ(Text(), u"one\rtwo\rthree");
  Key('A', false, true);
  Key('C', false, true);
  EXPECT_EQ(clipboard_.GetText(), "one\ntwo\nthree") << "the clipboard gets Linux line ends";
  Key(VK_END);
  Key(VK_UP);
  EXPECT_EQ(Caret(), 7u) << "up keeps the column as near as it can";
  Key(VK_HOME);
  EXPECT_EQ(Caret(), 4u);
  Key(VK_END, true);
  EXPECT_EQ(host_.services().SelectionEnd(), 7u);
  Key(VK_DOWN);
  const size_t on_last_line = Caret();
  EXPECT_GT(on_last_line, 8u);
  Key(VK_DOWN);
  EXPECT_EQ(Caret(), on_last_line) << "no line below the last";
}

TEST_F(TextServicesTest, WrapFollowsTheStyleAndTheWidth) {
  const std::u16string long_text = u"the quick brown fox jumps over the lazy dog again and again";
  UiSize wrapped;
  UiSize unwrapped;
  host_.client = UiRect{0, 0, 100, 400};
  Start();
  host_.services().TxSetText(long_text);
  host_.services().TxGetNaturalSize(100, 0, &wrapped);

  host_ = FakeTextHost();
  host_.bits = TXTBIT_MULTILINE;  // no word wrap
  host_.client = UiRect{0, 0, 100, 400};
  Start();
  host_.services().TxSetText(long_text);
  host_.services().TxGetNaturalSize(100, 0, &unwrapped);
  EXPECT_GT(wrapped.cy, 3 * unwrapped.cy);
  EXPECT_LE(wrapped.cx, 100);
  EXPECT_GT(unwrapped.cx, 300);
}

TEST_F(TextServicesTest, ClicksHitTheNearestCaretStopAndShiftExtends) {
  host_.client = UiRect{10, 5, 410, 105};
  Start();
  host_.services().TxSetText(u"abc" + kThai + u"def");
  Click(12, 10);
  EXPECT_EQ(Caret(), 0u);
  Click(400, 10);
  EXPECT_EQ(Caret(), 9u) << "past the end: the end";
  Click(12, 10, true);
  EXPECT_EQ(host_.services().SelectionStart(), 0u);
  EXPECT_EQ(host_.services().SelectionEnd(), 9u);
  // Every point across the text hits a cluster boundary, never inside the
  // Thai cluster, and the hits only grow left to right.
  size_t last = 0;
  for (int x = 10; x < 120; ++x) {
    Click(x, 10);
    EXPECT_TRUE(Caret() != 4u && Caret() != 5u) << "x " << x;
    EXPECT_GE(Caret(), last);
    last = Caret();
  }
  // Drag selects; the capture is taken and given back.
  host_.services().TxSendMessage(platform::WM_LBUTTONDOWN, 0, platform::MakeLParam(12, 10), nullptr);
  EXPECT_TRUE(host_.captured);
  host_.services().TxSendMessage(platform::WM_MOUSEMOVE, platform::MK_LBUTTON, platform::MakeLParam(400, 10),
                                 nullptr);
  host_.services().TxSendMessage(platform::WM_LBUTTONUP, 0, platform::MakeLParam(400, 10), nullptr);
  EXPECT_FALSE(host_.captured);
  EXPECT_EQ(host_.services().SelectionEnd() - host_.services().SelectionStart(), 9u);
  // A double click selects the word under it.
  host_.services().TxSetText(u"alpha beta gamma");
  const UiRect client = host_.client;
  Click(client.left + 1, 10);
  Key(VK_RIGHT, false, true);
  host_.services().TxSendMessage(platform::WM_LBUTTONDBLCLK, 0,
                                 platform::MakeLParam(host_.caret.x + 3, 10), nullptr);
  EXPECT_EQ(host_.services().SelectionStart(), 6u);
  EXPECT_EQ(host_.services().SelectionEnd(), 10u);
}

TEST_F(TextServicesTest, ScrollingKeepsTheCaretInView) {
  host_.bits = 0;
  host_.client = UiRect{0, 0, 60, 20};
  Start();
  Type(u"a long line that cannot fit in sixty pixels");
  EXPECT_GT(host_.services().scroll().x, 0);
  EXPECT_GE(host_.caret.x, 0);
  EXPECT_LT(host_.caret.x, 60) << "the caret stays inside the text area";
  Key(VK_HOME);
  EXPECT_EQ(host_.services().scroll().x, 0);
  EXPECT_EQ(host_.caret.x, 0);

  host_ = FakeTextHost();
  host_.client = UiRect{0, 0, 200, 40};
  host_.scroll_bars = WS_VSCROLL;
  Start();
  Type(u"1\r2\r3\r4\r5\r6");
  EXPECT_GT(host_.vertical_range, 40) << "the bar gets the text's height";
  EXPECT_GT(host_.vertical_pos, 0);
  host_.services().TxSendMessage(WM_VSCROLL, SB_TOP, 0, nullptr);
  EXPECT_EQ(host_.vertical_pos, 0);
  EXPECT_EQ(host_.services().scroll().y, 0);
}

TEST_F(TextServicesTest, ChangeNotificationOnlyForChanges) {
  Start();
  Type(u"ab");
  EXPECT_EQ(host_.notifications, 2);
  Key(VK_LEFT);
  Key(VK_HOME);
  EXPECT_EQ(host_.notifications, 2) << "moving is no change";
  Key(VK_BACK);
  EXPECT_EQ(host_.notifications, 2) << "nothing before the caret";
  Key(VK_END, true);
  EXPECT_EQ(host_.notifications, 2) << "selecting is no change";
  Key(VK_DELETE);
  EXPECT_EQ(host_.notifications, 3);
  host_.services().TxSendMessage(EM_SETEVENTMASK, 0, 0, nullptr);
  Type(u"c");
  EXPECT_EQ(host_.notifications, 3) << "not asked for";
}

TEST_F(TextServicesTest, ReadOnlySelectsAndCopiesButNeverEdits) {
  host_.bits |= TXTBIT_READONLY;
  Start();
  host_.services().TxSetText(u"fixed");
  Type(u"x");
  Key(VK_DELETE);
  Key(VK_BACK);
  clipboard_.SetText("pasted");
  Key('V', false, true);
  EXPECT_EQ(Text(), u"fixed");
  Key('A', false, true);
  Key('C', false, true);
  EXPECT_EQ(clipboard_.GetText(), "fixed");
}

TEST_F(TextServicesTest, TextMessagesAnswerAsTheControlExpects) {
  Start();
  host_.services().TxSetText(u"h\u00e9llo");
  platform::LRESULT length = 0;
  GETTEXTLENGTHEX length_request;
  host_.services().TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<platform::WPARAM>(&length_request), 0,
                                 &length);
  EXPECT_EQ(length, 5);
  std::vector<char16_t> buffer(4, u'?');
  GETTEXTEX request;
  request.cb = 8;  // room for three characters and the end
  platform::LRESULT copied = 0;
  host_.services().TxSendMessage(EM_GETTEXTEX, reinterpret_cast<platform::WPARAM>(&request),
                                 reinterpret_cast<platform::LPARAM>(buffer.data()), &copied);
  EXPECT_EQ(copied, 3);
  EXPECT_EQ(std::u16string(buffer.data()), u"h\u00e9l");
  Select(1, 3);
  CHARRANGE range;
  host_.services().TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<platform::LPARAM>(&range), nullptr);
  EXPECT_EQ(range.cpMin, 1);
  EXPECT_EQ(range.cpMax, 3);
  Select(0, -1);
  host_.services().TxSendMessage(EM_REPLACESEL, 0, reinterpret_cast<platform::LPARAM>(u"new"), nullptr);
  EXPECT_EQ(Text(), u"new");
  platform::LRESULT can_undo = 1;
  host_.services().TxSendMessage(EM_CANUNDO, 0, 0, &can_undo);
  EXPECT_EQ(can_undo, 0) << "a replacement marked not undoable leaves nothing to undo";
}

}  // namespace
}  // namespace ui::testing
