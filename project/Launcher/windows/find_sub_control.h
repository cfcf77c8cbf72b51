// The rows of the carousel and the news tabs find their parts by name among
// their own descendants, whatever the case of the name in the layout.
#pragma once

#include <string>

namespace ui {
class Control;
}

namespace MainComponents {

// The first control below `root` (or `root` itself) whose name equals `name`
// without regard to ASCII case; null when there is none.
ui::Control* FindSubControl(ui::Control* root, const std::u16string& name);

}  // namespace MainComponents
