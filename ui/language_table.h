// The texts of the current language: every user-visible string is a
// language id (such as "STRING_CONFIRM") looked up here. The table is loaded
// from one ".ini" file of the skin package, from the skin archive or from
// disk; a second table, the override table, lets the channel configuration
// replace single texts.
//
// Loads run on the UI thread while the worker thread looks texts up: a load
// builds its table aside and swaps it in under the lock, and a lookup copies
// its text under the same lock, so a lookup sees the old table or the new
// one, never a table being built.
#ifndef UI_LANGUAGE_TABLE_H_
#define UI_LANGUAGE_TABLE_H_

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class LanguageTable {
 public:
  static LanguageTable& GetInstance();

  LanguageTable() = default;
  LanguageTable(const LanguageTable&) = delete;
  LanguageTable& operator=(const LanguageTable&) = delete;

  // Both loaders replace the main table and empty the override table. An
  // empty file gives an empty table. LoadFromFile is false only when the
  // file cannot be opened (both tables are then empty).
  bool LoadFromFile(const std::u16string& path);
  bool LoadFromMemory(std::string_view bytes);

  // The text of an id (the override's when one is set and the main table
  // defines the id), with "\\r" and "\\n" turned into CR and LF; empty for an
  // empty or undefined id.
  std::u16string GetText(std::u16string_view id) const;
  std::string GetTextUtf8(std::string_view id) const;

  // Sets one entry of the override table (the channel configuration's
  // replacement texts).
  void SetOverrideText(const std::u16string& id, const std::u16string& text);

  // Empties both tables.
  void Clear();

 private:
  using Table = std::map<std::u16string, std::u16string, std::less<>>;

  static Table ParseLines(const std::vector<std::u16string>& lines);
  void Replace(Table table);
  // Steps shared by both lookups: the text before escapes are replaced.
  std::u16string Lookup(std::u16string_view id) const;

  mutable std::mutex mutex_;
  Table main_;
  Table overrides_;
};

}  // namespace ui

#endif  // UI_LANGUAGE_TABLE_H_
