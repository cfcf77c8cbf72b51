#include "project/Launcher/windows/ui_dump.h"

#include <json/json.h>
#include <unistd.h>

#include <cstdio>

#include "base/util/string_util.h"
#include "platform/window/window_api.h"
#include "ui/box.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/slider.h"
#include "ui/registered_window_list.h"
#include "ui/tab_box.h"
#include "ui/window.h"

namespace {

// The layout tag a control was most likely made from, most derived first.
const char* TagOf(ui::Control* control) {
  if (dynamic_cast<ui::Option*>(control) || dynamic_cast<ui::OptionBox*>(control)) return "Option";
  if (dynamic_cast<ui::CheckBox*>(control) || dynamic_cast<ui::CheckBoxBox*>(control)) return "CheckBox";
  if (dynamic_cast<ui::Button*>(control) || dynamic_cast<ui::ButtonBox*>(control)) return "Button";
  if (dynamic_cast<ui::Slider*>(control)) return "Slider";
  if (dynamic_cast<ui::Progress*>(control)) return "Progress";
  if (dynamic_cast<ui::Label*>(control) || dynamic_cast<ui::LabelBox*>(control)) return "Label";
  if (dynamic_cast<ui::RichEdit*>(control)) return "RichEdit";
  if (dynamic_cast<ui::TabBox*>(control)) return "TabBox";
  if (dynamic_cast<ui::Box*>(control)) return "Box";
  return "Control";
}

bool VisibleWithAncestors(ui::Control* control) {
  for (ui::Control* c = control; c != nullptr; c = c->GetParent()) {
    if (!c->IsVisible()) return false;
  }
  return true;
}

template <typename Labelled>
bool ReadText(ui::Control* control, Json::Value& line) {
  auto* label = dynamic_cast<Labelled*>(control);
  if (label == nullptr) return false;
  line["text"] = kbase::UTF16ToUTF8(label->GetText());
  line["text_id"] = kbase::UTF16ToUTF8(label->GetTextId());
  return true;
}

Json::Value ControlLine(const std::string& windowClass, platform::HWND hwnd, ui::Control* control) {
  Json::Value line(Json::objectValue);
  line["window"] = windowClass;
  // The window itself is on the screen (shown, not minimised).
  line["window_shown"] = platform::IsWindowVisible(hwnd) && !platform::IsIconic(hwnd);
  // The window takes the mouse and keys (a dialog's owner does not while the
  // dialog, or a picker it opened, is up).
  line["window_enabled"] = platform::IsWindowEnabled(hwnd);
  line["name"] = kbase::UTF16ToUTF8(control->GetName());
  line["tag"] = TagOf(control);
  line["text"] = "";
  line["text_id"] = "";
  if (!ReadText<ui::Label>(control, line)) ReadText<ui::LabelBox>(control, line);
  // An edit field's text is what the user typed (or what the field made of it).
  if (auto* edit = dynamic_cast<ui::RichEdit*>(control)) line["text"] = edit->GetUTF8Text();
  line["visible"] = VisibleWithAncestors(control);
  line["enabled"] = control->IsEnabled();
  line["state"] = static_cast<int>(control->GetState());
  bool selected = false;
  if (auto* check = dynamic_cast<ui::CheckBox*>(control)) selected = check->IsSelected();
  if (auto* check = dynamic_cast<ui::CheckBoxBox*>(control)) selected = check->IsSelected();
  line["selected"] = selected;
  double value = 0;
  if (auto* progress = dynamic_cast<ui::Progress*>(control)) value = progress->GetValue();
  if (auto* tabs = dynamic_cast<ui::TabBox*>(control)) value = tabs->GetCurSel();
  line["value"] = value;
  // The image the control shows in its normal state (a pause button turns
  // into a continue button by its images alone).
  line["image"] = kbase::UTF16ToUTF8(
      control->GetStateImageMap().GetImagePath(ui::kStateImageBk, ui::kControlStateNormal));
  // Inside a scrolled box a control keeps its unscrolled place; where it is
  // drawn, and where a click reaches it, is moved by the box's scroll offset.
  const ui::UiRect pos = control->GetPos(true);
  const ui::UiSize scrolled = control->GetAncestorScrollOffset();
  platform::Point origin{-scrolled.cx, -scrolled.cy};
  platform::ClientToScreen(hwnd, &origin);
  Json::Value rect(Json::arrayValue);
  rect.append(pos.left + origin.x);
  rect.append(pos.top + origin.y);
  rect.append(pos.right + origin.x);
  rect.append(pos.bottom + origin.y);
  line["rect"] = rect;
  return line;
}

std::string OneLine(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value) + "\n";
}

void DumpTree(const std::string& windowClass, platform::HWND hwnd, ui::Control* control, std::string& out,
              int& count) {
  if (control == nullptr) return;
  out += OneLine(ControlLine(windowClass, hwnd, control));
  ++count;
  if (auto* box = dynamic_cast<ui::Box*>(control)) {
    for (int i = 0; i < box->GetCount(); ++i) DumpTree(windowClass, hwnd, box->GetItemAt(static_cast<size_t>(i)), out, count);
  }
}

}  // namespace

std::string UiDump::Lines() {
  std::string out;
  int windows = 0;
  int controls = 0;
  for (const ui::RegisteredWindowList::Entry& entry : ui::RegisteredWindowList::GetInstance().entries()) {
    if (entry.window == nullptr) continue;
    ++windows;
    DumpTree(kbase::UTF16ToUTF8(entry.window->GetWindowClassName()), entry.hwnd, entry.window->GetRoot(), out,
             controls);
  }
  Json::Value end(Json::objectValue);
  end["end"] = true;
  end["windows"] = windows;
  end["controls"] = controls;
  out += OneLine(end);
  return out;
}

bool UiDump::WriteTo(const std::string& path) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  const std::string lines = Lines();
  const bool written = std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}
