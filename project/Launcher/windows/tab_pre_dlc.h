#pragma once
// A page of the main window's pre-download box ("tab_predlc"); the empty
// page is a plain TabPreDlc. Each page also tells the game the
// pre-download's state: 0 no page, 1 offered, 2 paused or waiting, 3
// downloading, 4 finished.

#include <cstdint>

#include "project/Launcher/windows/panel_context.h"
#include "ui/tab_box.h"
#include "ui/vbox.h"

namespace MainComponents {

class TabPreDlc : public ui::VBox {
 public:
  explicit TabPreDlc(PanelContext context = {}) : context_(context) {}
  void SetOwnerBox(ui::TabBox* owner) { owner_ = owner; }

  // Binds the page's controls once it is filled and inserted (the
  // framework's own Init is left alone).
  virtual void InitPage() {}
  virtual void ResetControls() {}
  virtual void Refresh(int32_t /*status*/) {}
  // The state code this page gives the game.
  virtual int32_t GameStateCode() { return 0; }
  // Sends GameStateCode to the game's windows.
  void ReportStateToGame();

 protected:
  template <typename T>
  T* Find(const std::u16string& name) {
    return dynamic_cast<T*>(FindInBox(this, name));
  }
  // The one-button notice that the pre-download waits for other downloads.
  void ShowOccupiedMessage();

  PanelContext context_;
  ui::TabBox* owner_ = nullptr;
};

}  // namespace MainComponents
