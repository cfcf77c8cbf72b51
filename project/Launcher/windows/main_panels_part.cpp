#include "project/Launcher/windows/main_panels_part.h"

#include "project/Launcher/windows/main_form.h"

void MainPanelsPart::Attach(MainForm& form) {
  panels_ = std::make_unique<MainComponents::MainPanels>(form.store(), form);
  panels_->Attach();
}
