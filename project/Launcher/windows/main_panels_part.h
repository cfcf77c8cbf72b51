#pragma once
// The main button and the install and pre-download pages as a part of the
// main window.

#include <memory>
#include <optional>

#include "project/Launcher/windows/main_form_part.h"
#include "project/Launcher/windows/main_panels.h"

class MainPanelsPart : public MainFormPart {
 public:
  void Attach(MainForm& form) override;
  void OnRefreshState() override { Call(&MainComponents::MainPanels::RefreshGameButton); }
  void OnGameVersionChanged() override { Call(&MainComponents::MainPanels::RefreshGameButton); }
  void OnConfigReloaded() override { Call(&MainComponents::MainPanels::OnConfigReloaded); }
  void OnCheckProgress(platform::WPARAM, platform::LPARAM percent) override {
    if (panels_) panels_->ShowCheckProgress(percent);
  }
  void OnDownloadSpeed(platform::WPARAM seconds, platform::LPARAM bytesPerSecond) override {
    if (panels_) panels_->OnDownloadSpeed(seconds, bytesPerSecond);
  }
  void OnDownloadProgress(platform::WPARAM total, platform::LPARAM downloaded) override {
    if (panels_) panels_->OnDownloadProgress(total, downloaded);
  }
  void OnDownloadPaused(platform::LPARAM paused) override {
    if (panels_) panels_->OnDownloadPaused(paused);
  }
  void OnPreDownloadStatus(platform::WPARAM index, platform::LPARAM value) override {
    if (panels_) panels_->SelectPreDlcPanel(static_cast<int64_t>(index), value);
  }
  void OnUiTick() override { Call(&MainComponents::MainPanels::OnUiTick); }
  std::optional<GameAnswer> AnswerGame(uint32_t question) override {
    if (!panels_) return std::nullopt;
    return panels_->AnswerGame(question);
  }
  void Detach() override {
    if (panels_) panels_->Detach();
    panels_.reset();
  }

 private:
  void Call(void (MainComponents::MainPanels::*operation)()) {
    if (panels_) ((*panels_).*operation)();
  }
  std::unique_ptr<MainComponents::MainPanels> panels_;
};
