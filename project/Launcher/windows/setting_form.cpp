#include "project/Launcher/windows/setting_form.h"

#include <memory>

#include "base/thread/thread_registry.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/setting_tab_label.h"
#include "project/Launcher/windows/setting_tab_page.h"
#include "project/Launcher/windows/tab_page_normal.h"
#include "project/Launcher/windows/tab_page_resource.h"
#include "project/Launcher/windows/tab_page_version.h"
#include "ui/controls/list_box.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/registered_window_list.h"

namespace {

// WS_CAPTION, WS_SYSMENU, WS_THICKFRAME and WS_MINIMIZEBOX.
constexpr uint32_t kDialogStyle = 0xCE0000;

constexpr const char16_t* kTabTextKeys[SettingForm::kPageCount] = {
    u"STRING_TAB_NORMAL", u"STRING_TAB_RESOURCE", u"STRING_TAB_VERSION"};

// The field whose Enter only validates it; Enter anywhere else confirms.
constexpr char16_t kGameSpeedField[] = u"text_speed";

SettingComponents::TabPage* MakePage(int index) {
  switch (index) {
    case 0: return new SettingComponents::TabPageNormal;
    case 1: return new SettingComponents::TabPageResource;
    default: return new SettingComponents::TabPageVersion;
  }
}

}  // namespace

SettingForm::SettingForm(LauncherStore& store) : store_(store) {}

SettingForm::~SettingForm() = default;

SettingForm* SettingForm::Open(platform::HWND owner, LauncherStore& store, ResultCallback callback) {
  auto* form = new SettingForm(store);
  if (form->Create(owner, kClassName, kDialogStyle, 0, true, ui::UiRect{}) == nullptr) {
    // A window that was never made does not delete itself.
    delete form;
    return nullptr;
  }
  form->SetResultCallback(std::move(callback));
  if (owner != nullptr) platform::EnableWindow(owner, false);
  form->CenterWindow();
  platform::ShowWindow(form->GetHWND(), platform::SW_SHOWNORMAL);
  platform::SetFocus(form->GetHWND());
  return form;
}

SettingForm* SettingForm::FindOpen() {
  for (const auto& entry : ui::RegisteredWindowList::GetInstance().entries()) {
    if (auto* form = dynamic_cast<SettingForm*>(entry.window)) return form;
  }
  return nullptr;
}

void SettingForm::InitWindow() {
  edited_ = store_.SettingsCopy();

  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             WrapWeak([this](ui::EventArgs* event) { return OnClick(event); }));
  }
  tab_list_ = dynamic_cast<ui::ListBox*>(FindControlByName(u"setting_btns"));
  page_list_ = dynamic_cast<ui::ListBox*>(FindControlByName(u"setting_pages"));
  // Both lists are the window's frame; a skin without them has nothing to show.
  if (tab_list_ == nullptr || page_list_ == nullptr) return;
  tab_list_->AttachEvent(ui::kEventSelect,
                         WrapWeak([this](ui::EventArgs* event) { return OnTabSelect(event); }));
  // The arrow keys must not move the page selection.
  page_list_->SetKeyboardEnabled(false);
  page_list_->AttachEvent(ui::kEventScrollChange,
                          WrapWeak([this](ui::EventArgs* event) { return OnPagesScroll(event); }));
  current_page_ = -1;

  for (int i = 0; i < kPageCount; ++i) {
    const std::u16string page_name = std::u16string(1, static_cast<char16_t>(u'0' + i));
    auto* tab = new SettingComponents::TabLabel;
    ui::GlobalManager::FillBoxWithCache(tab, u"setting/tab_label.xml", ui::CreateControlCallback());
    tab_list_->AddAt(tab, static_cast<size_t>(i));
    tab->SetName(page_name);
    tab->SetTabText(ui::LanguageTable::GetInstance().GetText(kTabTextKeys[i]));

    SettingComponents::TabPage* page = MakePage(i);
    ui::GlobalManager::FillBox(page, u"setting/tab_page" + page_name + u".xml",
                               ui::CreateControlCallback());
    page_list_->AddAt(page, static_cast<size_t>(i));
    page->Init(page_name, this);
  }

  tab_list_->SelectItem(0, false, false);
  page_list_->SelectItem(0, false, false);
  SetWindowAlpha(255);
  if (GetRoot() != nullptr) GetRoot()->Invalidate();
  SelectPage(0);
}

SettingComponents::TabLabel* SettingForm::Tab(int index) const {
  if (tab_list_ == nullptr) return nullptr;
  return dynamic_cast<SettingComponents::TabLabel*>(tab_list_->GetItemAt(static_cast<size_t>(index)));
}

SettingComponents::TabPage* SettingForm::Page(int index) const {
  if (page_list_ == nullptr || index < 0) return nullptr;
  return dynamic_cast<SettingComponents::TabPage*>(page_list_->GetItemAt(static_cast<size_t>(index)));
}

void SettingForm::MarkTab(int index) {
  for (int j = 0; j < kPageCount; ++j) {
    SettingComponents::TabLabel* tab = Tab(j);
    if (tab == nullptr) continue;
    // Selecting goes through the list, which unselects the previous row.
    if (j == index) tab->Selected(true, false);
    tab->SetMarked(j == index);
  }
}

void SettingForm::SelectPage(int index) {
  if (static_cast<unsigned>(index) >= static_cast<unsigned>(kPageCount)) return;
  MarkTab(index);
  if (page_list_ != nullptr) {
    const int y = page_list_->GetScrollPos().cy;
    const std::vector<int>& offsets = page_list_->GetChildOffsets();
    const int target = static_cast<size_t>(index) < offsets.size() ? offsets[index] : 0;
    if (target > y) {
      page_list_->LineDown(target - y, true);
    } else {
      page_list_->LineUp(y - target, true);
    }
  }
  current_page_ = index;
}

void SettingForm::RefreshPages() {
  if (page_list_ == nullptr) return;
  for (int i = 0; i < page_list_->GetCount(); ++i) {
    if (auto* page = dynamic_cast<SettingComponents::TabPage*>(page_list_->GetItemAt(i))) {
      page->Refresh();
    }
  }
}

bool SettingForm::OnTabSelect(ui::EventArgs* event) {
  if (event->pSender == nullptr || event->pSender->GetName() != u"setting_btns") return false;
  // The animated scroll must not move the tab marking back and forth; the
  // page list clears the suppression when its animation ends.
  if (page_list_ != nullptr) page_list_->SetScrollChangeSuppressed(true);
  const int selected = tab_list_->GetCurSel();
  if (selected >= 0) {
    if (ui::Control* item = tab_list_->GetItemAt(static_cast<size_t>(selected))) {
      SelectPage(tab_list_->GetItemIndex(item));
    }
  }
  return false;
}

bool SettingForm::OnPagesScroll(ui::EventArgs* event) {
  if (event->pSender == nullptr || event->pSender->GetName() != u"setting_pages") return true;
  if (SettingComponents::TabPage* page = Page(page_list_->GetCurSel())) page->DeactivatePage();

  const int y = page_list_->GetScrollPos().cy;
  const std::vector<int>& offsets = page_list_->GetChildOffsets();
  int in_view = 0;
  for (int i = static_cast<int>(offsets.size()) - 1; i >= 0; --i) {
    if (offsets[i] <= y) {
      in_view = i;
      break;
    }
  }
  if (in_view != current_page_) {
    current_page_ = in_view;
    MarkTab(in_view);
  }
  return false;
}

bool SettingForm::OnClick(ui::EventArgs* event) {
  if (event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == u"btn_confirm") {
    Confirm();
  } else if (name == u"btn_cancel" || name == u"btn_close") {
    Cancel();
  }
  return true;
}

void SettingForm::Confirm() {
  if (closing_) return;
  store_.ApplySettings(edited_);
  Finish(1);
}

void SettingForm::Cancel() { Finish(0); }

bool SettingForm::Finish(int32_t result) {
  if (closing_) return false;
  closing_ = true;
  Close(0);
  if (result_callback_) {
    // Posted, so the answer arrives after the handler that closed the window
    // has returned; the callback is the caller's and outlives the window.
    kbase::ThreadRegistry::PostTask(kThreadUI,
                                    [callback = result_callback_, result] { callback(result); });
  }
  return true;
}

void SettingForm::Close(platform::WPARAM code) {
  if (hwnd_ != nullptr) {
    if (platform::HWND owner = platform::GetWindow(hwnd_, platform::GW_OWNER)) {
      platform::EnableWindow(owner, true);
      platform::SetFocus(owner);
    }
  }
  ui::WindowImplBase::Close(code);
}

platform::LRESULT SettingForm::OnClose(platform::UINT message, platform::WPARAM wparam,
                                       platform::LPARAM lparam, bool& handled) {
  // A close that did not come through Confirm or Cancel (the window asked to
  // close from outside) still answers once, as a cancel.
  if (!closing_) {
    closing_ = true;
    if (platform::HWND owner = platform::GetWindow(hwnd_, platform::GW_OWNER)) {
      platform::EnableWindow(owner, true);
    }
    if (result_callback_) {
      kbase::ThreadRegistry::PostTask(kThreadUI,
                                      [callback = result_callback_] { callback(0); });
    }
  }
  return ui::WindowImplBase::OnClose(message, wparam, lparam, handled);
}

platform::LRESULT SettingForm::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                            platform::LPARAM lparam, bool& handled) {
  if (wparam == platform::SC_CLOSE) {
    handled = true;
    Cancel();
    return 0;
  }
  return ui::WindowImplBase::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT SettingForm::OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM, bool& handled) {
  handled = false;
  if (message != platform::WM_KEYDOWN) return 0;
  ui::Control* focused = GetFocus();
  const bool in_speed_field = focused != nullptr && focused->GetName() == kGameSpeedField;
  if (wparam == platform::VK_ESCAPE) {
    if (focused != nullptr) {
      // Taking the focus away validates a field that held it.
      SetFocus(nullptr);
      if (in_speed_field) {
        event_key_ = nullptr;
        handled = true;
        return 0;
      }
    }
    Cancel();
  } else if (wparam == platform::VK_RETURN) {
    if (in_speed_field) {
      event_key_ = focused;
      focused->FireEvent(ui::kEventKeyDown, 0, 0, static_cast<char16_t>(platform::VK_RETURN));
      SetFocus(nullptr);
      handled = true;
      return 0;
    }
    if (focused != nullptr) SetFocus(nullptr);
    Confirm();
  }
  return 0;
}
