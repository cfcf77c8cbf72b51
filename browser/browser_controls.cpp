#include "browser/browser_controls.h"

#include "browser/cef_control.h"
#include "browser/cef_manager.h"
#include "ui/widget_factory.h"

namespace jov_comp {

void RegisterBrowserControls() {
  ui::WidgetFactory::GetInstance().Register(u"CefControl", []() -> ui::Control* {
    if (!CefManager::GetInstance()->IsInitialized()) return new ui::Control();
    auto* control = new CefControl();
    control->transparent_painting = true;
    // Below 255 the control paints through a layer, blended with what lies
    // under it.
    control->SetAlpha(254);
    control->Invalidate();
    return control;
  });
}

}  // namespace jov_comp
