// Reads a skin package (the members of "resources.zip", as a map from member
// name to bytes) the way the launcher's windows use it, and reports every
// reference that does not hold: layouts that do not parse, images that are
// missing or do not decode, classes, fonts and colours that "global.xml" does
// not define, text ids the English table lacks, language tables that differ
// from the English one, and channel configurations with foreign addresses.
// Every check answers a list of problems, one line each; empty means sound.
#ifndef TESTS_UI_SKIN_CHECKER_H_
#define TESTS_UI_SKIN_CHECKER_H_

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ui::testing {

class SkinChecker {
 public:
  using Members = std::map<std::string, std::string>;
  static constexpr const char* kTheme = "resources/themes/default/";
  static constexpr const char* kLang = "resources/lang/";

  // Reads every member of a zip archive on disk; an archive that cannot be
  // opened gives no members.
  static Members ReadArchive(const std::string& path);

  explicit SkinChecker(Members members) : members_(std::move(members)) {}
  Members& members() { return members_; }

  // Layouts: members ending in ".xml" under the theme folder.
  std::vector<std::string> LayoutMembers() const;
  // Each layout is UTF-8 without a byte-order mark and parses; "global.xml"
  // has a "Global" root, every other layout a "Window" root.
  std::vector<std::string> CheckLayoutsParse() const;
  // An element named |name| with the tag |tag| exists in |layout| (a path
  // under the theme folder).
  bool HasNamedElement(const std::string& layout, const std::string& name,
                       const std::string& tag) const;
  // The value of a root attribute of |layout|, empty when absent.
  std::string RootAttribute(const std::string& layout, const std::string& attribute) const;
  // Every image a layout, a class of "global.xml" or a channel configuration
  // names is a member and decodes as a PNG.
  std::vector<std::string> CheckImages() const;
  // Every class, font and colour a layout or a class uses is defined in
  // "global.xml".
  std::vector<std::string> CheckStyles() const;
  // Every text id a layout or a channel configuration uses, and every key in
  // |code_keys|, has a text in en.ini.
  std::vector<std::string> CheckTextIds(const std::set<std::string>& code_keys) const;
  // Every table of |codes| has exactly en.ini's keys, the same placeholders
  // per key and no empty text; the |same_everywhere| keys have one text in
  // all tables; the first line is a comment naming keys whose text is still
  // the English one.
  std::vector<std::string> CheckLanguageTables(const std::vector<std::string>& codes,
                                               const std::vector<std::string>& same_everywhere) const;
  // Both channel configurations parse, carry the sections the main window
  // and the settings read, and hold only http(s) addresses or empty ones.
  std::vector<std::string> CheckChannelConfigs() const;

  // The ids of one language table, in file order, by the table's own line
  // rules.
  static std::vector<std::string> TableKeys(const std::string& bytes);
  // The placeholders of a text ("%ls", "%s", "%d", "{p1}" ...), sorted.
  static std::vector<std::string> Placeholders(const std::string& text);
  // True when the bytes are a whole PNG image: signature, chunk checksums,
  // header, image data that inflates to exactly the rows the header gives.
  static bool DecodesAsPng(const std::string& bytes);

 private:
  const std::string* Find(const std::string& member) const;
  std::set<std::string> ImageReferences(std::vector<std::string>* problems) const;

  Members members_;
};

}  // namespace ui::testing

#endif  // TESTS_UI_SKIN_CHECKER_H_
