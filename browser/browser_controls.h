#pragma once
// Puts the browser control's layout tag into the control factory: "CefControl"
// makes an off-screen browser control (transparent, painted through a layer
// of its own) while the engine runs, and a plain placeholder control when it
// does not, so a layout with a web view still builds without the engine.

namespace jov_comp {

void RegisterBrowserControls();

}  // namespace jov_comp
