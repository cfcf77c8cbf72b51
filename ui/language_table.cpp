#include "ui/language_table.h"

#include <cstdio>
#include <utility>

#include "ui/wide_text.h"

namespace ui {

namespace {

// The reading buffer of LoadFromFile: a longer line arrives as pieces of at
// most kLineBuffer - 1 bytes, each handled as a line of its own.
constexpr int kLineBuffer = 4096;

void AddTrimmedLine(std::u16string line, std::vector<std::u16string>* lines) {
  Trim(&line);
  if (!line.empty()) lines->push_back(std::move(line));
}

}  // namespace

LanguageTable& LanguageTable::GetInstance() {
  static LanguageTable instance;
  return instance;
}

bool LanguageTable::LoadFromFile(const std::u16string& path) {
  std::FILE* file = std::fopen(Utf16ToUtf8(path).c_str(), "r");
  if (file == nullptr) {
    Clear();
    return false;
  }
  std::vector<std::u16string> lines;
  char buffer[kLineBuffer];
  while (std::fgets(buffer, sizeof(buffer), file) != nullptr) {
    std::u16string line;
    Utf8ToWide(buffer, &line);
    AddTrimmedLine(std::move(line), &lines);
  }
  std::fclose(file);
  Replace(ParseLines(lines));
  return true;
}

bool LanguageTable::LoadFromMemory(std::string_view bytes) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\0') {
      AddTrimmedLine(Utf8ToUtf16(bytes.substr(start, i - start)), &lines);
      start = i + 1;
    }
  }
  Replace(ParseLines(lines));
  return true;
}

LanguageTable::Table LanguageTable::ParseLines(const std::vector<std::u16string>& lines) {
  Table table;
  for (const std::u16string& line : lines) {
    std::vector<std::u16string> pieces = SplitString(line, u"=");
    if (pieces.size() != 2) continue;  // no "=", or a text that holds one
    Trim(&pieces[0]);
    Trim(&pieces[1]);
    if (pieces[0].find(u';') != std::u16string::npos) continue;  // comments
    table[std::move(pieces[0])] = std::move(pieces[1]);
  }
  return table;
}

void LanguageTable::Replace(Table table) {
  Table overrides;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    main_.swap(table);
    overrides_.swap(overrides);
  }
  // The old tables are freed here, outside the lock.
}

void LanguageTable::Clear() { Replace(Table()); }

void LanguageTable::SetOverrideText(const std::u16string& id, const std::u16string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  overrides_[id] = text;
}

std::u16string LanguageTable::Lookup(std::u16string_view id) const {
  if (id.empty()) return {};
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = main_.find(id);
  if (found == main_.end()) return {};
  const auto replaced = overrides_.find(id);
  return replaced != overrides_.end() ? replaced->second : found->second;
}

std::u16string LanguageTable::GetText(std::u16string_view id) const {
  std::u16string text = Lookup(id);
  ReplaceAllWide(u"\\r", u"\r", &text);
  ReplaceAllWide(u"\\n", u"\n", &text);
  return text;
}

std::string LanguageTable::GetTextUtf8(std::string_view id) const {
  std::string text = Utf16ToUtf8(Lookup(Utf8ToUtf16(id)));
  ReplaceAllNarrow("\\r", "\r", &text);
  ReplaceAllNarrow("\\n", "\n", &text);
  return text;
}

}  // namespace ui
