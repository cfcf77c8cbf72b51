// The skinned scroll bar: a background, two arrow buttons, a thumb and a
// grip drawn on the thumb, over a range and a position. A bar owned by a
// scrollable box scrolls that box (lines, pages, position); a bar standing
// alone moves only its own thumb. A press starts a 50 ms repeat on the timer
// manager: a held arrow or rail repeats from the sixth tick, and a pushed
// thumb follows the pointer on every tick. UI thread only.
#ifndef UI_SCROLL_BAR_H_
#define UI_SCROLL_BAR_H_

#include <cstdint>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/control.h"
#include "ui/state_image.h"

namespace ui {

class ScrollableBox;

class ScrollBar : public Control {
 public:
  static constexpr int kDefaultThickness = 16;
  static constexpr uint32_t kRepeatIntervalMs = 50;
  // Ticks of a held arrow or rail before it starts repeating.
  static constexpr int kRepeatDelayTicks = 5;

  ScrollBar();
  ~ScrollBar() override;

  // Overrides of the control.
  void SetPos(UiRect rect) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetFocus() override;
  bool HasHotState() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintContent(IRenderContext* render, const UiRect& paint_rect) override;
  void PaintChildren(IRenderContext* render, const UiRect& paint_rect) override;
  void ClearImageCache() override;
  void HandleEvent(EventArgs& event) override;
  bool MouseEnter(EventArgs& event) override;
  bool MouseLeave(EventArgs& event) override;
  bool ButtonUp(EventArgs& event) override;

  ScrollableBox* GetOwner() const { return owner_; }
  void SetOwner(ScrollableBox* owner) { owner_ = owner; }
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  int64_t GetScrollRange() const { return range_; }
  void SetScrollRange(int64_t range);
  int64_t GetScrollPos() const { return position_; }
  void SetScrollPos(int64_t position);
  int GetLineSize() const { return line_size_; }
  void SetLineSize(int size) { line_size_ = size; }
  int GetThumbMinLength() const { return thumb_min_length_; }
  void SetThumbMinLength(int length) { thumb_min_length_ = length; }
  bool IsShowButton1() const { return show_button1_; }
  void SetShowButton1(bool show);
  bool IsShowButton2() const { return show_button2_; }
  void SetShowButton2(bool show);
  bool IsAutoHideScroll() const { return auto_hide_; }
  void SetAutoHideScroll(bool auto_hide) { auto_hide_ = auto_hide; }
  ControlState GetThumbState() const { return thumb_state_; }
  ControlState GetButton1State() const { return button1_state_; }
  ControlState GetButton2State() const { return button2_state_; }

  // The parts in window coordinates; a thumb rect of zeros means no thumb.
  UiRect GetButton1Rect() const { return button1_rect_; }
  UiRect GetButton2Rect() const { return button2_rect_; }
  UiRect GetThumbRect() const { return thumb_rect_; }

  void SetButton1StateImage(ControlState state, const std::u16string& image);
  void SetButton2StateImage(ControlState state, const std::u16string& image);
  void SetThumbStateImage(ControlState state, const std::u16string& image);
  void SetRailStateImage(ControlState state, const std::u16string& image);
  void SetBkStateImage(ControlState state, const std::u16string& image);

 private:
  int Thickness() const { return horizontal_ ? fixed_height_ : fixed_width_; }
  void LayOutParts();
  void OnButtonDown(EventArgs& event);
  void OnButtonUp(EventArgs& event);
  void OnPointerMove(const EventArgs& event);
  void OnRepeatTimer();
  // The steps of the arrows and pages: through the owner when there is one,
  // else on this bar's own position.
  void StepLineBack();
  void StepLineForward();
  void StepPageBack();
  void StepPageForward();
  void MoveOwnPosition(int64_t delta);
  void ForwardToOwner(EventArgs& event);
  UiPoint CursorInWindow() const;
  void SetPartImage(StateImage& part, ControlState state, const std::u16string& image);
  void PaintPart(IRenderContext* render, StateImage& part, ControlState state, const UiRect& rect,
                 bool lit_by_thumb);
  std::u16string DestModifier(const UiRect& rect) const;

  bool horizontal_ = false;
  bool show_button1_ = true;
  bool show_button2_ = true;
  bool auto_hide_ = true;
  int64_t range_ = 100;
  int64_t position_ = 0;
  int line_size_ = 8;
  int thumb_min_length_ = 30;
  int64_t drag_start_position_ = 0;
  int64_t drag_offset_ = 0;
  int repeat_ticks_ = 0;
  ScrollableBox* owner_ = nullptr;
  UiPoint drag_start_point_;
  UiRect button1_rect_;
  UiRect button2_rect_;
  UiRect thumb_rect_;
  ControlState button1_state_ = kControlStateNormal;
  ControlState button2_state_ = kControlStateNormal;
  ControlState thumb_state_ = kControlStateNormal;
  StateImage bk_images_;
  StateImage button1_images_;
  StateImage button2_images_;
  StateImage thumb_images_;
  StateImage rail_images_;
  kbase::WeakCallbackFlag repeat_flag_;
};

}  // namespace ui

#endif  // UI_SCROLL_BAR_H_
