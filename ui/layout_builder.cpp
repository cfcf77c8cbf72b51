#include "ui/layout_builder.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/window_api.h"
#include "ui/attribute_value.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"
#include "ui/language_table.h"
#include "ui/registered_window_list.h"
#include "ui/wide_text.h"
#include "ui/widget_factory.h"
#include "ui/window.h"

namespace ui {

namespace {

// The files being built, outermost first, in normalised form; and how many
// includes the current top-level build has made so far.
std::vector<std::u16string>& Chain() {
  static std::vector<std::u16string> chain;
  return chain;
}
int g_include_builds = 0;
// Builds running now, nested ones included: the include count starts afresh
// with each outermost build.
int g_active_builds = 0;

class ActiveBuild {
 public:
  ActiveBuild() {
    if (g_active_builds++ == 0) g_include_builds = 0;
  }
  ~ActiveBuild() { --g_active_builds; }
  ActiveBuild(const ActiveBuild&) = delete;
  ActiveBuild& operator=(const ActiveBuild&) = delete;
};

std::u16string ChainKey(const std::u16string& file) {
  std::u16string key = file;
  for (char16_t& c : key) {
    if (c == u'\\') c = u'/';
  }
  return NormalizeFilePath(key);
}

// A layout file on disk: a relative name joins the resource path, and the
// "\\" separators a skin may hold become "/".
std::u16string DiskPath(const std::u16string& layout) {
  std::u16string path = layout;
  const bool absolute = !path.empty() && (path[0] == u'/' || path[0] == u'\\');
  if (!absolute) path = GlobalManager::GetResourcePath() + path;
  for (char16_t& c : path) {
    if (c == u'\\') c = u'/';
  }
  return path;
}

bool IsSpecialElement(std::u16string_view tag) {
  return tag == u"Image" || tag == u"Font" || tag == u"Class" || tag == u"TextColor";
}

std::u16string Attribute(MarkupNode& node, std::u16string_view name) {
  std::u16string value;
  node.GetLastAttributeValue(name, &value);
  return value;
}

// Appends name="value" to a class list; a value holding a double quote is
// enclosed in single quotes, and one holding both kinds cannot be written
// into a list and is left out.
void AppendQuoted(std::u16string* list, const std::u16string& name, const std::u16string& value) {
  char16_t quote = u'"';
  if (value.find(u'"') != std::u16string::npos) {
    if (value.find(u'\'') != std::u16string::npos) return;
    quote = u'\'';
  }
  *list += u' ';
  *list += name;
  *list += u'=';
  *list += quote;
  *list += value;
  *list += quote;
}

// A "Class" element as a class name and its attribute list.
void ReadClass(MarkupNode node, std::u16string* name, std::u16string* list) {
  const int count = node.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const std::u16string attribute = node.GetAttributeName(i);
    const std::u16string value = node.GetAttributeValue(i);
    if (attribute == u"name") {
      *name = value;
    } else if (attribute == u"value") {
      *list += value;
    } else if (attribute == u"_value") {
      AppendQuoted(list, u"value", value);
    } else {
      AppendQuoted(list, attribute, value);
    }
  }
  size_t start = 0;
  while (start < list->size() && ((*list)[start] == u' ' || (*list)[start] < 30)) ++start;
  list->erase(0, start);
}

uint32_t ParseHexColor(const std::u16string& text) {
  uint32_t value = 0;
  for (char16_t c : text) {
    int digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return value;
}

UiRect ShadowCorners(const Window* window) {
  return window->IsShadowAttached() ? window->GetShadowCorner() : UiRect{};
}

// The work-area share: a height within the minimum and maximum height, plus
// the shadow; values outside (0, 1] would size the window negative or past
// the screen, and are ignored.
void ApplyHeightPercent(Window* window, const std::u16string& value) {
  const double percent = std::strtod(Utf16ToUtf8(value).c_str(), nullptr);
  if (!std::isfinite(percent) || percent <= 0 || percent > 1) return;
  window->SetHeightPercent(percent);
  const std::optional<platform::MonitorInfo> monitor = platform::MonitorFromWindow(window->GetHWND());
  if (!monitor) return;
  const UiRect corner = ShadowCorners(window);
  int height = static_cast<int>((monitor->work.bottom - monitor->work.top) * percent);
  const int min_height = window->GetMinInfo().cy - corner.top - corner.bottom;
  const int max_height = window->GetMaxInfo().cy - corner.top - corner.bottom;
  if (window->GetMinInfo().cy != 0 && height < min_height) height = min_height;
  if (window->GetMaxInfo().cy != 0 && height > max_height) height = max_height;
  int width = window->GetInitSize().cx;
  if (width == 0) width = corner.left + corner.right;
  window->StoreInitSize(UiSize{width, height + corner.top + corner.bottom});
}

void ApplyExpand(Window* window, const std::u16string& value) {
  const UiSize shrink = ParseSizeValue(value);
  platform::HWND owner = platform::GetWindow(window->GetHWND(), platform::GW_OWNER);
  if (owner == nullptr) return;
  for (platform::HWND up = platform::GetWindow(owner, platform::GW_OWNER); up != nullptr;
       up = platform::GetWindow(up, platform::GW_OWNER)) {
    owner = up;
  }
  Window* owner_window = RegisteredWindowList::GetInstance().Find(owner);
  platform::Rect rect;
  if (owner_window == nullptr || !platform::GetWindowRect(owner, &rect)) return;
  const UiRect theirs = ShadowCorners(owner_window);
  const UiRect ours = ShadowCorners(window);
  const int cx = rect.right - rect.left - theirs.left - theirs.right + ours.left + ours.right - shrink.cx;
  const int cy = rect.bottom - rect.top - theirs.top - theirs.bottom + ours.top + ours.bottom - shrink.cy;
  window->StoreInitSize(UiSize{cx, cy});
}

// A min or max size: scaled, and the shadow added when it is attached.
UiSize WindowLimit(const Window* window, const std::u16string& value) {
  UiSize size = ParseSizeValue(value);
  DpiManager* dpi = DpiManager::GetInstance();
  size.cx = dpi->ScaleInt(size.cx);
  size.cy = dpi->ScaleInt(size.cy);
  const UiRect corner = ShadowCorners(window);
  if (size.cx != 0) size.cx += corner.left + corner.right;
  if (size.cy != 0) size.cy += corner.top + corner.bottom;
  return size;
}

void ApplyWindowAttribute(Window* window, const std::u16string& name, const std::u16string& value) {
  DpiManager* dpi = DpiManager::GetInstance();
  if (name == u"size") {
    const UiSize size = ParseSizeValue(value);
    window->SetInitSize(size.cx, size.cy);
  } else if (name == u"mininfo") {
    window->SetMinInfo(WindowLimit(window, value));
  } else if (name == u"maxinfo") {
    window->SetMaxInfo(WindowLimit(window, value));
  } else if (name == u"roundcorner") {
    const UiSize size = ParseSizeValue(value);
    window->SetRoundCorner(UiSize{dpi->ScaleInt(size.cx), dpi->ScaleInt(size.cy)});
  } else if (name == u"caption") {
    UiRect rect = ParseRectValue(value);
    dpi->ScaleRect(&rect);
    window->SetCaptionRect(rect);
  } else if (name == u"sizebox") {
    window->SetSizeBox(ParseRectValue(value));
  } else if (name == u"edging") {
    UiRect rect = ParseRectValue(value);
    dpi->ScaleRect(&rect);
    window->SetEdging(rect);
  } else if (name == u"alphafixcorner" || name == u"custom_shadow") {
    UiRect rect = ParseRectValue(value);
    dpi->ScaleRect(&rect);
    window->SetAlphaFixCorner(rect);
  } else if (name == u"shadowattached") {
    window->SetShadowAttached(ParseBoolValue(value));
  } else if (name == u"shadowimage") {
    window->SetShadowImage(value);
  } else if (name == u"shadowcorner") {
    window->SetShadowCorner(ParseRectValue(value));
  } else if (name == u"textid") {
    platform::SetWindowText(window->GetHWND(), LanguageTable::GetInstance().GetText(value));
  } else if (name == u"heightpercent") {
    ApplyHeightPercent(window, value);
  } else if (name == u"expand") {
    ApplyExpand(window, value);
  }
}

// A handler that applies the list to the receiver while the control lives.
EventCallback MakeApplyHandler(Control* control, const std::u16string& receiver,
                               const std::u16string& list) {
  std::weak_ptr<kbase::WeakFlag> alive = control->GetWeakFlag();
  return [alive, control, receiver, list](EventArgs* event) {
    if (alive.expired()) return true;
    return control->OnApplyAttributeList(receiver, list, event);
  };
}

}  // namespace

bool LayoutBuilder::IsFileOnChain(const std::u16string& file) {
  const std::u16string key = ChainKey(file);
  for (const std::u16string& entry : Chain()) {
    if (entry == key) return true;
  }
  return false;
}

LayoutBuilder::ChainEntry::ChainEntry(const std::u16string& file) {
  if (IsFileOnChain(file) || Chain().size() >= static_cast<size_t>(kMaxIncludeDepth)) return;
  Chain().push_back(ChainKey(file));
  entered_ = true;
}

LayoutBuilder::ChainEntry::~ChainEntry() {
  if (entered_) Chain().pop_back();
}

bool LayoutBuilder::Load(const std::u16string& layout) {
  if (!layout.empty() && layout[0] == u'<') return document_.LoadFromString(layout);
  if (SkinArchive::Get() != nullptr) {
    std::string bytes;
    if (GlobalManager::ReadZipEntry(GlobalManager::GetResourcePath() + layout, &bytes)) {
      return document_.LoadFromMember(bytes);
    }
  }
  return document_.LoadFromFile(DiskPath(layout));
}

Control* LayoutBuilder::Create(const std::u16string& layout, const CreateControlCallback& callback,
                               Window* window, Box* parent, Box* box) {
  const bool is_file = layout.empty() || layout[0] != u'<';
  std::unique_ptr<ChainEntry> entry;
  if (is_file) {
    entry = std::make_unique<ChainEntry>(layout);
    if (!entry->Entered()) return nullptr;  // it includes itself, or nests too deep
  }
  if (!Load(layout)) return nullptr;
  return CreateFromRoot(callback, window, parent, box);
}

Control* LayoutBuilder::CreateFromRoot(const CreateControlCallback& callback, Window* window,
                                       Box* parent, Box* box) {
  ActiveBuild active;
  callback_ = callback;
  MarkupNode root = document_.GetRoot();
  if (!root.IsValid()) return nullptr;
  if (window != nullptr) {
    const std::u16string_view tag = root.GetName();
    if (tag == u"Global") {
      ApplyGlobalRoot(root);
    } else if (tag == u"Window") {
      ApplyWindowRoot(root, window);
    }
  }

  MarkupNode first = root.GetChild();
  while (first.IsValid() && IsSpecialElement(first.GetName())) first = first.GetSibling();
  if (!first.IsValid()) return nullptr;

  if (box != nullptr) {
    const int count = first.GetAttributeCount();
    for (int i = 0; i < count; ++i) box->SetAttribute(first.GetAttributeName(i), first.GetAttributeValue(i));
    ParseChildren(first, box, window);
    return box;
  }
  return ParseChildren(root, parent, window);
}

void LayoutBuilder::ApplyGlobalRoot(MarkupNode root) {
  const int count = root.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const std::u16string_view name = root.GetAttributeName(i);
    if (name == u"defaultfontcolor") {
      GlobalManager::SetDefaultTextColor(root.GetAttributeValue(i));
    } else if (name == u"disabledfontcolor") {
      GlobalManager::SetDefaultDisabledTextColor(root.GetAttributeValue(i));
    }
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::u16string_view tag = node.GetName();
    if (tag == u"Font") {
      if (!node.GetLastAttributeValue(u"name", nullptr)) continue;
      std::u16string size_text;
      const int size = node.GetLastAttributeValue(u"size", &size_text) ? ParseIntValue(size_text) : 12;
      GlobalManager::AddFont(Attribute(node, u"id"), Attribute(node, u"name"), size,
                             ParseBoolValue(Attribute(node, u"bold")),
                             ParseBoolValue(Attribute(node, u"underline")),
                             ParseBoolValue(Attribute(node, u"italic")),
                             ParseBoolValue(Attribute(node, u"default")));
    } else if (tag == u"TextColor") {
      const std::u16string name = Attribute(node, u"name");
      const std::u16string value = Attribute(node, u"value");
      if (name.empty() || value.empty()) continue;
      GlobalManager::AddTextColor(name, ParseHexColor(value.substr(1)));
    } else if (tag == u"Class") {
      std::u16string name;
      std::u16string list;
      ReadClass(node, &name, &list);
      if (!name.empty()) GlobalManager::AddClass(name, list);
    }
  }
}

void LayoutBuilder::ApplyWindowRoot(MarkupNode root, Window* window) {
  if (window->GetHWND() != nullptr) {
    const int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
      ApplyWindowAttribute(window, root.GetAttributeName(i), root.GetAttributeValue(i));
    }
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    if (std::u16string_view(node.GetName()) != u"Class") continue;
    std::u16string name;
    std::u16string list;
    ReadClass(node, &name, &list);
    if (!name.empty()) window->AddClass(name, list);
  }
}

Control* LayoutBuilder::CreateControlByClass(const std::u16string& tag) {
  return WidgetFactory::GetInstance().Create(tag);
}

Control* LayoutBuilder::CreateControlForTag(const std::u16string& tag) {
  if (Control* control = CreateControlByClass(tag)) return control;
  const CreateControlCallback& global = GlobalManager::GetCreateControlCallback();
  if (global) {
    if (Control* control = global(tag)) return control;
  }
  if (callback_) return callback_(tag);
  return nullptr;
}

void LayoutBuilder::BuildInclude(MarkupNode element, Control* parent, Window* window) {
  std::u16string source;
  if (!element.GetLastAttributeValue(u"source", &source)) return;
  // A longer name would have been cut into some other file's name.
  if (source.empty() || source.size() > kMaxSourceLength) return;
  std::u16string count_text;
  int count = element.GetLastAttributeValue(u"count", &count_text) ? ParseIntValue(count_text) : 1;
  if (count > kMaxIncludeCount) count = kMaxIncludeCount;
  for (int i = 0; i < count; ++i) {
    if (g_include_builds >= kMaxIncludeBuilds) return;
    ++g_include_builds;
    LayoutBuilder builder;
    if (!builder.Create(source, callback_, window, static_cast<Box*>(parent), nullptr) &&
        IsFileOnChain(source)) {
      return;  // a file that includes itself: no later pass can build it either
    }
  }
}

Control* LayoutBuilder::ParseChildren(MarkupNode element, Control* parent, Window* window) {
  Control* first = nullptr;
  for (MarkupNode node = element.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::u16string tag = node.GetName();
    if (IsSpecialElement(tag)) continue;
    if (tag == u"Include") {
      // Without a box to receive them the included controls would have no
      // owner: nothing is built.
      if (dynamic_cast<Box*>(parent) != nullptr) BuildInclude(node, parent, window);
      continue;
    }
    Control* control = CreateControlByClass(tag);
    if (control == nullptr && (tag == u"Event" || tag == u"BubbledEvent")) {
      if (parent != nullptr) AttachXmlEvent(tag == u"BubbledEvent", node, parent);
      continue;
    }
    if (control == nullptr) control = CreateControlForTag(tag);
    if (control == nullptr) continue;  // nothing makes this tag: skipped with its children

    control->SetWindowOnly(window);
    const int count = node.GetAttributeCount();
    for (int i = 0; i < count; ++i) control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
    if (node.HasChildren()) ParseChildren(node, control, window);

    if (parent != nullptr) {
      Box* box = dynamic_cast<Box*>(parent);
      if (box == nullptr) {
        delete control;
        return first;
      }
      if (!box->Add(control)) {
        delete control;
        continue;
      }
    } else if (first != nullptr) {
      delete control;
      continue;
    }
    if (first == nullptr) first = control;
  }
  return first;
}

void LayoutBuilder::AttachXmlEvent(bool bubbled, MarkupNode element, Control* control) {
  if (control == nullptr) return;
  std::u16string type;
  std::u16string receiver;
  std::u16string list;
  element.GetLastAttributeValue(u"type", &type);
  element.GetLastAttributeValue(u"receiver", &receiver);
  element.GetLastAttributeValue(u"applyattribute", &list);
  Box* box = dynamic_cast<Box*>(control);
  if (bubbled && box == nullptr) return;
  for (const std::u16string& type_word : SplitString(type, u" ")) {
    const int event_type = EventTypeFromName(type_word);
    for (const std::u16string& receiver_word : SplitString(receiver, u" ")) {
      EventCallback handler = MakeApplyHandler(control, receiver_word, list);
      if (bubbled) {
        box->AttachXmlBubbledEvent(event_type, handler);
      } else {
        control->AttachXmlEvent(event_type, handler);
      }
    }
  }
}

}  // namespace ui
