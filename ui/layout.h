// How a box places its children. This base places every child freely inside
// the box by its alignment and margin ("float" placement); the stacking
// layouts derive from it. Padding and child margin are DPI-scaled.
#ifndef UI_LAYOUT_H_
#define UI_LAYOUT_H_

#include <string>
#include <vector>

#include "ui/render/render_types.h"

namespace ui {

class Box;
class Control;

class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  // "padding" and "childmargin"; false for any other name.
  virtual bool SetAttribute(const std::u16string& name, const std::u16string& value);
  // Places the children in |rect|; the size their placement took.
  virtual UiSize ArrangeChildren(const std::vector<Control*>& children, UiRect rect);
  // The size the children need within |available|, padding included.
  virtual UiSize EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available);
  virtual UiRect GetPadding() const { return padding_; }
  virtual void SetPadding(UiRect padding, bool dpi_scale = true);
  virtual int GetChildMargin() const { return child_margin_; }
  virtual void SetChildMargin(int margin);

  // Places one child by its margin and alignment inside |rect|; the placed
  // size, (0, 0) for an invisible child.
  static UiSize SetFloatPos(Control* control, UiRect rect);

  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

 protected:
  // The room along one axis left to the children whose size there
  // stretches: each gets |share|, and the first |remainder| of them one
  // pixel more. |counted| is the number of visible children that are not
  // float.
  struct StretchShare {
    int counted = 0;
    int share = 0;
    int remainder = 0;
  };
  StretchShare ShareStretchRoom(const std::vector<Control*>& children, UiRect rect,
                                bool horizontal) const;
  // A child's size bounded by its own minimum and maximum (a negative
  // maximum width is none).
  static int ClampWidth(const Control* child, int width);
  static int ClampHeight(const Control* child, int height);
  // Visible and not float: the children a stacking layout places in turn.
  static bool IsCounted(const Control* child);

  UiRect padding_;
  int child_margin_ = 0;
  Box* owner_ = nullptr;
};

}  // namespace ui

#endif  // UI_LAYOUT_H_
