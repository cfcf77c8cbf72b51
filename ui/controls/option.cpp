#include "ui/controls/option.h"

#include <algorithm>
#include <vector>

#include "ui/window.h"

namespace ui {

template <typename InheritType>
OptionTemplate<InheritType>::~OptionTemplate() {
  LeaveGroup();
}

template <typename InheritType>
void OptionTemplate<InheritType>::LeaveGroup() {
  if (!group_.empty() && this->window_ != nullptr) this->window_->RemoveOptionGroup(group_, this);
}

template <typename InheritType>
void OptionTemplate<InheritType>::SetWindow(Window* window, Box* parent, bool init) {
  CheckBoxTemplate<InheritType>::SetWindow(window, parent, init);
  if (init && !group_.empty() && this->window_ != nullptr) {
    this->window_->AddOptionGroup(group_, this);
  }
}

template <typename InheritType>
void OptionTemplate<InheritType>::Activate() {
  if (!this->IsActivatable()) return;
  std::weak_ptr<kbase::WeakFlag> alive = this->GetWeakFlag();
  if (this->window_ != nullptr) {
    this->FireEvent(kEventClick);
    if (alive.expired()) return;
  }
  if (this->IsActivatable()) Selected(true, true);
}

template <typename InheritType>
void OptionTemplate<InheritType>::SetAttribute(const std::u16string& name,
                                               const std::u16string& value) {
  if (name == u"group") {
    SetGroup(value);
  } else {
    CheckBoxTemplate<InheritType>::SetAttribute(name, value);
  }
}

template <typename InheritType>
bool OptionTemplate<InheritType>::UnselectOtherMembers(bool trigger) {
  const std::vector<Control*>* live = this->window_->GetOptionGroup(group_);
  if (live == nullptr) return true;
  // The "unselect" handlers may change the group (a member leaves, joins or
  // is deleted): walk a copy, and skip a member that is no longer in the
  // group by the time its turn comes.
  const std::vector<Control*> members = *live;
  std::weak_ptr<kbase::WeakFlag> alive = this->GetWeakFlag();
  Window* window = this->window_;
  const std::u16string group = group_;
  for (Control* member : members) {
    if (member == this) continue;
    const std::vector<Control*>* now = window->GetOptionGroup(group);
    if (now == nullptr) break;
    if (std::find(now->begin(), now->end(), member) == now->end()) continue;
    auto* option = dynamic_cast<OptionTemplate<InheritType>*>(member);
    if (option == nullptr) continue;
    option->Selected(false, trigger);
    if (alive.expired()) return false;
  }
  return true;
}

template <typename InheritType>
void OptionTemplate<InheritType>::Selected(bool select, bool trigger) {
  this->selected_ = select;
  if (this->window_ != nullptr) {
    std::weak_ptr<kbase::WeakFlag> alive = this->GetWeakFlag();
    if (select) {
      if (!group_.empty() && !UnselectOtherMembers(trigger)) return;
      // A handler may have unselected this option meanwhile; it fires
      // "select" only while it is still the selected one.
      if (trigger && this->selected_) this->FireEvent(kEventSelect);
    } else {
      this->FireEvent(kEventUnSelect);
    }
    if (alive.expired()) return;
  }
  this->Invalidate();
}

template <typename InheritType>
std::u16string OptionTemplate<InheritType>::GetGroup() const {
  return group_;
}

template <typename InheritType>
void OptionTemplate<InheritType>::SetGroup(const std::u16string& group) {
  if (!group.empty()) {
    if (group == group_) return;
    LeaveGroup();
    group_ = group;
  } else {
    if (group_.empty()) return;
    LeaveGroup();
    group_.clear();
  }
  if (this->window_ != nullptr && !group_.empty()) this->window_->AddOptionGroup(group_, this);
  Selected(this->selected_, true);
}

template class OptionTemplate<Control>;
template class OptionTemplate<Box>;

}  // namespace ui
