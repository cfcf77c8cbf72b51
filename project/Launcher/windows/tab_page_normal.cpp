#include "project/Launcher/windows/tab_page_normal.h"

#include <charconv>

#include "project/Launcher/core/launcher_languages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/named_descendant.h"
#include "project/Launcher/windows/setting_form.h"
#include "project/Launcher/windows/speed_limit_text.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/rich_edit.h"
#include "ui/language_table.h"

namespace SettingComponents {

void TabPageNormal::Init(const std::u16string& page_name, SettingForm* owner) {
  TabPage::Init(page_name, owner);
  LauncherSettings& edited = owner->EditedSettings();
  BindLanguage(owner->Store().SettingsCopy().languageType);
  BindTooltips();
  BindStartCheckBox(&edited.automaticStart);

  tray_option_ = FindNamed<ui::Option>(this, u"option_trayicon");
  exit_option_ = FindNamed<ui::Option>(this, u"option_exit");
  BindFlagOptions(tray_option_, exit_option_, &edited.closeToHide);
  update_on_option_ = FindNamed<ui::Option>(this, u"option_on");
  update_off_option_ = FindNamed<ui::Option>(this, u"option_off");
  BindFlagOptions(update_on_option_, update_off_option_, &edited.autoUpdate);

  BindSpeedGroup(u"option_nolimit_speed", u"option_limit_speed", u"text_speed",
                 &edited.downloadLimit, &edited.downloadSpeed);
  BindSpeedGroup(u"predlc_option_nolimit_speed", u"predlc_option_limit_speed",
                 u"predlc_text_speed", &edited.predlcLimit, &edited.predlcSpeed);
  Refresh();
}

const std::vector<int>& TabPageNormal::LanguageOrder() {
  static const std::vector<int> order = [] {
    constexpr int kJapanese = 2;
    std::vector<int> kept;
    for (int index : {0, 6, 15, 14, 12, 9, 8, 1, 4, 3, 7, 10, 11, 17, 5, 13, 16, 2}) {
      if (index != kJapanese) kept.push_back(index);
    }
    return kept;
  }();
  return order;
}

void TabPageNormal::BindLanguage(int current_language) {
  auto* group = FindNamed<ui::Box>(this, u"vbox_set_language");
  if (group == nullptr) return;
  group->SetFadeVisible(true);
  language_combo_ = FindNamed<ui::Combo>(group, u"combo_set_language");
  if (language_combo_ == nullptr) return;
  const std::vector<int>& order = LanguageOrder();
  int position = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    auto* row = new ui::ListContainerElement;
    row->SetClass(u"language_item");
    row->SetUtf8DataId(std::to_string(order[i]));
    row->SetUTF8Text(ui::LanguageTable::GetInstance().GetTextUtf8(kLanguageNameKeys[order[i]]));
    language_combo_->Add(row);
    if (order[i] == current_language) position = static_cast<int>(i);
  }
  language_combo_->SelectItem(position);
  ui::ListBox* list = language_combo_->GetListBox();
  // A list not laid out yet has no range to scroll the row into.
  if (list->GetScrollRange().cy == 0) list->SetPos(list->GetPos());
  if (ui::Control* row = list->GetItemAt(static_cast<size_t>(position))) list->ScrollItemToTop(row);
  list->AttachEvent(ui::kEventSelect,
                    WrapWeak([this](ui::EventArgs* event) { return OnLanguageSelect(event); }));
}

bool TabPageNormal::OnLanguageSelect(ui::EventArgs* event) {
  if (language_combo_ == nullptr || owner_ == nullptr || event->Type != ui::kEventSelect) {
    return false;
  }
  const int selected = language_combo_->GetCurSel();
  if (selected < 0) return false;
  ui::Control* row = language_combo_->GetListBox()->GetItemAt(static_cast<size_t>(selected));
  if (row == nullptr) return false;
  const std::string id = row->GetUtf8DataId();
  int index = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), index);
  if (error == std::errc() && end == id.data() + id.size()) {
    owner_->EditedSettings().languageType = index;
  }
  return false;
}

void TabPageNormal::DeactivatePage() {
  if (language_combo_ != nullptr) language_combo_->Deactivate();
}

void TabPageNormal::ResetControls() {
  language_combo_ = nullptr;
  start_check_ = nullptr;
  tray_option_ = nullptr;
  exit_option_ = nullptr;
}

void TabPageNormal::BindTooltips() {
  const std::pair<const char16_t*, const char16_t*> tips[] = {
      {u"speed_tip", u"STRING_DOWNLOAD_LIMIT_TIP"},
      {u"predlc_speed_tip", u"STRING_PREDLC_LIMIT_TIP"}};
  for (const auto& [name, key] : tips) {
    if (ui::Control* control = FindNamedDescendant(this, name)) control->SetToolTipTextId(key);
  }
}

void TabPageNormal::BindStartCheckBox(bool* automatic_start) {
  start_check_ = FindNamed<ui::CheckBox>(this, u"checkbox_start");
  if (start_check_ == nullptr) return;
  start_check_->Selected(*automatic_start, false);
  start_check_->AttachEvent(ui::kEventSelect, [automatic_start](ui::EventArgs*) {
    *automatic_start = true;
    return true;
  });
  start_check_->AttachEvent(ui::kEventUnSelect, [automatic_start](ui::EventArgs*) {
    *automatic_start = false;
    return true;
  });
}

void TabPageNormal::BindFlagOptions(ui::Option* on, ui::Option* off, bool* flag) {
  if (on == nullptr || off == nullptr) return;
  (*flag ? on : off)->Selected(true, false);
  on->AttachEvent(ui::kEventSelect, [flag, on](ui::EventArgs* event) {
    if (event->pSender == on) *flag = true;
    return true;
  });
  off->AttachEvent(ui::kEventSelect, [flag, off](ui::EventArgs* event) {
    if (event->pSender == off) *flag = false;
    return true;
  });
}

void TabPageNormal::BindSpeedGroup(const std::u16string& no_limit_name,
                                   const std::u16string& limit_name,
                                   const std::u16string& field_name, bool* limit_on,
                                   int32_t* speed) {
  auto* no_limit = FindNamed<ui::Option>(this, no_limit_name);
  auto* limit = FindNamed<ui::Option>(this, limit_name);
  auto* field = FindNamed<ui::RichEdit>(this, field_name);
  if (no_limit == nullptr || limit == nullptr || field == nullptr) return;

  (*limit_on ? limit : no_limit)->Selected(true, false);
  field->SetUTF8Text(std::to_string(*speed));
  field->SetEnabled(*limit_on);

  no_limit->AttachEvent(ui::kEventSelect, [no_limit, field, limit_on](ui::EventArgs* event) {
    if (event->pSender != no_limit) return true;
    *limit_on = false;
    field->SetEnabled(false);
    return true;
  });
  limit->AttachEvent(ui::kEventSelect, [limit, field, limit_on](ui::EventArgs* event) {
    if (event->pSender != limit) return true;
    *limit_on = true;
    field->SetEnabled(true);
    return true;
  });
  field->AttachEvent(ui::kEventTextChange, [field](ui::EventArgs* event) {
    if (event->pSender != field) return true;
    const std::string text = field->GetUTF8Text();
    const std::string shown = SpeedTextWhileTyping(text);
    // Rewriting the field raises this event again; the rewritten text is
    // already in range, so the second round changes nothing and ends here.
    if (shown != text) field->SetUTF8Text(shown);
    return true;
  });
  const auto store_value = [field, speed](ui::EventArgs* event) {
    if (event->pSender != field) return true;
    const int32_t value = SpeedValueOnLeave(field->GetUTF8Text());
    const std::string text = std::to_string(value);
    if (field->GetUTF8Text() != text) field->SetUTF8Text(text);
    *speed = value;
    return true;
  };
  field->AttachEvent(ui::kEventKillFocus, store_value);
  field->AttachEvent(ui::kEventReturn, store_value);
}

}  // namespace SettingComponents
