#pragma once
// A page of the main window's install box ("tab_assets"); the empty page is
// a plain TabAsset. The window fills each page from its layout, inserts it,
// then calls Init once; Refresh each time the page is selected; and
// ResetControls before the box removes its pages.

#include "project/Launcher/windows/panel_context.h"
#include "ui/vbox.h"

namespace MainComponents {

class TabAsset : public ui::VBox {
 public:
  explicit TabAsset(PanelContext context = {}) : context_(context) {}
  // Binds the page's controls once it is filled and inserted (the
  // framework's own Init is left alone).
  virtual void InitPage() {}
  virtual void ResetControls() {}
  virtual void Refresh() {}

 protected:
  template <typename T>
  T* Find(const std::u16string& name) {
    return dynamic_cast<T*>(FindInBox(this, name));
  }

  PanelContext context_;
};

}  // namespace MainComponents
