#include "ui/controls/c_combo_wnd.h"

#include <algorithm>

#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "ui/box.h"
#include "ui/controls/combo.h"
#include "ui/controls/list_box.h"

namespace ui {
namespace {

// The rectangle moved from the client of |hwnd| to the screen.
UiRect ClientToScreenRect(platform::HWND hwnd, const UiRect& rect) {
  platform::Point top_left{rect.left, rect.top};
  platform::Point bottom_right{rect.right, rect.bottom};
  platform::ClientToScreen(hwnd, &top_left);
  platform::ClientToScreen(hwnd, &bottom_right);
  return UiRect{top_left.x, top_left.y, bottom_right.x, bottom_right.y};
}

// The height the rows ask for at the pop-up's width, with the list's frame,
// at most the drop box height.
int PopupHeight(ListBox* list, int width, int max_height) {
  int height = 0;
  for (Control* row : list->GetChildren()) {
    if (!row->IsVisible()) continue;
    height += row->EstimateSize(UiSize{width, max_height}).cy;
  }
  height += 2;
  return std::min(height, max_height);
}

}  // namespace

CComboWnd::CComboWnd(Combo* combo) : owner_(combo), initial_selection_(combo->GetCurSel()) {}

UiRect CComboWnd::PopupRect(Combo* combo) {
  Window* window = combo->GetWindow();
  const platform::HWND hwnd = window != nullptr ? window->GetHWND() : nullptr;
  UiRect pos = combo->GetPos();
  const UiSize scroll = combo->GetAncestorScrollOffset();
  pos = UiRect{pos.left - scroll.cx, pos.top - scroll.cy, pos.right - scroll.cx, pos.bottom - scroll.cy};

  const UiSize drop = combo->GetDropBoxSize();
  const int right = drop.cx > 0 ? pos.left + drop.cx : pos.right;
  const int height = PopupHeight(combo->GetListBox(), right - pos.left, drop.cy);
  const UiRect below{pos.left, pos.bottom + 1, right, pos.bottom + 1 + height};
  const UiRect below_screen = ClientToScreenRect(hwnd, below);

  // The monitor that holds the combo decides, not the primary one: a combo
  // on a second screen opens its list on that screen.
  const UiRect combo_screen = ClientToScreenRect(hwnd, pos);
  const platform::Point centre{(combo_screen.left + combo_screen.right) / 2,
                               (combo_screen.top + combo_screen.bottom) / 2};
  const std::optional<platform::MonitorInfo> monitor = platform::MonitorFromPoint(centre);
  const bool no_room_below = monitor.has_value() && below_screen.bottom > monitor->work.bottom;
  if (!no_room_below && !combo->IsPopupTop()) return below_screen;
  const UiRect above{pos.left, pos.top - height, right, pos.top};
  return ClientToScreenRect(hwnd, above);
}

CComboWnd* CComboWnd::Open(Combo* combo) {
  Window* window = combo != nullptr ? combo->GetWindow() : nullptr;
  if (window == nullptr || window->GetHWND() == nullptr) return nullptr;
  const UiRect rect = PopupRect(combo);
  auto* popup = new CComboWnd(combo);
  const platform::HWND hwnd = popup->Create(window->GetHWND(), u"", platform::WS_POPUP,
                                            platform::WS_EX_TOOLWINDOW, true, rect);
  if (hwnd == nullptr) {
    // A window that got as far as WM_CREATE deleted the object when it went.
    if (!popup->created_) delete popup;
    return nullptr;
  }
  platform::ShowWindow(hwnd, platform::SW_SHOW);
  // The owning window keeps its active caption while its pop-up is open.
  platform::HWND top = hwnd;
  while (platform::HWND owner = platform::GetWindow(top, platform::GW_OWNER)) top = owner;
  platform::SendMessage(top, platform::WM_NCACTIVATE, 1, 0);
  return popup;
}

std::u16string CComboWnd::GetWindowClassName() const { return u"ComboWnd"; }

void CComboWnd::OnCreate() {
  created_ = true;
  AttachWindowHandle(hwnd_);
  auto* root = new Box(new Layout());
  root->SetAutoDestroy(false);
  root->Add(owner_->GetListBox());
  // No shadow around the list: the pop-up is exactly the list.
  GetShadow().SetShadowAttached(false);
  AttachRoot(root);
  if (Window* combo_window = owner_->GetWindow()) SetResourcePath(combo_window->GetResourcePath());
}

void CComboWnd::DetachList() {
  if (owner_ == nullptr || root_ == nullptr) return;
  ListBox* list = owner_->GetListBox();
  auto* root = static_cast<Box*>(root_);
  if (root->GetItemIndex(list) < 0) return;
  SetFocus(nullptr);
  ClearInputTargets();
  root->Remove(list);
  list->SetWindow(nullptr, nullptr, false);
}

platform::LRESULT CComboWnd::HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                           platform::LPARAM lparam) {
  if (message == platform::WM_CREATE) {
    OnCreate();
    return 0;
  }
  if (message == platform::WM_KILLFOCUS && wparam != reinterpret_cast<platform::WPARAM>(hwnd_)) {
    // A chosen row and a press outside both end here, sometimes both at
    // once: the first one closes.
    if (!closing_) {
      closing_ = true;
      platform::PostMessage(hwnd_, platform::WM_CLOSE, 0, 0);
      if (owner_ != nullptr) owner_->SelectItem(owner_->GetListBox()->GetCurSel());
      DetachList();
    }
  } else if (message == platform::WM_CLOSE && owner_ != nullptr) {
    owner_->SetWindow(owner_->GetWindow(), owner_->GetParent(), false);
    owner_->SetPos(owner_->GetPos());
    owner_->SetFocus();
  }
  if (!closing_) {
    bool handled = false;
    const platform::LRESULT result = ProcessMessage(message, wparam, lparam, handled);
    if (handled) return result;
  }
  return platform::DefWindowProc(hwnd_, message, wparam, lparam);
}

void CComboWnd::OnComboGone() {
  DetachList();
  owner_ = nullptr;
  closing_ = true;
  if (hwnd_ != nullptr) {
    platform::DestroyWindow(hwnd_);  // deletes this object
  } else {
    delete this;
  }
}

void CComboWnd::OnFinalMessage() {
  // The combo's window may go first (it takes its owned pop-up with it):
  // the list must not keep pointing at this window.
  DetachList();
  if (owner_ != nullptr) {
    owner_->popup_ = nullptr;
    owner_->Invalidate();
  }
  delete this;
}

}  // namespace ui
