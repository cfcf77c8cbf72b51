#include "ui/window_message_handler.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/window/notify_header.h"
#include "platform/window/tooltip_window.h"
#include "platform/window/window_api.h"
#include "ui/control.h"
#include "ui/i_ui_message_filter.h"
#include "ui/tab_key_consumer.h"
#include "ui/window.h"

namespace ui {
namespace {

using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

// Messages reflected to the child window that sent them come back to it
// under this offset.
constexpr UINT kReflectOffset = 0x2000;
// A touch message never names more inputs than fingers on a screen; a
// larger count is not worth a buffer.
constexpr uint32_t kMaxTouchInputs = 256;

UiPoint PointFromLParam(LPARAM lparam) {
  return UiPoint{platform::GetXLParam(lparam), platform::GetYLParam(lparam)};
}

// The walk behind Tab and Shift+Tab over the visible, enabled controls, each
// container before its children.
struct TabWalk {
  Control* focus = nullptr;
  bool forward = true;
  bool passed_focus = false;
  Control* last_seen = nullptr;

  static Control* Visit(Control* control, void* data) {
    auto* walk = static_cast<TabWalk*>(data);
    if (control == walk->focus && walk->focus != nullptr) {
      if (!walk->forward && walk->last_seen != nullptr) return walk->last_seen;
      walk->passed_focus = true;
      return nullptr;
    }
    if (!control->CanTabFocus()) return nullptr;
    walk->last_seen = control;
    // Backward with the focus on the first control: go on to the end, so
    // the last control seen is the one to wrap to.
    const bool ends = walk->forward ? (walk->passed_focus || walk->focus == nullptr)
                                    : walk->focus == nullptr;
    return ends ? control : nullptr;
  }
};

Control* RunTabWalk(Control* root, TabWalk* walk) {
  return root->FindControl(&TabWalk::Visit, walk, kFindVisible | kFindEnabled | kFindMeFirst);
}

}  // namespace

WindowMessageHandler::WindowMessageHandler(Window& window) : window_(window) {}

WindowMessageHandler::~WindowMessageHandler() = default;

LRESULT WindowMessageHandler::ProcessMessage(UINT message, WPARAM wparam, LPARAM lparam,
                                             bool& handled) {
  handled = false;
  LRESULT result = 0;
  if (RunMessageFilters(message, wparam, lparam, &result)) {
    handled = true;
    return result;
  }
  switch (message) {
    case platform::WM_SIZE:
      OnSize();
      handled = true;
      return 0;
    case platform::WM_KILLFOCUS:
      OnKillFocus(wparam, lparam);
      return 0;
    case platform::WM_PAINT:
      window_.Paint();
      handled = true;
      return 0;
    case platform::WM_CLOSE:
      OnClose();
      return 0;
    case platform::WM_ERASEBKGND:
      handled = true;
      return 1;
    case platform::WM_SETCURSOR:
      handled = OnSetCursor(wparam, lparam);
      return 0;
    case platform::WM_NOTIFY:
      handled = OnNotify(wparam, lparam, &result);
      return result;
    case platform::WM_CONTEXTMENU:
      OnContextMenu(wparam, lparam);
      return 0;
    case platform::WM_KEYDOWN:
      OnKeyDown(wparam, lparam);
      return 0;
    case platform::WM_KEYUP:
      OnKeyUp(wparam, lparam);
      return 0;
    case platform::WM_CHAR:
      OnFocusedKeyEvent(kEventChar, wparam, lparam);
      return 0;
    case platform::WM_IME_STARTCOMPOSITION:
      OnFocusedKeyEvent(kEventImeStartComposition, wparam, lparam);
      return 0;
    case platform::WM_IME_ENDCOMPOSITION:
      OnFocusedKeyEvent(kEventImeEndComposition, wparam, lparam);
      return 0;
    case platform::WM_COMMAND:
    case platform::WM_CTLCOLOREDIT:
    case platform::WM_CTLCOLORSTATIC:
      handled = OnReflectToChild(message, wparam, lparam, &result);
      return result;
    case platform::WM_MOUSEMOVE:
      OnMouseMove(wparam, lparam);
      return 0;
    case platform::WM_LBUTTONDOWN:
      OnButtonDown(kEventMouseButtonDown, true, wparam, lparam);
      return 0;
    case platform::WM_LBUTTONUP:
      OnButtonUp(kEventMouseButtonUp, false, wparam, lparam);
      return 0;
    case platform::WM_LBUTTONDBLCLK:
      OnButtonDown(kEventInternalDoubleClick, false, wparam, lparam);
      return 0;
    case platform::WM_RBUTTONDOWN:
      OnButtonDown(kEventMouseRButtonDown, true, wparam, lparam);
      return 0;
    case platform::WM_RBUTTONUP:
      // Stays pushed: the context menu that follows goes to it.
      OnButtonUp(kEventMouseRButtonUp, true, wparam, lparam);
      return 0;
    case platform::WM_MOUSEWHEEL:
      OnMouseWheel(wparam, lparam);
      return 0;
    case platform::WM_TOUCH:
      OnTouch(wparam, lparam);
      return 0;
    case platform::WM_POINTERUPDATE:
    case platform::WM_POINTERDOWN:
    case platform::WM_POINTERUP:
    case platform::WM_POINTERLEAVE:
    case platform::WM_POINTERCAPTURECHANGED:
      handled = OnPointer(message, wparam, lparam, &result);
      return result;
    case platform::WM_MOUSEHOVER:
      mouse_tracking_ = false;
      handled = OnMouseHover(wparam, lparam);
      return 0;
    case platform::WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case kMsgDelayedDestroy:
      window_.OnDelayedDestroy();
      return 0;
    default:
      return 0;
  }
}

bool WindowMessageHandler::RunMessageFilters(UINT message, WPARAM wparam, LPARAM lparam,
                                             LRESULT* result) {
  // By index: a filter may remove itself (or another) while it runs.
  std::vector<IUIMessageFilter*>& filters = window_.message_filters_;
  for (size_t i = 0; i < filters.size(); ++i) {
    bool filter_handled = false;
    const LRESULT filter_result = filters[i]->MessageHandler(message, wparam, lparam, filter_handled);
    // A mouse move always reaches every filter and the controls.
    if (filter_handled && message != platform::WM_MOUSEMOVE) {
      *result = filter_result;
      return true;
    }
  }
  return false;
}

void WindowMessageHandler::Deliver(Control* control, int type, UiPoint point, WPARAM wparam,
                                   LPARAM lparam, char16_t key, float pressure) {
  if (control == nullptr) return;
  EventArgs event;
  event.Type = type;
  event.pSender = control;
  event.ptMouse = point == UiPoint{} ? window_.last_mouse_point_ : point;
  event.chKey = key;
  event.wParam = wparam;
  event.lParam = lparam;
  event.pressure = pressure;
  event.dwTimestamp = platform::GetTickCount();
  control->DispatchEvent(event);
}

Control* WindowMessageHandler::OwnControlAt(UiPoint point) const {
  Control* control = window_.FindControlAtPoint(point);
  return control != nullptr && control->GetWindow() == &window_ ? control : nullptr;
}

bool WindowMessageHandler::HasTouchOrPointerCapture() const {
  return window_.event_touch_ != nullptr || window_.event_pointer_ != nullptr;
}

bool WindowMessageHandler::HasAnyCapture() const {
  return window_.event_click_ != nullptr || HasTouchOrPointerCapture();
}

void WindowMessageHandler::TakeCapture() {
  platform::SetCapture(window_.hwnd_);
  mouse_captured_ = true;
}

void WindowMessageHandler::ReleaseCapture() {
  platform::ReleaseCapture();
  mouse_captured_ = false;
}

void WindowMessageHandler::HideTooltip() {
  if (tooltip_ != nullptr) tooltip_->TrackActivate(false);
}

bool WindowMessageHandler::HandleMouseEnterLeave(UiPoint point, WPARAM wparam, LPARAM lparam) {
  Control* candidate = window_.FindControlAtPoint(point);
  window_.event_hover_candidate_ = candidate;
  if (candidate != nullptr && candidate->GetWindow() != &window_) return false;
  if (window_.event_hover_ != nullptr && window_.event_hover_ != candidate) {
    Control* left = window_.event_hover_;
    window_.event_hover_ = nullptr;
    Deliver(left, kEventMouseLeave, UiPoint{}, 0, 0);
    HideTooltip();
  }
  // The handlers above may have removed the candidate.
  candidate = window_.event_hover_candidate_;
  if (candidate != nullptr && candidate != window_.event_hover_) {
    window_.event_hover_ = candidate;
    Deliver(candidate, kEventMouseEnter, point, wparam, lparam);
  }
  return true;
}

void WindowMessageHandler::OnSize() {
  Deliver(window_.focus_, kEventWindowSize, UiPoint{}, 0, 0);
  if (window_.root_ != nullptr) window_.root_->Arrange();
}

// The lParam of a focus change carries no point: the last mouse point stays
// where the pointer last was.
void WindowMessageHandler::OnKillFocus(WPARAM wparam, LPARAM lparam) {
  Control* captured = window_.event_pointer_ != nullptr ? window_.event_pointer_
                      : window_.event_touch_ != nullptr ? window_.event_touch_
                                                        : window_.event_click_;
  if (captured == nullptr || !captured->IsReleaseOnFocusLoss()) return;
  ReleaseCapture();
  window_.event_click_ = nullptr;
  window_.event_touch_ = nullptr;
  window_.event_pointer_ = nullptr;
  Deliver(captured, kEventMouseButtonUp, UiPoint{}, wparam, lparam);
}

void WindowMessageHandler::OnClose() {
  HideTooltip();
  Control* hovered = window_.event_hover_;
  window_.event_hover_ = nullptr;
  Deliver(hovered, kEventMouseLeave, UiPoint{}, 0, 0);
  // Each read after the previous handler ran: one may remove another.
  for (Control** captured : {&window_.event_click_, &window_.event_touch_, &window_.event_pointer_}) {
    Control* control = *captured;
    *captured = nullptr;
    Deliver(control, kEventMouseButtonUp, UiPoint{}, 0, 0);
  }
  window_.SetFocus(nullptr);
  const platform::HWND owner = platform::GetWindow(window_.hwnd_, platform::GW_OWNER);
  if (owner != nullptr) platform::SetFocus(owner);
}

bool WindowMessageHandler::OnSetCursor(WPARAM wparam, LPARAM lparam) {
  if (platform::LoWord(static_cast<uint64_t>(lparam)) != platform::HTCLIENT) return false;
  if (mouse_captured_ || HasAnyCapture()) return true;
  UiPoint point;
  platform::GetCursorPos(&point);
  platform::ScreenToClient(window_.hwnd_, &point);
  window_.last_mouse_point_ = point;
  Control* control = window_.FindControlAtPoint(point);
  if (control == nullptr) return false;
  Deliver(control, kEventSetCursor, point, wparam, lparam);
  return true;
}

// Only a child window of this process gets the reflection: the handle is
// looked up, never dereferenced.
bool WindowMessageHandler::OnReflectToChild(UINT message, WPARAM wparam, LPARAM lparam,
                                            LRESULT* result) {
  const auto child = reinterpret_cast<platform::HWND>(lparam);
  if (child == nullptr || !platform::IsWindow(child) || platform::IsForeignWindow(child)) return false;
  *result = platform::SendMessage(child, message + kReflectOffset, wparam, lparam);
  return true;
}

// The lParam is read only when it is a header that this thread is sending
// now; a number from anywhere else is not a pointer to follow.
bool WindowMessageHandler::OnNotify(WPARAM wparam, LPARAM lparam, LRESULT* result) {
  const platform::NMHDR* header = platform::NotifyHeaderFromLParam(lparam);
  if (header == nullptr) return false;
  const platform::HWND from = header->hwndFrom;
  if (from == nullptr || !platform::IsWindow(from) || platform::IsForeignWindow(from)) return false;
  *result = platform::SendMessage(from, platform::WM_NOTIFY + kReflectOffset, wparam, lparam);
  return true;
}

// The point comes in screen coordinates; (-1, -1) is a menu asked for by
// the keyboard and stays as it is, meaning "no point".
void WindowMessageHandler::OnContextMenu(WPARAM wparam, LPARAM lparam) {
  UiPoint point = PointFromLParam(lparam);
  if (point.x != -1 || point.y != -1) platform::ScreenToClient(window_.hwnd_, &point);
  window_.last_mouse_point_ = point;
  Control* pushed = window_.event_click_;
  if (pushed == nullptr) return;
  ReleaseCapture();
  window_.event_click_ = nullptr;
  Deliver(pushed, kEventInternalMenu, UiPoint{}, wparam, reinterpret_cast<LPARAM>(pushed));
}

void WindowMessageHandler::OnKeyDown(WPARAM wparam, LPARAM lparam) {
  Control* focus = window_.focus_;
  if (focus == nullptr) return;
  if (wparam == platform::VK_TAB) {
    const auto* taker = dynamic_cast<const TabKeyConsumer*>(focus);
    if (taker != nullptr && taker->IsWantTab() && focus->IsVisible() && focus->IsEnabled()) return;
    const bool shift = platform::GetKeyState(platform::VK_SHIFT) < 0;
    SetNextTabControl(!shift);
    return;
  }
  window_.event_key_ = focus;
  focus->FireEvent(kEventKeyDown, wparam, lparam, static_cast<char16_t>(platform::LoWord(wparam)));
}

void WindowMessageHandler::OnKeyUp(WPARAM wparam, LPARAM lparam) {
  Control* key_down = window_.event_key_;
  if (key_down == nullptr) return;
  window_.event_key_ = nullptr;
  key_down->FireEvent(kEventKeyUp, wparam, lparam, static_cast<char16_t>(platform::LoWord(wparam)));
}

void WindowMessageHandler::OnFocusedKeyEvent(int type, WPARAM wparam, LPARAM lparam) {
  Control* focus = window_.focus_;
  if (focus == nullptr) return;
  focus->FireEvent(type, wparam, lparam, static_cast<char16_t>(platform::LoWord(wparam)));
}

void WindowMessageHandler::OnMouseMove(WPARAM wparam, LPARAM lparam) {
  if (HasTouchOrPointerCapture()) return;
  if (!mouse_tracking_) {
    platform::TRACKMOUSEEVENT track;
    track.dwFlags = platform::TME_HOVER | platform::TME_LEAVE;
    track.hwndTrack = window_.hwnd_;
    track.dwHoverTime = tooltip_ != nullptr ? tooltip_->GetInitialDelay()
                                            : platform::TooltipWindow::kDefaultInitialDelayMs;
    platform::TrackMouseEvent(&track);
    mouse_tracking_ = true;
  }
  const UiPoint point = PointFromLParam(lparam);
  window_.last_mouse_point_ = point;
  if (!HandleMouseEnterLeave(point, wparam, lparam)) return;
  Control* target = window_.event_click_ != nullptr ? window_.event_click_
                                                    : window_.event_hover_candidate_;
  Deliver(target, kEventMouseMove, point, wparam, lparam);
}

void WindowMessageHandler::OnButtonDown(int type, bool take_focus, WPARAM wparam, LPARAM lparam) {
  if (HasTouchOrPointerCapture()) return;
  platform::SetFocus(window_.hwnd_);
  const UiPoint point = PointFromLParam(lparam);
  window_.last_mouse_point_ = point;
  Control* control = OwnControlAt(point);
  if (control == nullptr) return;
  window_.event_click_ = control;
  if (take_focus) control->SetFocus();
  TakeCapture();
  // The focus handlers may have removed it.
  Deliver(window_.event_click_, type, point, wparam, lparam);
}

void WindowMessageHandler::OnButtonUp(int type, bool keep_pushed, WPARAM wparam, LPARAM lparam) {
  const UiPoint point = PointFromLParam(lparam);
  window_.last_mouse_point_ = point;
  ReleaseCapture();
  Control* pushed = window_.event_click_;
  if (pushed == nullptr) return;
  if (!keep_pushed) window_.event_click_ = nullptr;
  Deliver(pushed, type, point, wparam, lparam);
}

// The point comes in screen coordinates.
void WindowMessageHandler::OnMouseWheel(WPARAM wparam, LPARAM lparam) {
  UiPoint point = PointFromLParam(lparam);
  platform::ScreenToClient(window_.hwnd_, &point);
  window_.last_mouse_point_ = point;
  Control* control = OwnControlAt(point);
  if (control == nullptr) return;
  // Sign-extended: a turn toward the user is negative.
  const auto delta = static_cast<int64_t>(platform::GetWheelDelta(wparam));
  Deliver(control, kEventMouseScrollWheel, UiPoint{}, static_cast<WPARAM>(delta), lparam);
}

bool WindowMessageHandler::OnMouseHover(WPARAM wparam, LPARAM lparam) {
  const UiPoint point = PointFromLParam(lparam);
  Control* control = window_.FindControlAtPoint(point);
  if (control == nullptr) return false;
  std::weak_ptr<kbase::WeakFlag> alive = control->GetWeakFlag();
  Deliver(window_.event_hover_, kEventMouseHover, point, wparam, lparam);
  if (alive.expired() || window_.hwnd_ == nullptr) return true;
  if (tooltip_ == nullptr) {
    tooltip_ = std::make_unique<platform::TooltipWindow>(window_.hwnd_);
    tooltip_->SetInitialDelay(platform::TooltipWindow::kDefaultInitialDelayMs);
  }
  tooltip_->SetMaxTipWidth(control->GetToolTipWidth());
  tooltip_->SetToolInfo(control->GetToolTipText(), control->GetPos(true));
  tooltip_->TrackActivate(true);
  return true;
}

void WindowMessageHandler::OnMouseLeave() {
  HideTooltip();
  // Off the window: the hovered control gets its "mouseleave". Also after a
  // hover ended the tracking: a pointer that leaves without moving first
  // would otherwise leave the control hot.
  if (mouse_tracking_ || window_.event_hover_ != nullptr) {
    platform::SendMessage(window_.hwnd_, platform::WM_MOUSEMOVE, 0, -1);
  }
  mouse_tracking_ = false;
}

void WindowMessageHandler::OnTouch(WPARAM wparam, LPARAM lparam) {
  platform::TouchPointerSource* source = platform::GetTouchPointerSource();
  if (source == nullptr) return;
  const auto handle = static_cast<platform::HTOUCHINPUT>(lparam);
  const uint32_t count = platform::LoWord(wparam);
  bool ran_to_end = true;
  if (count > 0 && count <= kMaxTouchInputs) {
    std::vector<platform::TOUCHINPUT> inputs(count);
    if (source->GetTouchInputInfo(handle, count, inputs.data()) && inputs[0].dwID != 0) {
      ran_to_end = HandleTouchInput(inputs[0], lparam);
    }
  }
  if (ran_to_end) source->CloseTouchInputHandle(handle);
}

bool WindowMessageHandler::HandleTouchInput(const platform::TOUCHINPUT& input, LPARAM lparam) {
  UiPoint point{input.x / 100, input.y / 100};
  platform::ScreenToClient(window_.hwnd_, &point);
  if ((input.dwFlags & platform::TOUCHEVENTF_DOWN) != 0) {
    if (window_.event_click_ != nullptr || window_.event_pointer_ != nullptr) return false;
    platform::SetFocus(window_.hwnd_);
    last_touch_point_ = point;
    Control* control = OwnControlAt(point);
    if (control == nullptr) return true;
    window_.event_touch_ = control;
    control->SetFocus();
    TakeCapture();
    Deliver(window_.event_touch_, kEventTouchDown, point, 0, lparam);
    return true;
  }
  if ((input.dwFlags & platform::TOUCHEVENTF_MOVE) != 0) {
    if (window_.event_click_ != nullptr || window_.event_pointer_ != nullptr) return false;
    if (point == last_touch_point_) return true;
    last_touch_point_ = point;
    if (window_.event_touch_ != nullptr && HandleMouseEnterLeave(point, 0, 0)) {
      Deliver(window_.event_touch_, kEventTouchMove, point, 0, 0);
    }
    return true;
  }
  if ((input.dwFlags & platform::TOUCHEVENTF_UP) != 0) {
    last_touch_point_ = point;
    ReleaseCapture();
    Control* touched = window_.event_touch_;
    window_.event_touch_ = nullptr;
    Deliver(touched, kEventTouchUp, point, 0, lparam);
  }
  return true;
}

bool WindowMessageHandler::OnPointer(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  // Only the primary pointer; the others are swallowed.
  if ((platform::HiWord(wparam) & platform::POINTER_MESSAGE_FLAG_PRIMARY) == 0) return true;
  platform::TouchPointerSource* source = platform::GetTouchPointerSource();
  if (source == nullptr) return false;
  const uint32_t id = platform::LoWord(wparam);
  uint32_t type = 0;
  if (!source->GetPointerType(id, &type)) return false;
  platform::PointerSample sample;
  const bool sampled = (type == platform::PT_TOUCH && source->GetPointerTouchInfo(id, &sample)) ||
                       (type == platform::PT_PEN && source->GetPointerPenInfo(id, &sample));
  if (!sampled) return false;
  UiPoint point = sample.pixel_location;
  platform::ScreenToClient(window_.hwnd_, &point);
  const float pressure = static_cast<float>(sample.pressure) / 1024.0f;

  Control* target = nullptr;
  int type_of_event = kEventPointUp;
  if (message == platform::WM_POINTERUPDATE || message == platform::WM_POINTERDOWN) {
    if (window_.event_click_ != nullptr || window_.event_touch_ != nullptr) return true;
    window_.last_mouse_point_ = point;
    if (message == platform::WM_POINTERUPDATE) {
      if (window_.event_pointer_ == nullptr || !HandleMouseEnterLeave(point, wparam, lparam)) return false;
      target = window_.event_pointer_;
      type_of_event = kEventPointMove;
    } else {
      platform::SetFocus(window_.hwnd_);
      Control* control = OwnControlAt(point);
      if (control == nullptr) return false;
      window_.event_pointer_ = control;
      control->SetFocus();
      TakeCapture();
      target = window_.event_pointer_;
      type_of_event = kEventPointDown;
    }
  } else {
    window_.last_mouse_point_ = point;
    ReleaseCapture();
    target = window_.event_pointer_;
    window_.event_pointer_ = nullptr;
  }
  if (target == nullptr) return false;
  // A control that takes pointer input itself keeps the system from making
  // mouse messages of it.
  const bool receives = target->IsReceivePointer();
  Deliver(target, type_of_event, point, wparam, lparam, 0, pressure);
  return receives;
}

bool WindowMessageHandler::SetNextTabControl(bool forward) {
  if (window_.need_arrange_ && forward) {
    if (window_.hwnd_ != nullptr) platform::InvalidateRect(window_.hwnd_, nullptr, false);
    return true;
  }
  Control* root = window_.root_;
  if (root == nullptr) return true;
  TabWalk walk;
  walk.focus = window_.focus_;
  walk.forward = forward;
  Control* found = RunTabWalk(root, &walk);
  if (found == nullptr) {
    if (forward) {
      // Again from the top, once: with nothing to focus it ends here.
      TabWalk again;
      found = RunTabWalk(root, &again);
    } else {
      found = walk.last_seen;
    }
  }
  if (found != nullptr) found->SetFocus();
  return true;
}

}  // namespace ui
