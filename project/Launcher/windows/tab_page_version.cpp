#include "project/Launcher/windows/tab_page_version.h"

#include <utility>

#include "base/util/string_util.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"
#include "project/Launcher/windows/named_descendant.h"
#include "project/Launcher/windows/setting_form.h"
#include "project/Launcher/windows/tab_page_resource.h"
#include "ui/language_table.h"

namespace SettingComponents {
namespace {

constexpr size_t kVersionLineLength = 260;

}  // namespace

std::u16string TabPageVersion::VersionLine(const std::u16string& text,
                                           const std::u16string& version) {
  std::u16string line = text;
  const size_t wide = line.find(u"%ls");
  const size_t narrow = line.find(u"%s");
  if (wide != std::u16string::npos && (narrow == std::u16string::npos || wide <= narrow)) {
    line.replace(wide, 3, version);
  } else if (narrow != std::u16string::npos) {
    line.replace(narrow, 2, version);
  }
  if (line.size() > kVersionLineLength) line.resize(kVersionLineLength);
  return line;
}

void TabPageVersion::Init(const std::u16string& page_name, SettingForm* owner) {
  TabPage::Init(page_name, owner);
  launcher_update_ = FindNamed<ui::Button>(this, u"btn_launcher_update");
  if (launcher_update_ != nullptr) {
    launcher_update_->AttachClick(
        [this](ui::EventArgs* event) { return OnLauncherUpdateClick(event); });
  }
  launcher_version_ = FindNamed<ui::Label>(this, u"label_launcher_version");
  if (launcher_version_ != nullptr) launcher_version_->SetText(std::u16string());
  game_update_ = FindNamed<ui::Button>(this, u"btn_game_update");
  if (game_update_ != nullptr) {
    game_update_->AttachClick([this](ui::EventArgs* event) { return OnGameUpdateClick(event); });
  }
  game_version_ = FindNamed<ui::Label>(this, u"label_game_version");
  if (game_version_ != nullptr) game_version_->SetText(std::u16string());

  const std::pair<const char16_t*, const char*> links[] = {{u"btn_agreement", "Service"},
                                                           {u"btn_privacy", "Privacy"}};
  for (const auto& [name, key] : links) {
    auto* button = FindNamed<ui::Button>(this, name);
    if (button == nullptr) continue;
    LauncherStore* store = &owner->Store();
    const std::string link = key;
    button->AttachClick([button, store, link](ui::EventArgs* event) {
      if (event->pSender == button) store->OpenLink(link, true);
      return true;
    });
  }
  Refresh();
}

void TabPageVersion::ResetControls() {
  launcher_update_ = nullptr;
  launcher_version_ = nullptr;
  game_update_ = nullptr;
  game_version_ = nullptr;
}

void TabPageVersion::Refresh() {
  if (owner_ == nullptr) return;
  const bool enabled = !IsUpdateFlowBusy(owner_->Store());
  if (launcher_update_ != nullptr) launcher_update_->SetEnabled(enabled);
  if (game_update_ != nullptr) game_update_->SetEnabled(enabled);
  const StoreUiView view = owner_->Store().UiView();
  const std::u16string text = ui::LanguageTable::GetInstance().GetText(u"STRING_VERSION_LABEL");
  if (launcher_version_ != nullptr) {
    launcher_version_->SetText(VersionLine(text, kbase::UTF8ToUTF16(view.launcherVersion)));
  }
  if (game_version_ != nullptr) {
    game_version_->SetText(VersionLine(text, kbase::UTF8ToUTF16(view.displayGameVersion)));
  }
}

bool TabPageVersion::OnLauncherUpdateClick(ui::EventArgs* event) {
  if (event->pSender != launcher_update_ || owner_ == nullptr) return true;
  LauncherStore& store = owner_->Store();
  SendLauncherDetailEvent(&store, "21", "", "", "");
  SendInstallAttribution(&store, "click_launch_update_launcher", "", "", "");
  launcher_update_->SetEnabled(false);
  owner_->Cancel();
  store.StartLauncherCheck();
  return true;
}

bool TabPageVersion::OnGameUpdateClick(ui::EventArgs* event) {
  if (event->pSender != game_update_ || owner_ == nullptr) return true;
  if (RefuseWhileGameRuns(owner_)) return true;
  LauncherStore& store = owner_->Store();
  SendLauncherDetailEvent(&store, "20", "", "", "");
  SendInstallAttribution(&store, "click_launch_update_game", "", "", "");
  game_update_->SetEnabled(false);
  owner_->Cancel();
  store.StartGameCheck(true, true);
  return true;
}

}  // namespace SettingComponents
