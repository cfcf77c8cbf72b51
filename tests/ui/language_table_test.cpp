#include "ui/language_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <string>
#include <thread>

#include "tests/ui/zip_fixture.h"
#include "ui/skin_archive.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

constexpr const char* kUndefined = "<undefined>";

// What a lookup gives; a defined text is never empty (it is trimmed and
// lines with an empty side define nothing), so the empty text means undefined.
std::string TextOf(const LanguageTable& table, const std::u16string& id) {
  const std::u16string text = table.GetText(id);
  return text.empty() ? kUndefined : Utf16ToUtf8(text);
}

TEST(LanguageTableTest, LineForms) {
  struct Case {
    const char* what;
    std::string file;
    std::u16string id;
    std::string text;
  } cases[] = {
      {"blanks around", "STRING_CONFIRM = CONFIRM", u"STRING_CONFIRM", "CONFIRM"},
      {"tabs and CR", "\t KEY\t=  two  words \r", u"KEY", "two  words"},
      {"two = runs", "A=b=c", u"A", kUndefined},
      {"one run of =", "A==b", u"A", "b"},
      {"= at start", "=b", u"b", kUndefined},
      {"= at end", "A=", u"A", kUndefined},
      {"no =", "JUST_TEXT", u"JUST_TEXT", kUndefined},
      {"comment", ";X=1", u"X", kUndefined},
      {"comment id", ";X=1", u";X", kUndefined},
      {"; in text", "X=1;2", u"X", "1;2"},
      {"codes 30 and 31 kept", "K=v\x1e\x1f", u"K", "v\x1e\x1f"},
      {"later wins", "K=1\nK=2\n", u"K", "2"},
      {"CR LF lines", "A=1\r\nB=2\r\n", u"B", "2"},
      {"zero byte ends a line", std::string("A=1\0B=2", 7), u"B", "2"},
      {"byte-order mark stays in the id", "\xEF\xBB\xBF" "FIRST=1", u"\uFEFF" "FIRST", "1"},
      {"byte-order mark id only", "\xEF\xBB\xBF" "FIRST=1", u"FIRST", kUndefined},
      {"UTF-8 text", "K=caf\xC3\xA9", u"K", "caf\xC3\xA9"},
      {"malformed UTF-8", "K=a\xC3", u"K", "a\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    LanguageTable table;
    EXPECT_TRUE(table.LoadFromMemory(c.file));
    EXPECT_EQ(TextOf(table, c.id), c.text) << c.what;
  }
}

TEST(LanguageTableTest, EscapesBecomeLineBreaksOnLookup) {
  LanguageTable table;
  table.LoadFromMemory("MSG=one\\ntwo\\rthree \xC3\xA9\\\\n\n");
  EXPECT_EQ(table.GetText(u"MSG"), u"one\ntwo\rthree \u00E9\\\n");
  EXPECT_EQ(table.GetTextUtf8("MSG"), "one\ntwo\rthree \xC3\xA9\\\n");
  EXPECT_EQ(table.GetText(u""), u"");
  EXPECT_EQ(table.GetTextUtf8(""), "");
  EXPECT_EQ(table.GetTextUtf8("NOT_THERE"), "");
}

TEST(LanguageTableTest, OverridesReplaceDefinedTextsUntilTheNextLoad) {
  LanguageTable table;
  table.LoadFromMemory("TITLE=Launcher\nOTHER=x\n");
  table.SetOverrideText(u"TITLE", u"Channel\\nlauncher");
  table.SetOverrideText(u"ONLY_OVERRIDE", u"never shown");
  EXPECT_EQ(table.GetText(u"TITLE"), u"Channel\nlauncher");
  EXPECT_EQ(table.GetTextUtf8("TITLE"), "Channel\nlauncher");
  EXPECT_EQ(table.GetText(u"ONLY_OVERRIDE"), u"");
  EXPECT_EQ(table.GetText(u"OTHER"), u"x");

  table.LoadFromMemory("TITLE=Launcher\n");
  EXPECT_EQ(table.GetText(u"TITLE"), u"Launcher");
}

TEST(LanguageTableTest, FilesReplaceTheTableAndAMissingOneEmptiesIt) {
  testing::TempDir dir;
  LanguageTable table;
  const auto en = dir.Write("en.ini", "; English\nSTRING_OK = OK\nSTRING_LONG=" +
                                          std::string(5000, 'x') + "\n");
  ASSERT_TRUE(table.LoadFromFile(Utf8ToUtf16(en.string())));
  EXPECT_EQ(table.GetText(u"STRING_OK"), u"OK");
  // A line longer than the reading buffer arrives in pieces of 4095 bytes.
  EXPECT_EQ(table.GetText(u"STRING_LONG").size(), 4095u - 12u);

  const auto empty = dir.Write("empty.ini", "");
  ASSERT_TRUE(table.LoadFromFile(Utf8ToUtf16(empty.string())));
  EXPECT_EQ(table.GetText(u"STRING_OK"), u"");  // not the old texts

  ASSERT_TRUE(table.LoadFromFile(Utf8ToUtf16(en.string())));
  table.SetOverrideText(u"STRING_OK", u"over");
  EXPECT_FALSE(table.LoadFromFile(Utf8ToUtf16((dir.path() / "missing.ini").string())));
  EXPECT_EQ(table.GetText(u"STRING_OK"), u"");
}

TEST(LanguageTableTest, LoadsFromSkinArchiveMembersAndAnEmptyMemberEmptiesTheTable) {
  const std::string zip = testing::BuildZip(
      {{"resources/lang/en.ini", "STRING_OK=OK\n"}, {"resources/lang/ko.ini", ""}});
  SkinArchive::Set(OpenZipArchive(zip.data(), zip.size(), kZipFromMemory, ""));
  LanguageTable table;
  std::string bytes;
  ASSERT_TRUE(SkinArchive::ReadEntry(u"resources\\lang\\en.ini", &bytes));
  table.LoadFromMemory(bytes);
  EXPECT_EQ(table.GetText(u"STRING_OK"), u"OK");

  ASSERT_TRUE(SkinArchive::ReadEntry(u"resources\\lang\\ko.ini", &bytes));
  table.LoadFromMemory(bytes);
  EXPECT_EQ(table.GetText(u"STRING_OK"), u"");
  SkinArchive::Close();
}

// The worker thread looks texts up while the UI thread reloads the table:
// every lookup sees one whole table, never a mix or a table being built.
TEST(LanguageTableTest, LookupsFromAnotherThreadRaceReloadsSafely) {
  LanguageTable& table = LanguageTable::GetInstance();
  const std::string first = "A=first\nB=first\n";
  const std::string second = "A=second\nB=second\nC=only second\n";
  table.LoadFromMemory(first);

  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::latch worker_running(1);
  std::thread worker([&] {
    bool counted = false;
    while (!stop.load()) {
      const std::u16string a = table.GetText(u"A");
      const std::string b = table.GetTextUtf8("B");
      if (a != u"first" && a != u"second") bad.fetch_add(1);
      if (b != "first" && b != "second") bad.fetch_add(1);
      if (!counted) {
        worker_running.count_down();
        counted = true;
      }
    }
  });
  worker_running.wait();
  for (int i = 0; i < 2000; ++i) {
    table.LoadFromMemory(i % 2 == 0 ? second : first);
    table.SetOverrideText(u"C", u"override");
  }
  stop.store(true);
  worker.join();
  EXPECT_EQ(bad.load(), 0);
  table.Clear();
}

}  // namespace
}  // namespace ui
