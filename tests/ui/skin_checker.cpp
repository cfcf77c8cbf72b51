#include "tests/ui/skin_checker.h"

#include <json/json.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>

#include "ui/language_table.h"
#include "ui/markup_document.h"
#include "ui/wide_text.h"
#include "ui/zip_reader.h"

namespace ui::testing {
namespace {

struct Element {
  std::string tag;
  std::vector<std::pair<std::string, std::string>> attributes;
};

struct Layout {
  std::string root;
  std::vector<Element> elements;  // the root's descendants, depth first
  std::vector<std::pair<std::string, std::string>> root_attributes;
};

std::vector<std::pair<std::string, std::string>> AttributesOf(MarkupNode node) {
  std::vector<std::pair<std::string, std::string>> attributes;
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    attributes.emplace_back(Utf16ToUtf8(node.GetAttributeName(i)),
                            Utf16ToUtf8(node.GetAttributeValue(i)));
  }
  return attributes;
}

void Collect(MarkupNode node, std::vector<Element>* out) {
  for (MarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
    out->push_back({Utf16ToUtf8(child.GetName()), AttributesOf(child)});
    Collect(child, out);
  }
}

// The layout as the layout builder reads an archive member: UTF-8 taken as
// it is, so a byte-order mark makes it fail.
std::optional<Layout> ParseLayout(const std::string& bytes, std::string* error) {
  MarkupDocument document;
  if (!document.LoadFromMember(bytes)) {
    *error = Utf16ToUtf8(document.GetErrorMessage()) + " at '" +
             Utf16ToUtf8(document.GetErrorExcerpt()) + "'";
    return std::nullopt;
  }
  MarkupNode root = document.GetRoot();
  if (!root.IsValid()) {
    *error = "empty document";
    return std::nullopt;
  }
  Layout layout;
  layout.root = Utf16ToUtf8(root.GetName());
  layout.root_attributes = AttributesOf(root);
  Collect(root, &layout.elements);
  return layout;
}

std::string Folder(const std::string& member) {
  size_t slash = member.rfind('/');
  return slash == std::string::npos ? std::string() : member.substr(0, slash + 1);
}

// A relative skin path joined to a folder, "." and ".." resolved, the way
// the framework turns it into a member name.
std::string Resolve(const std::string& folder, std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  std::vector<std::string> parts;
  std::stringstream joined(folder + path);
  std::string part;
  while (std::getline(joined, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

// The pairs of an attribute list: name='value' or name="value", one blank
// between pairs.
std::vector<std::pair<std::string, std::string>> ParseAttributeList(const std::string& list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  size_t pos = 0;
  while (pos < list.size()) {
    size_t eq = list.find('=', pos);
    if (eq == std::string::npos || eq + 1 >= list.size()) break;
    char quote = list[eq + 1];
    if (quote != '\'' && quote != '"') break;
    size_t close = list.find(quote, eq + 2);
    if (close == std::string::npos) break;
    pairs.emplace_back(list.substr(pos, eq - pos), list.substr(eq + 2, close - eq - 2));
    pos = close + 1;
    if (pos < list.size() && list[pos] == ' ') ++pos;
  }
  return pairs;
}

// The file an image attribute string names: its "file" or "res" pair, or the
// whole string when it holds no pair.
std::string ImageFile(const std::string& value) {
  for (const char* key : {"file='", "res='"}) {
    size_t at = value.find(key);
    if (at == std::string::npos) continue;
    size_t begin = at + std::string(key).size();
    size_t end = value.find('\'', begin);
    return value.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  }
  return value.find('=') == std::string::npos ? value : std::string();
}

bool IsImageAttribute(const std::string& name) {
  return name.find("image") != std::string::npos && name != "bkimageadaptlanguage";
}

bool IsColourAttribute(const std::string& name) {
  static const std::set<std::string> kColours = {
      "bkcolor",           "bkcolor1",          "bordercolor",          "normalcolor",
      "hotcolor",          "pushedcolor",       "disabledcolor",        "normaltextcolor",
      "hottextcolor",      "pushedtextcolor",   "disabledtextcolor",    "selectedtextcolor",
      "selectednormalcolor", "selectedhotcolor", "selectedpushedcolor", "selecteddisabledcolor",
      "progresscolor",     "caretcolor",        "promptcolor",          "bgcolor",
      "fgcolor",           "gradientcolor"};
  return kColours.count(name) != 0;
}

// Attribute values that are attribute lists applied to a part of a control.
bool IsNestedList(const std::string& name) {
  return name == "dropbox" || name == "vscrollbarstyle" || name == "hscrollbarstyle";
}

bool IsTextIdAttribute(const std::string& name) {
  return name == "textid" || name == "tooltiptextid" || name == "prompttextid";
}

// The attributes a class of "global.xml" applies, as a control receives them.
std::vector<std::pair<std::string, std::string>> ClassAttributes(const Element& element) {
  std::vector<std::pair<std::string, std::string>> applied;
  for (const auto& [name, value] : element.attributes) {
    if (name == "name") continue;
    if (name == "value") {
      for (auto& pair : ParseAttributeList(value)) applied.push_back(pair);
    } else if (name == "_value") {
      applied.emplace_back("value", value);
    } else {
      applied.emplace_back(name, value);
    }
  }
  return applied;
}

// Every attribute a control receives from one element, the pairs of nested
// attribute lists included.
std::vector<std::pair<std::string, std::string>> Flatten(
    const std::vector<std::pair<std::string, std::string>>& attributes) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& pair : attributes) {
    out.push_back(pair);
    if (IsNestedList(pair.first)) {
      for (auto& nested : ParseAttributeList(pair.second)) out.push_back(nested);
    }
  }
  return out;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::stringstream stream(text);
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

std::optional<Json::Value> ParseJsonText(const std::string& text, std::string* error) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  if (!reader->parse(text.data(), text.data() + text.size(), &root, error)) return std::nullopt;
  return root;
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
         (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
}

}  // namespace

SkinChecker::Members SkinChecker::ReadArchive(const std::string& path) {
  Members members;
  std::u16string name = Utf8ToUtf16(path);
  std::unique_ptr<ZipHandle> handle = OpenZipArchive(name.c_str(), 0, kZipFromFileName, "");
  if (!handle) return members;
  ZipReader& reader = *handle->reader;
  for (int i = 0; i < reader.GetEntryCount(); ++i) {
    ZipEntry entry;
    std::string bytes;
    if (reader.GetEntryInfo(i, &entry) != kZipOk) continue;
    if (entry.attributes & kZipAttributeDirectory) continue;
    if (reader.ReadEntry(i, &bytes) != kZipOk) continue;
    members[Utf16ToUtf8(entry.name)] = std::move(bytes);
  }
  return members;
}

const std::string* SkinChecker::Find(const std::string& member) const {
  auto it = members_.find(member);
  return it == members_.end() ? nullptr : &it->second;
}

std::vector<std::string> SkinChecker::LayoutMembers() const {
  std::vector<std::string> layouts;
  for (const auto& [name, bytes] : members_) {
    if (name.rfind(kTheme, 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".xml") {
      layouts.push_back(name);
    }
  }
  return layouts;
}

std::vector<std::string> SkinChecker::CheckLayoutsParse() const {
  std::vector<std::string> problems;
  for (const std::string& member : LayoutMembers()) {
    const std::string& bytes = *Find(member);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) problems.push_back(member + ": byte-order mark");
    std::string error;
    std::optional<Layout> layout = ParseLayout(bytes, &error);
    if (!layout) {
      problems.push_back(member + ": " + error);
      continue;
    }
    const bool global = member == std::string(kTheme) + "global.xml";
    const std::string expected = global ? "Global" : "Window";
    if (layout->root != expected) {
      problems.push_back(member + ": root " + layout->root + ", expected " + expected);
    }
  }
  return problems;
}

bool SkinChecker::HasNamedElement(const std::string& layout, const std::string& name,
                                    const std::string& tag) const {
  const std::string* bytes = Find(kTheme + layout);
  std::string error;
  std::optional<Layout> parsed = bytes ? ParseLayout(*bytes, &error) : std::nullopt;
  if (!parsed) return false;
  return std::any_of(parsed->elements.begin(), parsed->elements.end(), [&](const Element& e) {
    return e.tag == tag && std::any_of(e.attributes.begin(), e.attributes.end(),
                                       [&](const auto& a) { return a.first == "name" && a.second == name; });
  });
}

std::string SkinChecker::RootAttribute(const std::string& layout,
                                         const std::string& attribute) const {
  const std::string* bytes = Find(kTheme + layout);
  std::string error;
  std::optional<Layout> parsed = bytes ? ParseLayout(*bytes, &error) : std::nullopt;
  if (!parsed) return std::string();
  for (const auto& [name, value] : parsed->root_attributes) {
    if (name == attribute) return value;
  }
  return std::string();
}

std::set<std::string> SkinChecker::ImageReferences(std::vector<std::string>* problems) const {
  std::set<std::string> references;
  const std::string classFolder = std::string(kTheme) + "main/";
  for (const std::string& member : LayoutMembers()) {
    std::string error;
    std::optional<Layout> layout = ParseLayout(*Find(member), &error);
    if (!layout) continue;
    const bool global = layout->root == "Global";
    // Class images resolve against the skin folder of the window that uses
    // the class; every window folder sits beside "public".
    const std::string folder = global ? classFolder : Folder(member);
    std::vector<std::pair<std::string, std::string>> all = layout->root_attributes;
    for (const Element& element : layout->elements) {
      auto attributes = element.tag == "Class" ? ClassAttributes(element) : element.attributes;
      for (auto& pair : Flatten(attributes)) all.push_back(pair);
    }
    for (const auto& [name, value] : all) {
      if (!IsImageAttribute(name)) continue;
      std::string file = ImageFile(value);
      if (file.empty()) {
        problems->push_back(member + ": " + name + " names no file: " + value);
        continue;
      }
      references.insert(Resolve(folder, file));
    }
  }
  for (const char* config : {"common_config_CHANNEL_KR.json", "common_config.json"}) {
    const std::string* bytes = Find(kTheme + std::string(config));
    std::string error;
    std::optional<Json::Value> root = bytes ? ParseJsonText(*bytes, &error) : std::nullopt;
    if (!root) continue;
    std::vector<const Json::Value*> pending = {&*root};
    while (!pending.empty()) {
      const Json::Value* value = pending.back();
      pending.pop_back();
      if (value->isObject()) {
        for (const std::string& key : value->getMemberNames()) {
          const Json::Value& member = (*value)[key];
          if ((key == "NormalImage" || key == "HotImage") && member.isString()) {
            references.insert(Resolve(classFolder, member.asString()));
          }
          pending.push_back(&member);
        }
      } else if (value->isArray()) {
        for (const Json::Value& item : *value) pending.push_back(&item);
      }
    }
  }
  return references;
}

std::vector<std::string> SkinChecker::CheckImages() const {
  std::vector<std::string> problems;
  for (const std::string& image : ImageReferences(&problems)) {
    const std::string* bytes = Find(image);
    if (!bytes) {
      problems.push_back("missing image " + image);
    } else if (!DecodesAsPng(*bytes)) {
      problems.push_back("image does not decode: " + image);
    }
  }
  return problems;
}

std::vector<std::string> SkinChecker::CheckStyles() const {
  std::vector<std::string> problems;
  const std::string globalMember = std::string(kTheme) + "global.xml";
  const std::string* globalBytes = Find(globalMember);
  std::string error;
  std::optional<Layout> global = globalBytes ? ParseLayout(*globalBytes, &error) : std::nullopt;
  if (!global) return {"global.xml missing or unreadable"};

  std::set<std::string> fonts, colours, classes;
  std::vector<Element> classElements;
  for (const Element& element : global->elements) {
    auto get = [&](const std::string& attribute) {
      for (const auto& [name, value] : element.attributes) {
        if (name == attribute) return value;
      }
      return std::string();
    };
    if (element.tag == "Font") fonts.insert(get("id"));
    if (element.tag == "TextColor") colours.insert(get("name"));
    if (element.tag == "Class") {
      classes.insert(get("name"));
      classElements.push_back(element);
    }
  }
  for (const auto& [name, value] : global->root_attributes) {
    if ((name == "defaultfontcolor" || name == "disabledfontcolor") && !colours.count(value)) {
      problems.push_back("global.xml: " + name + " names undefined colour " + value);
    }
  }

  auto checkAttributes = [&](const std::string& where,
                             const std::vector<std::pair<std::string, std::string>>& attributes) {
    for (const auto& [name, value] : Flatten(attributes)) {
      if (name == "class") {
        for (const std::string& word : Words(value)) {
          if (!classes.count(word)) problems.push_back(where + ": undefined class " + word);
        }
      } else if (name == "font" && !fonts.count(value)) {
        problems.push_back(where + ": undefined font " + value);
      } else if (IsColourAttribute(name) && !value.empty() && value[0] != '#' &&
                 !colours.count(value)) {
        problems.push_back(where + ": " + name + " names undefined colour " + value);
      }
    }
  };
  for (const Element& element : classElements) {
    checkAttributes("global.xml class", ClassAttributes(element));
  }
  for (const std::string& member : LayoutMembers()) {
    if (member == globalMember) continue;
    std::optional<Layout> layout = ParseLayout(*Find(member), &error);
    if (!layout) continue;
    for (const Element& element : layout->elements) checkAttributes(member, element.attributes);
  }
  return problems;
}

std::vector<std::string> SkinChecker::CheckTextIds(const std::set<std::string>& code_keys) const {
  std::vector<std::string> problems;
  const std::string* english = Find(std::string(kLang) + "en.ini");
  if (!english) return {"en.ini missing"};
  LanguageTable table;
  table.LoadFromMemory(*english);
  auto require = [&](const std::string& where, const std::string& key) {
    if (table.GetText(Utf8ToUtf16(key)).empty()) problems.push_back(where + ": no text for " + key);
  };

  std::string error;
  for (const std::string& member : LayoutMembers()) {
    std::optional<Layout> layout = ParseLayout(*Find(member), &error);
    if (!layout) continue;
    std::vector<std::pair<std::string, std::string>> all = layout->root_attributes;
    for (const Element& element : layout->elements) {
      auto attributes = element.tag == "Class" ? ClassAttributes(element) : element.attributes;
      for (auto& pair : Flatten(attributes)) all.push_back(pair);
    }
    for (const auto& [name, value] : all) {
      if (IsTextIdAttribute(name) && !value.empty()) require(member, value);
    }
  }
  for (const char* config : {"common_config_CHANNEL_KR.json", "common_config.json"}) {
    const std::string* bytes = Find(kTheme + std::string(config));
    std::optional<Json::Value> root = bytes ? ParseJsonText(*bytes, &error) : std::nullopt;
    if (!root) continue;
    for (const Json::Value& links : (*root)["Forum"]) {
      for (const Json::Value& link : links) {
        if (link["Tooltips"].isString() && !link["Tooltips"].asString().empty()) {
          require(config, link["Tooltips"].asString());
        }
      }
    }
    const Json::Value& faq = (*root)["FAQ"];
    for (const std::string& key : faq.getMemberNames()) {
      const Json::Value& entry = faq[key];
      if (entry.isObject() && entry["Tooltips"].isString() && !entry["Tooltips"].asString().empty()) {
        require(config, entry["Tooltips"].asString());
      }
    }
  }
  for (const std::string& key : code_keys) require("code", key);
  return problems;
}

std::vector<std::string> SkinChecker::TableKeys(const std::string& bytes) {
  std::vector<std::string> keys;
  std::stringstream stream(bytes);
  std::string line;
  while (std::getline(stream, line)) {
    // The table's own rules: exactly two pieces around "=" runs, trimmed;
    // an id holding ";" is a comment.
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : line) {
      if (c == '=') {
        if (!piece.empty()) pieces.push_back(piece);
        piece.clear();
      } else {
        piece += c;
      }
    }
    if (!piece.empty()) pieces.push_back(piece);
    if (pieces.size() != 2) continue;
    auto trim = [](std::string s) {
      auto blank = [](unsigned char c) { return c == ' ' || c < 30; };
      while (!s.empty() && blank(s.back())) s.pop_back();
      size_t start = 0;
      while (start < s.size() && blank(s[start])) ++start;
      return s.substr(start);
    };
    std::string id = trim(pieces[0]);
    if (id.empty() || trim(pieces[1]).empty() || id.find(';') != std::string::npos) continue;
    keys.push_back(id);
  }
  return keys;
}

std::vector<std::string> SkinChecker::Placeholders(const std::string& text) {
  static const std::regex kPlaceholder(R"(%%|%l?[sd]|%[0-9.]*[a-z]+|\{p[0-9]+\})");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kPlaceholder);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->str());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> SkinChecker::CheckLanguageTables(
    const std::vector<std::string>& codes, const std::vector<std::string>& same_everywhere) const {
  std::vector<std::string> problems;
  const std::string* englishBytes = Find(std::string(kLang) + "en.ini");
  if (!englishBytes) return {"en.ini missing"};
  LanguageTable english;
  english.LoadFromMemory(*englishBytes);
  std::vector<std::string> englishKeys = TableKeys(*englishBytes);
  std::set<std::string> englishSet(englishKeys.begin(), englishKeys.end());

  for (const std::string& code : codes) {
    const std::string member = std::string(kLang) + code + ".ini";
    const std::string* bytes = Find(member);
    if (!bytes) {
      problems.push_back("missing table " + member);
      continue;
    }
    std::vector<std::string> keys = TableKeys(*bytes);
    std::set<std::string> keySet;
    for (const std::string& key : keys) {
      if (!keySet.insert(key).second) problems.push_back(member + ": " + key + " defined twice");
    }
    for (const std::string& key : englishSet) {
      if (!keySet.count(key)) problems.push_back(member + ": lacks " + key);
    }
    for (const std::string& key : keySet) {
      if (!englishSet.count(key)) problems.push_back(member + ": " + key + " is not in en.ini");
    }
    LanguageTable table;
    table.LoadFromMemory(*bytes);
    for (const std::string& key : englishSet) {
      if (!keySet.count(key)) continue;
      const std::string text = Utf16ToUtf8(table.GetText(Utf8ToUtf16(key)));
      const std::string englishText = Utf16ToUtf8(english.GetText(Utf8ToUtf16(key)));
      if (text.empty()) problems.push_back(member + ": empty text for " + key);
      if (Placeholders(text) != Placeholders(englishText)) {
        problems.push_back(member + ": placeholders of " + key + " differ from en.ini");
      }
    }
    for (const std::string& key : same_everywhere) {
      if (table.GetText(Utf8ToUtf16(key)) != english.GetText(Utf8ToUtf16(key))) {
        problems.push_back(member + ": " + key + " differs from en.ini");
      }
    }
    const std::string firstLine = bytes->substr(0, bytes->find('\n'));
    if (firstLine.empty() || firstLine[0] != ';') {
      problems.push_back(member + ": first line is not a comment");
    } else if (code != "en") {
      for (const std::string& word : Words(firstLine)) {
        if (word.rfind("STRING_", 0) != 0) continue;
        if (!englishSet.count(word)) {
          problems.push_back(member + ": comment names unknown key " + word);
        } else if (table.GetText(Utf8ToUtf16(word)) != english.GetText(Utf8ToUtf16(word))) {
          problems.push_back(member + ": comment lists " + word + " as English, but it is translated");
        }
      }
    }
  }
  return problems;
}

std::vector<std::string> SkinChecker::CheckChannelConfigs() const {
  std::vector<std::string> problems;
  for (const char* config : {"common_config_CHANNEL_KR.json", "common_config.json"}) {
    const std::string name = config;
    const std::string* bytes = Find(kTheme + name);
    if (!bytes) {
      problems.push_back("missing " + name);
      continue;
    }
    std::string error;
    std::optional<Json::Value> parsed = ParseJsonText(*bytes, &error);
    if (!parsed || !parsed->isObject()) {
      problems.push_back(name + ": does not parse: " + error);
      continue;
    }
    const Json::Value& root = *parsed;
    auto address = [&](const std::string& where, const Json::Value& value) {
      if (!value.isString()) {
        problems.push_back(name + ": " + where + " is not a string");
        return;
      }
      const std::string text = value.asString();
      if (!text.empty() && text.rfind("https://", 0) != 0 && text.rfind("http://", 0) != 0) {
        problems.push_back(name + ": " + where + " is not an http(s) address: " + text);
      }
    };
    const Json::Value& titles = root["Titles"];
    if (!titles.isObject() || !titles["en"].isObject() || !titles["en"]["title_main"].isString() ||
        !titles["en"]["title_sub"].isString()) {
      problems.push_back(name + ": Titles lacks the English title_main and title_sub");
    }
    for (const char* link : {"Privacy", "Service"}) {
      const Json::Value& section = root[link];
      if (!section.isObject() || !section.isMember("en")) {
        problems.push_back(name + ": " + link + " lacks its English entry");
        continue;
      }
      for (const std::string& code : section.getMemberNames()) {
        address(std::string(link) + "." + code, section[code]);
      }
    }
    const Json::Value& forum = root["Forum"];
    if (!forum.isObject() || !forum["en"].isArray() || forum["en"].empty()) {
      problems.push_back(name + ": Forum lacks its English links");
    } else {
      for (const std::string& code : forum.getMemberNames()) {
        for (const Json::Value& link : forum[code]) {
          for (const char* field : {"name", "NormalImage", "HotImage", "Tooltips"}) {
            if (!link[field].isString() || (std::string(field) != "Tooltips" && link[field].asString().empty())) {
              problems.push_back(name + ": a Forum." + code + " link lacks " + field);
            }
          }
          address("Forum." + code + " url", link["url"]);
        }
      }
    }
    const Json::Value& faq = root["FAQ"];
    if (!faq.isObject() || !faq["NormalImage"].isString() || !faq["HotImage"].isString() ||
        !faq["en"].isObject()) {
      problems.push_back(name + ": FAQ lacks its images or its English entry");
    } else {
      for (const std::string& code : faq.getMemberNames()) {
        if (faq[code].isObject()) address("FAQ." + code + " url", faq[code]["url"]);
      }
    }
    // Any other address in the file (beside the links checked above) is a
    // web address too.
    std::vector<const Json::Value*> pending;
    for (const std::string& key : root.getMemberNames()) {
      if (key != "Privacy" && key != "Service") pending.push_back(&root[key]);
    }
    while (!pending.empty()) {
      const Json::Value* value = pending.back();
      pending.pop_back();
      if (value->isString() && value->asString().find("://") != std::string::npos) {
        address("a text", *value);
      } else if (value->isArray()) {
        for (const Json::Value& item : *value) pending.push_back(&item);
      } else if (value->isObject()) {
        for (const std::string& key : value->getMemberNames()) {
          if (key != "url") pending.push_back(&(*value)[key]);
        }
      }
    }
    if (!root["OverwriteStrings"].isArray()) {
      problems.push_back(name + ": OverwriteStrings is not an array");
    }
  }
  return problems;
}

bool SkinChecker::DecodesAsPng(const std::string& bytes) {
  static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
  if (bytes.compare(0, kSignature.size(), kSignature) != 0) return false;
  size_t pos = kSignature.size();
  uint32_t width = 0, height = 0;
  int channels = 0;
  std::string data;
  bool header = false, end = false;
  while (pos + 12 <= bytes.size() && !end) {
    const uint32_t length = BigEndian32(bytes, pos);
    if (length > bytes.size() - pos - 12) return false;
    const std::string type = bytes.substr(pos + 4, 4);
    const uint32_t crc = BigEndian32(bytes, pos + 8 + length);
    const uLong computed = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + pos + 4), length + 4);
    if (computed != crc) return false;
    if (type == "IHDR") {
      if (length != 13) return false;
      width = BigEndian32(bytes, pos + 8);
      height = BigEndian32(bytes, pos + 12);
      const int depth = uint8_t(bytes[pos + 16]);
      const int colour = uint8_t(bytes[pos + 17]);
      const int interlace = uint8_t(bytes[pos + 20]);
      channels = colour == 6 ? 4 : colour == 2 ? 3 : colour == 4 ? 2 : colour == 0 ? 1 : 0;
      if (depth != 8 || channels == 0 || interlace != 0) return false;
      header = true;
    } else if (type == "IDAT") {
      data.append(bytes, pos + 8, length);
    } else if (type == "IEND") {
      end = true;
    }
    pos += 12 + length;
  }
  if (!header || !end || width == 0 || height == 0) return false;
  const size_t rowBytes = size_t(width) * channels + 1;
  std::string pixels(rowBytes * height, '\0');
  uLongf size = pixels.size();
  if (uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                 reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK ||
      size != pixels.size()) {
    return false;
  }
  for (size_t row = 0; row < height; ++row) {
    if (uint8_t(pixels[row * rowBytes]) > 4) return false;  // filter type
  }
  return true;
}

}  // namespace ui::testing
