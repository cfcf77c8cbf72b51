// A box whose content may be larger than itself. It lays its children out
// in unscrolled content space, shows a vertical and a horizontal scroll bar
// when the content overflows (the bars' ranges are the overflow), shifts
// painting and hit testing by the scroll position, scrolls by keys, wheel
// and touch drags with an animated line scroll and a bounce at the end,
// keeps the images of children far from the view unloaded, and fires
// "scrollchange" whenever the position moves. UI thread only.
#ifndef UI_SCROLLABLE_BOX_H_
#define UI_SCROLLABLE_BOX_H_

#include <memory>
#include <vector>

#include "ui/animation_player.h"
#include "ui/box.h"

namespace ui {

class ScrollBar;

class ScrollableBox : public Box {
 public:
  static constexpr int kDefaultScrollUnit = 30;
  // Children within this distance of the view keep their images loaded.
  static constexpr int kImageCacheMargin = 730;
  static constexpr int kBounceMaxMillSeconds = 650;

  explicit ScrollableBox(Layout* layout = nullptr);
  ~ScrollableBox() override;

  // Overrides of the box.
  void SetWindow(Window* window, Box* parent, bool init) override;
  void SetPos(UiRect rect) override;
  void SetMouseEnabled(bool enabled) override;
  Control* FindControl(FindControlProc proc, void* data, unsigned flags,
                       UiPoint scroll_offset = UiPoint{}) override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintChildren(IRenderContext* render, const UiRect& paint_rect) override;
  void ClearImageCache() override;
  void HandleEvent(EventArgs& event) override;
  bool MouseEnter(EventArgs& event) override;
  bool MouseLeave(EventArgs& event) override;

  virtual UiSize GetScrollPos() const;
  virtual UiSize GetScrollRange() const;
  virtual void SetScrollPos(UiSize position);
  virtual void SetScrollPosY(int y);
  virtual void OnVScrollAnimationDone();
  virtual void SetScrollPosX(int x);
  virtual void OnHScrollAnimationDone();
  virtual void LineUp(int amount = -1, bool animated = true);
  virtual void LineDown(int amount = -1, bool animated = true);
  virtual void LineLeft(int amount = -1, bool animated = true);
  virtual void LineRight(int amount = -1, bool animated = true);
  virtual void PageUp();
  virtual void PageDown();
  virtual void HomeUp();
  virtual void EndDown(bool arrange = true, bool bounce = true);
  virtual void PageLeft();
  virtual void PageRight();
  virtual void HomeLeft();
  virtual void EndRight();
  virtual void ScrollUpBy(int amount);
  virtual void ScrollDownBy(int amount);
  virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
  virtual ScrollBar* GetVScrollBar() const;
  virtual ScrollBar* GetHScrollBar() const;
  virtual void ProcessVScrollBar(UiRect rect, int needed_height);
  virtual void ProcessHScrollBar(UiRect rect, int needed_width);
  virtual void SetReservedFlag(bool flag) { reserved_flag_ = flag; }
  virtual void SetMouseWheelEnabled(bool enabled) { wheel_enabled_ = enabled; }
  virtual UiSize CalcRequiredSize(UiRect content_rect);

  bool IsHoldEnd() const { return hold_end_; }
  void SetHoldEnd(bool hold_end) { hold_end_ = hold_end; }
  bool IsScrollBarFloat() const { return scroll_bar_float_; }
  int GetVerScrollUnit() const { return ver_scroll_unit_; }
  int GetHorScrollUnit() const { return hor_scroll_unit_; }
  void SetScrollChangeSuppressed(bool suppressed) { scroll_change_suppressed_ = suppressed; }
  const std::vector<int>& GetChildOffsets() const { return child_offsets_; }
  AnimationPlayer& GetScrollAnimation() { return scroll_animation_; }
  AnimationPlayer& GetBounceAnimation() { return bounce_animation_; }

 private:
  void ArrangeAndUpdateScrollBars(UiRect rect);
  void RebuildChildOffsets(bool vertical);
  void UpdateImageCacheWindow(int direction);
  void AnimateLine(bool vertical, int end_value);
  void LineStep(bool vertical, int direction, int amount, bool animated);
  void ProcessScrollBar(ScrollBar* bar, int available, int needed, const UiRect& place);
  int VerticalPage() const;
  int HorizontalPage() const;
  void SyncScrollState();
  void DispatchScrollChange();
  std::unique_ptr<ScrollBar> MakeBar(bool horizontal);
  UiRect ContentRect() const;
  bool HandleVerticalInput(EventArgs& event);
  bool HandleHorizontalInput(EventArgs& event);

  std::unique_ptr<ScrollBar> v_bar_;
  std::unique_ptr<ScrollBar> h_bar_;
  int ver_scroll_unit_ = kDefaultScrollUnit;
  int hor_scroll_unit_ = kDefaultScrollUnit;
  bool rearranging_ = false;
  bool hold_end_ = false;
  bool scroll_bar_float_ = true;
  bool default_display_scroll_bar_ = true;
  UiRect scroll_bar_padding_;
  UiPoint drag_point_{-1, -1};
  AnimationPlayer scroll_animation_;
  AnimationPlayer bounce_animation_;
  bool reserved_flag_ = false;
  bool wheel_enabled_ = true;
  bool scroll_change_suppressed_ = false;
  bool image_cache_checked_ = false;
  std::vector<int> child_offsets_;
};

}  // namespace ui

#endif  // UI_SCROLLABLE_BOX_H_
