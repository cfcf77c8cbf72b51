// Feeds arbitrary bytes to the layout builder as a layout, with a window so
// that "Window" and "Global" roots, classes, fonts and colours apply, then
// puts the tree into the window and lets it go. Includes and child boxes
// name files under a folder that does not exist.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/control.h"
#include "ui/global_manager.h"
#include "ui/layout_builder.h"
#include "ui/window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    ui::GlobalManager::SetResourcePath(u"/nonexistent-skin/");
    return true;
  }();
  (void)ready;
  {
    ui::Window window;
    ui::LayoutBuilder builder;
    if (builder.GetDocument().LoadFromMember(std::string_view(reinterpret_cast<const char*>(data), size))) {
      ui::Control* root = builder.CreateFromRoot(ui::CreateControlCallback(), &window);
      if (root != nullptr) window.AttachRoot(root);
    }
  }
  ui::GlobalManager::RemoveAllFonts();
  ui::GlobalManager::RemoveAllTextColors();
  ui::GlobalManager::RemoveAllClasss();
  ui::GlobalManager::ClearLayoutCache();
  return 0;
}
