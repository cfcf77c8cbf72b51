#include "ui/window.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/framework/message_loop.h"
#include "platform/clock/clock.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "ui/auto_clip.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/layout.h"
#include "ui/registered_window_list.h"
#include "ui/render/i_render_context.h"
#include "ui/render/i_render_factory.h"
#include "ui/timer_manager.h"
#include "ui/window_message_handler.h"

namespace ui {
namespace {

Control* AcceptAny(Control* control, void* /*data*/) { return control; }

// A control that still waits for its layout and was not laid out in this
// round; a control whose layout asks for itself again waits for the next
// paint instead of holding the paint in a loop.
Control* NeedsArrangeOnce(Control* control, void* data) {
  const auto* arranged = static_cast<const std::set<Control*>*>(data);
  return control->NeedsArrange() && arranged->count(control) == 0 ? control : nullptr;
}

constexpr uint32_t kCloseDelayMs = 300;

void DispatchFocusEvent(Control* control, int type, UiPoint point) {
  EventArgs event;
  event.Type = type;
  event.pSender = control;
  event.ptMouse = point;
  event.dwTimestamp = platform::GetTickCount();
  control->DispatchEvent(event);
}

}  // namespace

Window::Window() : message_handler_(std::make_unique<WindowMessageHandler>(*this)) {}

Window::~Window() {
  LeaveWindowList();
  OnDelayedDestroy();
  Control* root = root_;
  root_ = nullptr;
  delete root;
  // Destructors of the tree may have queued more.
  OnDelayedDestroy();
}

bool Window::AttachRoot(Control* root) {
  SetFocus(nullptr);
  ClearInputTargets();
  if (root_ != nullptr && root_ != root) {
    root_->SetWindow(this, nullptr, false);
    AddDelayedDestroy(root_);
  }
  root_ = root;
  need_arrange_ = true;
  first_layout_pending_ = true;
  if (root_ == nullptr) return false;
  root_->SetWindow(this, root_->GetParent(), true);
  RegisterNamedControls(root_);
  return true;
}

void Window::RegisterNamedControls(Control* subtree) {
  if (subtree == nullptr) return;
  struct Visitor {
    static Control* Register(Control* control, void* data) {
      auto* window = static_cast<Window*>(data);
      const std::u16string& name = control->GetName();
      if (name.empty()) return nullptr;
      auto& entry = window->named_controls_[name];
      if (entry != nullptr && entry != control) {
        auto& names = window->names_of_[entry];
        names.erase(std::remove(names.begin(), names.end(), name), names.end());
        if (names.empty()) window->names_of_.erase(entry);
      }
      if (entry != control) {
        entry = control;
        window->names_of_[control].push_back(name);
      }
      return nullptr;  // visit every control
    }
  };
  subtree->FindControl(&Visitor::Register, this, 0);
}

Control* Window::FindControlByName(const std::u16string& name) const {
  auto it = named_controls_.find(name);
  return it == named_controls_.end() ? nullptr : it->second;
}

void Window::ForgetControl(Control* control) {
  for (Control** target : {&event_key_, &event_hover_, &event_hover_candidate_, &event_click_,
                           &event_touch_, &event_pointer_, &focus_}) {
    if (*target == control) *target = nullptr;
  }
  auto names = names_of_.find(control);
  if (names == names_of_.end()) return;
  for (const std::u16string& name : names->second) {
    auto entry = named_controls_.find(name);
    if (entry != named_controls_.end() && entry->second == control) named_controls_.erase(entry);
  }
  names_of_.erase(names);
}

Control* Window::FindControlAtPoint(UiPoint point) const {
  if (root_ == nullptr) return nullptr;
  return root_->FindControl(AcceptAny, &point, kFindVisible | kFindHitTest | kFindTopFirst);
}

void Window::SetFocus(Control* control) {
  if (hwnd_ != nullptr && control != nullptr && control != focus_ && platform::GetFocus() != hwnd_) {
    platform::SetFocus(hwnd_);
  }
  if (control == focus_) return;
  if (focus_ != nullptr) {
    Control* old = focus_;
    std::weak_ptr<kbase::WeakFlag> old_alive = old->GetWeakFlag();
    DispatchFocusEvent(old, kEventInternalKillFocus, last_mouse_point_);
    focus_ = nullptr;
    if (!old_alive.expired()) DispatchFocusEvent(old, kEventKillFocus, last_mouse_point_);
  }
  if (control == nullptr) return;
  if (control->GetWindow() != this || !control->IsVisible() || !control->IsEnabled()) return;
  focus_ = control;
  DispatchFocusEvent(control, kEventInternalSetFocus, last_mouse_point_);
  if (focus_ == control) DispatchFocusEvent(control, kEventSetFocus, last_mouse_point_);
}

bool Window::SetNextTabControl(bool forward) { return message_handler_->SetNextTabControl(forward); }

bool Window::HandleMouseEnterLeave(UiPoint point, platform::WPARAM wparam, platform::LPARAM lparam) {
  return message_handler_->HandleMouseEnterLeave(point, wparam, lparam);
}

void Window::AddMessageFilter(IUIMessageFilter* filter) {
  if (filter == nullptr) return;
  if (std::find(message_filters_.begin(), message_filters_.end(), filter) != message_filters_.end()) return;
  message_filters_.push_back(filter);
}

void Window::RemoveMessageFilter(IUIMessageFilter* filter) {
  message_filters_.erase(std::remove(message_filters_.begin(), message_filters_.end(), filter),
                         message_filters_.end());
}

platform::LRESULT Window::ProcessMessage(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled) {
  return message_handler_->ProcessMessage(message, wparam, lparam, handled);
}

bool Window::AddOptionGroup(const std::u16string& group, Control* control) {
  std::vector<Control*>& members = option_groups_[group];
  if (std::find(members.begin(), members.end(), control) != members.end()) return false;
  members.push_back(control);
  return true;
}

const std::vector<Control*>* Window::GetOptionGroup(const std::u16string& group) const {
  auto it = option_groups_.find(group);
  return it == option_groups_.end() ? nullptr : &it->second;
}

void Window::RemoveOptionGroup(const std::u16string& group, Control* control) {
  auto it = option_groups_.find(group);
  if (it == option_groups_.end()) return;
  auto member = std::find(it->second.begin(), it->second.end(), control);
  if (member != it->second.end()) it->second.erase(member);
  if (it->second.empty()) option_groups_.erase(it);
}

void Window::AddClass(const std::u16string& name, const std::u16string& attributes) {
  classes_[name] = attributes;
}

std::u16string Window::GetClassAttributes(const std::u16string& name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? std::u16string() : it->second;
}

void Window::SetResourcePath(const std::u16string& path) {
  resource_path_ = path;
  if (!resource_path_.empty() && resource_path_.back() != u'\\' && resource_path_.back() != u'/') {
    resource_path_.push_back(u'\\');
  }
}

void Window::ArrangePending(const UiRect& client) {
  if (!need_arrange_ || root_ == nullptr) return;
  need_arrange_ = false;
  if (!client.IsEmpty() && root_->NeedsArrange()) {
    root_->SetPos(client);
  } else {
    std::set<Control*> arranged;
    while (Control* control = root_->FindControl(NeedsArrangeOnce, &arranged,
                                                 kFindVisible | kFindMeFirst)) {
      arranged.insert(control);
      control->SetPos(control->GetPos(true));
    }
  }
  first_layout_pending_ = false;
}

void Window::AddDelayedDestroy(Control* control) {
  delayed_destroy_.push_back(control);
  PostDelayedDestroy();
}

void Window::PostDelayedDestroy() {
  // One pending post: a box that drops thousands of children must not fill
  // the thread's queue with as many messages.
  if (delayed_destroy_posted_) return;
  kbase::MessageLoop* loop = kbase::MessageLoop::Current();
  if (loop == nullptr) return;  // deleted with the window
  delayed_destroy_posted_ = true;
  ++delayed_destroy_posts_;
  loop->PostTask(WrapWeak([this] { OnDelayedDestroy(); }));
}

void Window::OnDelayedDestroy() {
  delayed_destroy_posted_ = false;
  // Destructors may queue more controls (a box that drops children, a
  // control that removes another): take the list out each round and go on
  // until nothing is left, so no entry is read while the list changes.
  while (!delayed_destroy_.empty()) {
    std::vector<Control*> doomed;
    doomed.swap(delayed_destroy_);
    for (Control* control : doomed) delete control;
  }
}

void Window::InvalidateArea(const UiRect& area) {
  if (hwnd_ == nullptr) return;
  platform::InvalidateRect(hwnd_, &area, false);
}

void Window::ClearInputTargets() {
  event_hover_candidate_ = nullptr;
  event_hover_ = nullptr;
  event_click_ = nullptr;
  event_key_ = nullptr;
  event_touch_ = nullptr;
  event_pointer_ = nullptr;
}

std::u16string Window::GetWindowClassName() const { return u"UiWindow"; }

uint32_t Window::GetClassStyle() const { return 0; }

platform::HWND Window::Create(platform::HWND parent, const std::u16string& name, uint32_t style,
                              uint32_t ex_style, bool layered, const UiRect& rect) {
  platform::WNDCLASS window_class;
  window_class.style = GetClassStyle();
  window_class.lpfnWndProc = &Window::WindowProc;
  window_class.lpszClassName = GetWindowClassName();
  if (!platform::RegisterClass(window_class) &&
      platform::GetLastError() != platform::ERROR_CLASS_ALREADY_EXISTS) {
    return nullptr;
  }
  layered_ = layered;
  if (layered) ex_style |= platform::WS_EX_LAYERED;
  platform::HWND hwnd =
      platform::CreateWindowEx(ex_style, window_class.lpszClassName, name, style, rect.left,
                               rect.top, rect.Width(), rect.Height(), parent, this);
  if (hwnd == nullptr) return nullptr;
  const auto current = platform::GetWindowLongPtr(hwnd, platform::GWL_STYLE);
  if ((current & platform::WS_CAPTION) != 0) {
    platform::SetWindowLongPtr(hwnd, platform::GWL_STYLE, current & ~platform::LONG_PTR{platform::WS_CAPTION});
  }
  return hwnd;
}

platform::LRESULT Window::WindowProc(platform::HWND hwnd, platform::UINT message,
                                     platform::WPARAM wparam, platform::LPARAM lparam) {
  Window* window = nullptr;
  if (message == platform::WM_NCCREATE) {
    const auto* create = reinterpret_cast<const platform::CREATESTRUCT*>(lparam);
    window = static_cast<Window*>(create->lpCreateParams);
    window->hwnd_ = hwnd;
    platform::SetWindowLongPtr(hwnd, platform::GWLP_USERDATA,
                               reinterpret_cast<platform::LONG_PTR>(window));
  } else {
    window = reinterpret_cast<Window*>(platform::GetWindowLongPtr(hwnd, platform::GWLP_USERDATA));
  }
  if (window == nullptr) return platform::DefWindowProc(hwnd, message, wparam, lparam);
  if (message == platform::WM_NCDESTROY) {
    const platform::LRESULT result = platform::DefWindowProc(hwnd, message, wparam, lparam);
    platform::SetWindowLongPtr(hwnd, platform::GWLP_USERDATA, 0);
    window->LeaveWindowList();
    window->hwnd_ = nullptr;
    return result;
  }
  return window->HandleMessage(message, wparam, lparam);
}

platform::LRESULT Window::HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                        platform::LPARAM lparam) {
  bool handled = false;
  const platform::LRESULT result = ProcessMessage(message, wparam, lparam, handled);
  if (handled) return result;
  return platform::DefWindowProc(hwnd_, message, wparam, lparam);
}

void Window::AttachWindowHandle(platform::HWND hwnd) {
  hwnd_ = hwnd;
  render_.reset();
  if (IRenderFactory* factory = GlobalManager::GetRenderFactory()) {
    render_ = factory->CreateRenderContext();
  }
  RegisteredWindowList::GetInstance().Add(this, hwnd);
  platform::SendMessage(hwnd, kMsgWindowOnTop, 0, 0);
}

void Window::LeaveWindowList() {
  RegisteredWindowList& list = RegisteredWindowList::GetInstance();
  const auto& entries = list.entries();
  const bool was_last = !entries.empty() && entries.back().window == this;
  const bool listed = std::any_of(entries.begin(), entries.end(),
                                  [this](const auto& entry) { return entry.window == this; });
  if (!listed) return;
  list.Remove(this);
  if (was_last && !list.entries().empty()) {
    platform::SendMessage(list.entries().back().hwnd, kMsgWindowOnTop, 0, 0);
  }
}

void Window::Close(platform::WPARAM code) {
  if (hwnd_ == nullptr || !platform::IsWindow(hwnd_)) return;
  if (root_ == nullptr) {
    platform::PostMessage(hwnd_, platform::WM_CLOSE, code, 0);
    return;
  }
  root_->SetFadeVisible(false);
  const platform::HWND hwnd = hwnd_;
  TimerManager::GetInstance()->AddTimer(
      close_flag_.GetWeakFlag(),
      [hwnd, code] { platform::PostMessage(hwnd, platform::WM_CLOSE, code, 0); }, kCloseDelayMs,
      1);
}

void Window::FadeIn() {
  if (root_ == nullptr) return;
  AnimationPlayer* player = root_->GetAnimationManager().SetFadeAlpha(true);
  if (player == nullptr) return;
  alpha_ = 0;
  // The window's constant alpha fades, not the root's own: the picture is
  // presented whole at each step.
  player->SetCallback(WrapWeak([this](int value) {
    alpha_ = value;
    if (root_ != nullptr) InvalidateArea(root_->GetPos(true));
  }));
  root_->SetFadeVisible(true);
}

void Window::Paint() {
  platform::PAINTSTRUCT paint;
  if (hwnd_ == nullptr) return;
  if (root_ == nullptr || platform::IsIconic(hwnd_)) {
    platform::BeginPaint(hwnd_, &paint);
    platform::EndPaint(hwnd_, &paint);
    return;
  }
  SizeWindowToContent();
  UiRect update;
  if (!platform::GetUpdateRect(hwnd_, &update, false) && !first_layout_pending_) return;
  UiRect client;
  UiRect window_rect;
  platform::GetClientRect(hwnd_, &client);
  platform::GetWindowRect(hwnd_, &window_rect);
  platform::BeginPaint(hwnd_, &paint);
  update = paint.rcPaint;

  const bool first_layout = first_layout_pending_;
  ArrangePending(client);
  if (first_layout && !first_layout_pending_) FadeIn();

  if (render_ == nullptr) {
    platform::EndPaint(hwnd_, &paint);
    return;
  }
  if (render_->Resize(client.Width(), client.Height(), true)) {
    render_->SetRenderTransparent(!shadow_.IsShadowAttached());
    update = client;
  }
  if (update.IsEmpty()) update = client;
  if (layered_) render_->ClearAlpha(update, 0);
  {
    AutoClip clip(render_.get(), update);
    const UiPoint old_origin = render_->OffsetWindowOrg(render_offset_);
    root_->PaintContent(render_.get(), update);
    root_->PaintChildren(render_.get(), update);
    render_->SetWindowOrg(old_origin);
  }
  if (layered_) {
    UiRect corner;
    const UiRect opaque = AlphaRestoreRect(update, &corner);
    if (!opaque.IsEmpty()) render_->RestoreAlpha(opaque, corner, 0);
  }
  platform::PresentBuffer picture;
  picture.pixels = reinterpret_cast<const uint32_t*>(render_->GetBits());
  picture.width = render_->GetWidth();
  picture.height = render_->GetHeight();
  picture.stride_bytes = picture.width * 4;
  picture.constant_alpha = static_cast<uint8_t>(layered_ ? alpha_ : 255);
  if (picture.pixels != nullptr) platform::UpdateLayeredWindow(hwnd_, picture);
  platform::EndPaint(hwnd_, &paint);
}

void Window::SizeWindowToContent() {
  if (!need_arrange_ || !root_->NeedsArrange()) return;
  if (root_->GetFixedWidth() != kSizeAuto && root_->GetFixedHeight() != kSizeAuto) return;
  constexpr int kUnbounded = 99999;
  UiSize size = root_->EstimateSize(UiSize{kUnbounded, kUnbounded});
  size.cx = std::max(size.cx, root_->GetMinWidth());
  if (root_->GetMaxWidth() >= 0) size.cx = std::min(size.cx, root_->GetMaxWidth());
  size.cy = std::max(size.cy, root_->GetMinHeight());
  size.cy = std::min(size.cy, root_->GetMaxHeight());
  UiRect window_rect;
  if (!platform::GetWindowRect(hwnd_, &window_rect)) return;
  // A side that stretches has no size of its own: the window keeps its size
  // on that side instead of collapsing.
  if (size.cx < 0) size.cx = window_rect.Width();
  if (size.cy < 0) size.cy = window_rect.Height();
  platform::MoveWindow(hwnd_, window_rect.left, window_rect.top, size.cx, size.cy, true);
}

// The part of the picture that must come out opaque however its pixels were
// drawn: inside the shadow, inside the alpha-fix corner, or the area of the
// previous initial size centred in the window.
UiRect Window::AlphaRestoreRect(const UiRect& update, UiRect* corner) const {
  *corner = UiRect{};
  const Box* root_box = dynamic_cast<const Box*>(root_);
  const UiRect inner = root_box != nullptr ? root_box->GetPosWithoutPadding() : root_->GetPos(true);
  if (shadow_.IsShadowAttached() && render_offset_ == UiPoint{}) {
    if (root_box != nullptr && root_box->GetLayout() != nullptr) {
      const UiRect padding = root_box->GetLayout()->GetPadding();
      *corner = UiRect{padding.left + 1, padding.top + 1, padding.right + 1, padding.bottom + 1};
    }
    return IntersectRect(update, inner);
  }
  const UiRect& fix = alpha_fix_corner_;
  if (fix.left > 0 || fix.top > 0 || fix.right > 0 || fix.bottom > 0) {
    const UiRect shrunk{inner.left + fix.left, inner.top + fix.top, inner.right - fix.right,
                        inner.bottom - fix.bottom};
    return IntersectRect(update, shrunk);
  }
  if (previous_init_size_.cx > 0 && previous_init_size_.cy > 0) {
    UiRect window_rect;
    platform::GetWindowRect(hwnd_, &window_rect);
    const UiRect c = shadow_.IsShadowAttached() ? shadow_.GetShadowCorner() : UiRect{};
    const int mx = (window_rect.Width() - c.left - c.right - c.left - c.right) / 2;
    const int my = (window_rect.Height() - c.top - c.bottom - c.top - c.bottom) / 2;
    const UiSize prev = previous_init_size_;
    return UiRect{edging_.left + mx - prev.cx / 2, edging_.top + my - prev.cy / 2,
                  prev.cx / 2 + mx - edging_.right, prev.cy / 2 + my - edging_.bottom};
  }
  return UiRect{};
}

void Window::CenterWindow() {
  if (hwnd_ == nullptr) return;
  UiRect rect;
  if (!platform::GetWindowRect(hwnd_, &rect)) return;
  const platform::HWND owner = platform::GetWindow(hwnd_, platform::GW_OWNER);
  std::optional<platform::MonitorInfo> monitor =
      platform::MonitorFromWindow(owner != nullptr ? owner : hwnd_);
  if (!monitor) monitor = platform::PrimaryMonitor();
  const UiRect work = monitor ? monitor->work : UiRect{};
  UiRect center = work;
  if (owner != nullptr && !platform::IsIconic(owner)) platform::GetWindowRect(owner, &center);
  const int width = rect.Width();
  const int height = rect.Height();
  int x = (center.left + center.right) / 2 - width / 2;
  int y = (center.top + center.bottom) / 2 - height / 2;
  if (owner == nullptr) {
    if (x < work.left) {
      x = work.left;
    } else if (x + width > work.right) {
      x = work.right - width;
    }
    if (y < work.top) {
      y = work.top;
    } else if (y + height > work.bottom) {
      y = work.bottom - height;
    }
  }
  platform::SetWindowPos(hwnd_, nullptr, x, y, -1, -1,
                         platform::SWP_NOSIZE | platform::SWP_NOZORDER | platform::SWP_NOACTIVATE);
}

void Window::SetInitSize(int cx, int cy, bool scale_by_dpi) {
  if (scale_by_dpi) {
    const int scale = DpiManager::GetInstance()->GetScale();
    cx = MulDiv(cx, scale, 100);
    cy = MulDiv(cy, scale, 100);
  }
  if (shadow_.IsShadowAttached()) {
    const UiRect corner = shadow_.GetShadowCorner();
    cx += corner.left + corner.right;
    cy += corner.top + corner.bottom;
  }
  StoreInitSize(UiSize{cx, cy});
}

void Window::StoreInitSize(UiSize size) {
  if (init_size_.cx != 0 && init_size_.cy != 0) previous_init_size_ = init_size_;
  init_size_ = size;
  if (root_ == nullptr && hwnd_ != nullptr) {
    platform::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                           platform::SWP_NOACTIVATE | platform::SWP_NOZORDER |
                               platform::SWP_NOMOVE);
  }
}

}  // namespace ui
