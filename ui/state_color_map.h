// A control's colour name per interaction state, and how the colour of a
// state is painted: the hot colour faded in over the normal one while the
// hot fade runs, and fall-backs for states without a colour.
#ifndef UI_STATE_COLOR_MAP_H_
#define UI_STATE_COLOR_MAP_H_

#include <map>
#include <string>

#include "ui/render/render_types.h"

namespace ui {

class Control;
class IRenderContext;

class StateColorMap {
 public:
  explicit StateColorMap(Control* owner = nullptr) : owner_(owner) {}

  void SetControl(Control* owner) { owner_ = owner; }
  std::u16string GetColor(int state) const;
  void SetColor(int state, const std::u16string& color) { colors_[state] = color; }
  bool HasHotColor() const { return !GetColor(1).empty(); }
  void PaintStatusColor(IRenderContext* render, const UiRect& rect, int state);

 private:
  Control* owner_;
  std::map<int, std::u16string> colors_;
};

}  // namespace ui

#endif  // UI_STATE_COLOR_MAP_H_
