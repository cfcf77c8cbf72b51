// A control that owns other controls: it keeps its children in order, hands
// them its window and itself as parent, arranges them through the layout it
// owns, passes visibility, enabling and image-cache calls down, searches its
// subtree, lets handlers catch events its descendants raise (the bubbled
// map), and removes children at once or after the current message (through
// the window's delayed-destroy list). UI thread only.
#ifndef UI_BOX_H_
#define UI_BOX_H_

#include <memory>
#include <vector>

#include "ui/control.h"
#include "ui/layout.h"

namespace ui {

class Box : public Control {
 public:
  // Takes the layout (a free layout when null) and becomes its owner.
  explicit Box(Layout* layout = nullptr);
  ~Box() override;

  // Overrides of the control.
  void SetWindow(Window* window, Box* parent, bool init) override;
  UiSize EstimateSize(UiSize available) override;
  void SetPos(UiRect rect) override;
  void SetInternalVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  bool CanTabFocus() const override;
  Control* FindControl(FindControlProc proc, void* data, unsigned flags,
                       UiPoint scroll_offset = UiPoint{}) override;
  void DispatchEvent(EventArgs& event) override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintChildren(IRenderContext* render, const UiRect& paint_rect) override;
  void LoadImageCache() override;
  void UnloadImageCache() override;
  void ClearImageCache() override;

  // The box's own virtual operations, in order.
  virtual int FindSelectable(int index, bool forward = true) const;
  virtual Control* GetItemAt(size_t index) const;
  virtual int GetItemIndex(Control* control) const;
  virtual bool SetItemIndex(Control* control, size_t index);
  virtual int GetCount() const;
  virtual bool Add(Control* control);
  virtual bool AddAt(Control* control, size_t index);
  virtual bool Remove(Control* control);
  virtual bool RemoveAt(size_t index);
  virtual void RemoveAll();
  virtual bool IsAutoDestroy() const;
  virtual void SetAutoDestroy(bool auto_destroy);
  virtual bool IsDelayedDestroy() const;
  virtual void SetDelayedDestroy(bool delayed_destroy);
  virtual bool IsMouseChildEnabled() const;
  virtual void SetMouseChildEnabled(bool enabled);
  virtual Layout* GetLayout() const;
  virtual void SetLayout(Layout* layout);
  virtual UiRect GetPosWithoutPadding() const;

  void SwapChild(Control* a, Control* b);
  // Handlers for events raised by this box or any control below it.
  void AttachBubbledEvent(int type, const EventCallback& callback);
  void AttachXmlBubbledEvent(int type, const EventCallback& callback);
  const std::vector<Control*>& GetChildren() const { return items_; }

  // Scrolling: a box that scrolls its content keeps these up to date; a
  // plain box never scrolls.
  bool IsScrolling() const { return vertical_scroll_range_ || horizontal_scroll_range_; }
  bool IsScrollingVertically() const { return vertical_scroll_range_; }
  UiSize GetScrollOffset() const { return scroll_offset_; }

 protected:
  // Takes the child out of the tree and deletes it now or after the current
  // message, as the destroy flags say.
  void ReleaseChild(Control* control);
  // A visible, enabled list row, the only kind FindSelectable stops at.
  static bool IsSelectableRow(const Control* control);

  EventMap xml_bubbled_events_;
  std::unique_ptr<Layout> layout_;
  bool auto_destroy_ = true;
  bool delayed_destroy_ = true;
  bool mouse_child_ = true;
  std::vector<Control*> items_;
  EventMap bubbled_events_;
  bool vertical_scroll_range_ = false;
  bool horizontal_scroll_range_ = false;
  UiSize scroll_offset_;
};

}  // namespace ui

#endif  // UI_BOX_H_
