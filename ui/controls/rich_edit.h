// The text input of the skins (layout tag "RichEdit"): a box that hosts our
// editing engine through its text host, hands it the messages its events
// stand for, lets it draw, and turns its requests into control behaviour: a
// caret it draws itself, blinking every 500 ms on the timer manager, timers
// of the engine, scrolling, the change notification. Around that: the
// edit-style attributes, colour names, a prompt text while empty, a
// digits-only mode, "return" and "tab" events, a focused background image
// and the on-screen keyboard on touch input. UI thread only.
//
// Scrolling: the engine reports each bar's range and position; the control
// keeps them and hands them to its scroll callback, which whatever shows the
// bars follows; SetScrollPos and the page operations hand positions back.
#ifndef UI_CONTROLS_RICH_EDIT_H_
#define UI_CONTROLS_RICH_EDIT_H_

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/box.h"
#include "ui/controls/txt_win_host.h"
#include "ui/image.h"

namespace ui {

class RichEdit : public Box {
 public:
  static constexpr int kCaretBlinkMs = 500;

  struct ScrollState {
    int range = 0;
    int pos = 0;
  };
  // The bar (SB_HORZ or SB_VERT), its new range and position.
  using ScrollCallback = std::function<void(int bar, const ScrollState& state)>;

  RichEdit();
  ~RichEdit() override;

  // Overrides.
  void DoInit() override;
  UiSize EstimateSize(UiSize available) override;
  void SetPos(UiRect rect) override;
  void SetEnabled(bool enabled) override;
  bool CanTabFocus() const override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintContent(IRenderContext* render, const UiRect& paint_rect) override;
  void PaintChildren(IRenderContext* render, const UiRect& paint_rect) override;
  void ClearImageCache() override;
  void HandleEvent(EventArgs& event) override;
  void PaintStatusImage(IRenderContext* render) override;

  // Scrolling, handed to the engine.
  virtual void SetScrollPos(UiSize pos);
  virtual void PageUp();
  virtual void PageDown();
  virtual void HomeUp();
  virtual void PageLeft();
  virtual void PageRight();
  virtual void HomeLeft();
  virtual void EndRight();

  // Own operations, in order.
  virtual void SetTextColor(const std::u16string& color);
  virtual std::string GetUTF8Text();
  virtual void SetUTF8Text(const std::string& text);
  virtual HRESULT TxSendMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                                platform::LRESULT* result);
  virtual void OnTxNotify(uint32_t code, void* data);
  virtual bool OnTextChange();

  void SetText(const std::u16string& text);
  std::u16string GetText();
  std::u16string GetSelText();
  void SetPromptText(const std::u16string& text);
  void SetPromptTextId(const std::u16string& id);
  std::u16string GetPromptText() const;

  // The engine's requests, through the host.
  void SetServicesTimer(unsigned id, unsigned interval_ms);
  void KillServicesTimer(unsigned id);
  void SetCaretBlink(bool on);
  void SetCaretSize(int width, int height);
  void SetCaretPos(int x, int y);
  void SetServicesScrollRange(int bar, int range);
  void SetServicesScrollPos(int bar, int pos);
  void ResetScrollBar(int bar);

  void SetScrollCallback(ScrollCallback callback) { scroll_callback_ = std::move(callback); }
  ScrollState GetScrollState(int bar) const { return bar == SB_VERT ? vertical_ : horizontal_; }

  // Reading the state.
  CTxtWinHost* GetHost() const { return host_.get(); }
  uint32_t GetStyle() const { return style_; }
  bool IsRich() const { return rich_; }
  bool IsReadOnly() const { return read_only_; }
  bool IsPassword() const { return password_; }
  bool IsNumberOnly() const { return number_only_; }
  bool IsWantTab() const { return want_tab_; }
  bool IsWantReturnMsg() const { return want_return_msg_; }
  bool IsCaretShown() const { return caret_shown_; }
  UiRect GetCaretRect() const {
    return UiRect{caret_x_, caret_y_, caret_x_ + caret_width_, caret_y_ + caret_height_};
  }
  int GetMaxLength() const { return max_length_; }
  void SetMaxLength(int length) { max_length_ = length; }
  int GetVerticalAlignment() const { return vertical_alignment_; }
  const std::u16string& GetFontId() const { return font_id_; }
  const std::u16string& GetCurrentTextColor() const { return text_color_; }
  const std::u16string& GetCaretColor() const { return caret_color_; }
  const std::u16string& GetPromptColor() const { return prompt_color_; }
  UiRect GetTextPadding() const { return text_padding_; }
  size_t GetServicesTimerCount() const { return services_timers_.size(); }

 private:
  bool OnKeyDown(EventArgs& event);
  void OnChar(EventArgs& event);
  // A mouse event as the engine's message: the point moved by the scroll
  // offset of the nearest scrolling ancestor.
  void SendMouse(platform::UINT message, const EventArgs& event);
  void ToggleCaret();
  void PaintCaret(IRenderContext* render);
  void PaintPrompt(IRenderContext* render);
  void SetStyleBit(uint32_t bit, bool on) { style_ = on ? (style_ | bit) : (style_ & ~bit); }
  void NotifyScroll(int bar);
  UiRect InnerRect() const;

  std::unique_ptr<CTxtWinHost> host_;
  bool want_tab_ = true;
  bool want_return_msg_ = false;
  bool return_msg_want_ctrl_ = false;
  bool rich_ = false;
  bool read_only_ = false;
  bool password_ = false;
  bool number_only_ = false;
  bool initialised_ = false;
  bool caret_shown_ = false;
  bool composing_ = false;
  bool swallow_return_char_ = false;
  int caret_x_ = 0;
  int caret_y_ = 0;
  int caret_width_ = 0;
  int caret_height_ = 0;
  std::u16string font_id_;
  int max_length_ = 32767;
  uint32_t style_ = ES_MULTILINE;
  int vertical_alignment_ = 0;
  std::u16string text_color_;
  std::u16string normal_text_color_;
  std::u16string disabled_text_color_;
  std::u16string prompt_color_;
  std::u16string caret_color_;
  std::u16string text_;
  std::u16string prompt_text_;
  std::u16string prompt_text_id_;
  kbase::WeakCallbackFlag caret_flag_;
  int line_spacing_ = -1;
  UiRect text_padding_;
  std::map<unsigned, std::unique_ptr<kbase::WeakCallbackFlag>> services_timers_;
  Image focused_image_;
  ScrollState vertical_;
  ScrollState horizontal_;
  ScrollCallback scroll_callback_;
};

// Adds "RichEdit" to the widget factory.
void RegisterRichEdit();

}  // namespace ui

#endif  // UI_CONTROLS_RICH_EDIT_H_
