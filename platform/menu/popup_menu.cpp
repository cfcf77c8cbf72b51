#include "platform/menu/popup_menu.h"

#include <algorithm>

#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"

namespace platform {
namespace {

constexpr char16_t kClassName[] = u"PlatformPopupMenu";

bool RegisterMenuClass(WNDPROC proc) {
  WNDCLASS existing;
  if (GetClassInfo(kClassName, &existing)) return true;
  WNDCLASS menu_class;
  menu_class.lpfnWndProc = proc;
  menu_class.lpszClassName = kClassName;
  return RegisterClass(menu_class);
}

}  // namespace

PopupMenu::~PopupMenu() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtr(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool PopupMenu::AppendItem(uint16_t id, const std::u16string& text) {
  if (id == 0) return false;
  if (std::any_of(items_.begin(), items_.end(), [id](const Item& item) { return item.id == id; })) return false;
  items_.push_back(Item{id, text});
  return true;
}

bool PopupMenu::EnsureWindow() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) return true;
  if (!RegisterMenuClass(&PopupMenu::WindowProc)) return false;
  hwnd_ = CreateWindowEx(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, std::u16string(), WS_POPUP, 0, 0,
                         1, 1, nullptr, this);
  return hwnd_ != nullptr;
}

bool PopupMenu::Track(uint32_t flags, Point at, HWND owner) {
  if (items_.empty() || owner == nullptr || !EnsureWindow()) return false;
  std::vector<std::u16string> texts;
  for (const Item& item : items_) texts.push_back(item.text);
  picture_.SetItems(texts);
  const Size size = picture_.size();
  Rect rect{at.x, at.y, at.x + size.cx, at.y + size.cy};
  if (flags & TPM_RIGHTALIGN) rect = Rect{at.x - size.cx, rect.top, at.x, rect.bottom};
  if (flags & TPM_BOTTOMALIGN) rect = Rect{rect.left, at.y - size.cy, rect.right, at.y};
  if (const auto monitor = MonitorFromPoint(at)) {
    const Rect& work = monitor->work;
    const int left = std::clamp(rect.left, work.left, std::max(work.left, work.right - size.cx));
    const int top = std::clamp(rect.top, work.top, std::max(work.top, work.bottom - size.cy));
    rect = Rect{left, top, left + size.cx, top + size.cy};
  }
  owner_ = owner;
  hot_ = -1;
  SetWindowPos(hwnd_, nullptr, rect.left, rect.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  Present();
  // Shown without taking the focus: a focus change the owner makes meanwhile
  // (it comes to the front as the menu opens) must not close the menu. A
  // press outside still does (see "Pop-ups" in window_backend.h).
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  return true;
}

void PopupMenu::Close() {
  hot_ = -1;
  if (hwnd_ != nullptr && IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

bool PopupMenu::IsShown() const { return hwnd_ != nullptr && IsWindowVisible(hwnd_); }

Rect PopupMenu::ItemScreenRect(int index) const {
  if (!IsShown()) return Rect{};
  Rect row = picture_.ItemRect(index);
  Point origin{0, 0};
  if (row.IsEmpty() || !ClientToScreen(hwnd_, &origin)) return Rect{};
  return Rect{row.left + origin.x, row.top + origin.y, row.right + origin.x, row.bottom + origin.y};
}

void PopupMenu::Present() { UpdateLayeredWindow(hwnd_, picture_.Draw(hot_)); }

void PopupMenu::SetHot(int index) {
  if (index == hot_) return;
  hot_ = index;
  Present();
}

void PopupMenu::MoveHot(int step) {
  const int count = static_cast<int>(items_.size());
  if (count == 0) return;
  if (hot_ < 0) {
    SetHot(step > 0 ? 0 : count - 1);
  } else {
    SetHot((hot_ + step + count) % count);
  }
}

void PopupMenu::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  const uint16_t id = items_[static_cast<size_t>(index)].id;
  const HWND owner = owner_;
  Close();
  PostMessage(owner, WM_COMMAND, MakeWParam(id, 0), 0);
}

LRESULT PopupMenu::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCT*>(lparam);
    SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* menu = reinterpret_cast<PopupMenu*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  if (menu == nullptr || message == WM_NCCREATE) return DefWindowProc(hwnd, message, wparam, lparam);
  return menu->HandleMessage(message, wparam, lparam);
}

LRESULT PopupMenu::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const Point point{GetXLParam(lparam), GetYLParam(lparam)};
  switch (message) {
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track;
      track.dwFlags = TME_LEAVE;
      track.hwndTrack = hwnd_;
      TrackMouseEvent(&track);
      SetHot(picture_.ItemAt(point));
      return 0;
    }
    case WM_MOUSELEAVE:
      SetHot(-1);
      return 0;
    case WM_LBUTTONUP:
      Choose(picture_.ItemAt(point));
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        Close();
      } else if (wparam == VK_UP || wparam == VK_DOWN) {
        MoveHot(wparam == VK_UP ? -1 : 1);
      } else if (wparam == VK_RETURN) {
        Choose(hot_);
      }
      return 0;
    case WM_KILLFOCUS:
      Close();
      return 0;
    case WM_PAINT:
      if (IsWindowVisible(hwnd_)) Present();
      ValidateRect(hwnd_, nullptr);
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProc(hwnd_, message, wparam, lparam);
  }
}

}  // namespace platform
