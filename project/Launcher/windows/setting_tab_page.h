#pragma once
// The base of the settings window's pages: a row of the window's page list
// that knows the window it belongs to. The window calls Init once after the
// page's layout is built, Refresh when the launcher's update state moved,
// and DeactivatePage when the page list scrolls (so that a page can close
// its open drop-downs). UI thread only.

#include <string>

#include "ui/controls/list_container_element.h"

class SettingForm;

namespace SettingComponents {

class TabPage : public ui::ListContainerElement {
 public:
  TabPage() = default;

  // Names the page and keeps its window; each page's override calls this
  // first, binds its controls and ends with Refresh.
  virtual void Init(const std::u16string& page_name, SettingForm* owner);
  // Forgets the window (pages forget their control references instead).
  virtual void ResetControls();
  // Enabled states and texts that follow the launcher's update state.
  virtual void Refresh() {}
  // The page list scrolled.
  virtual void DeactivatePage() {}

  SettingForm* owner() const { return owner_; }

 protected:
  SettingForm* owner_ = nullptr;
};

}  // namespace SettingComponents
