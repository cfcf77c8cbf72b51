#include "project/Launcher/windows/find_sub_control.h"

#include <algorithm>

#include "ui/control.h"

namespace MainComponents {
namespace {

char16_t FoldCase(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameNameIgnoringCase(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

ui::Control* MatchName(ui::Control* control, void* data) {
  const auto* name = static_cast<const std::u16string*>(data);
  return SameNameIgnoringCase(control->GetName(), *name) ? control : nullptr;
}

}  // namespace

ui::Control* FindSubControl(ui::Control* root, const std::u16string& name) {
  if (root == nullptr || name.empty()) return nullptr;
  std::u16string wanted = name;
  return root->FindControl(&MatchName, &wanted, ui::kFindMeFirst);
}

}  // namespace MainComponents
