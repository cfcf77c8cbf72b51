#include "ui/window.h"

#include <algorithm>
#include <utility>

#include "base/framework/message_loop.h"
#include "platform/clock/clock.h"
#include "ui/box.h"
#include "ui/control.h"

namespace ui {
namespace {

Control* AcceptAny(Control* control, void* /*data*/) { return control; }

Control* NeedsArrange(Control* control, void* /*data*/) {
  return control->NeedsArrange() ? control : nullptr;
}

void DispatchFocusEvent(Control* control, int type, UiPoint point) {
  EventArgs event;
  event.Type = type;
  event.pSender = control;
  event.ptMouse = point;
  event.dwTimestamp = platform::GetTickCount();
  control->DispatchEvent(event);
}

}  // namespace

Window::Window() = default;

Window::~Window() {
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
    while (Control* control = root_->FindControl(NeedsArrange, nullptr,
                                                 kFindVisible | kFindMeFirst)) {
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

void Window::InvalidateArea(const UiRect& /*area*/) {}

void Window::ClearInputTargets() {
  event_hover_candidate_ = nullptr;
  event_hover_ = nullptr;
  event_click_ = nullptr;
  event_key_ = nullptr;
  event_touch_ = nullptr;
  event_pointer_ = nullptr;
}

}  // namespace ui
