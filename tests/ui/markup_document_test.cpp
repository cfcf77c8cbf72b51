#include "ui/markup_document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ui/wide_text.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(text); }

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "markup_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(path_); }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::u16string Wide(const fs::path& path) { return Utf8ToUtf16(path.string()); }

TEST(MarkupDocumentTest, EachErrorHasItsFixedTextAndAnExcerpt) {
  TempFolder folder;
  // A folder opens but cannot be read as a file (it holds an entry so that
  // its reported size is not 0 on any file system).
  fs::create_directory(folder.path() / "a_folder");
  folder.Write("a_folder/entry", "x");
  struct Case {
    const char* what;
    std::u16string document;  // parsed from a string unless a file is named
    std::string file;         // "missing", "empty", "folder" or ""
    std::u16string message;
    std::u16string excerpt;
  } cases[] = {
      {"no file", u"", "missing", u"Error opening file", u""},
      {"empty file", u"", "empty", u"File is empty", u""},
      {"unreadable", u"", "folder", u"Could not read file", u""},
      {"text first", u"hello <a/>", "", u"Expected start tag", u"hello <a/>"},
      {"name at end", u"<abc", "", u"Error parsing element name", u""},
      {"bad closing", u"<a/x>", "", u"Expected start-tag closing", u"/x>"},
      {"deep unclosed", u"<a><b><c>text", "", u"Expected end-tag start", u""},
      {"other end tag", u"<a></b>", "", u"Unmatched closing tag", u"b>"},
      {"end tag unfinished", u"<a></a x>", "", u"Unmatched closing tag", u"x>"},
      {"dash in name", u"<a-b/>", "", u"Error while parsing attributes", u"/>"},
      {"single quotes", u"<a x='1'/>", "", u"Expected attribute value", u"'1'/>"},
      {"unterminated value", u"<a x=\"1/>", "", u"Error while parsing attribute string", u""},
      {"long excerpt", u"<a></" + std::u16string(60, u'z') + u">", "", u"Unmatched closing tag",
       std::u16string(49, u'z')},
  };
  for (const auto& c : cases) {
    MarkupDocument doc;
    bool ok = false;
    if (c.file == "missing") {
      ok = doc.LoadFromFile(Wide(folder.path() / "none.xml"));
    } else if (c.file == "empty") {
      ok = doc.LoadFromFile(Wide(folder.Write("empty.xml", "")));
    } else if (c.file == "folder") {
      ok = doc.LoadFromFile(Wide(folder.path() / "a_folder"));
    } else {
      ok = doc.LoadFromString(c.document);
    }
    EXPECT_FALSE(ok) << c.what;
    EXPECT_EQ(Narrow(doc.GetErrorMessage()), Narrow(c.message)) << c.what;
    EXPECT_EQ(Narrow(doc.GetErrorExcerpt()), Narrow(c.excerpt)) << c.what;
    EXPECT_FALSE(doc.GetRoot().IsValid()) << c.what;
  }
}

TEST(MarkupDocumentTest, DeclarationAndCommentsAreSkippedAndTheTreeIsLinked) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(
      u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- head -->\n"
      u"<Window size=\"10,20\">\n  <!-- inside -->\n  <Box name=\"one\"/>\n"
      u"  <Box name=\"two\" ><Label/></Box>\n</Window>\n"))
      << Narrow(doc.GetErrorMessage());
  MarkupNode root = doc.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_EQ(Narrow(root.GetName()), "Window");
  EXPECT_EQ(root.GetAttributeCount(), 1);
  EXPECT_EQ(Narrow(root.GetAttributeValue(0)), "10,20");

  MarkupNode first = root.GetChild();
  EXPECT_EQ(Narrow(first.GetName()), "Box");
  EXPECT_FALSE(first.HasChildren());
  MarkupNode second = first.GetSibling();
  EXPECT_EQ(Narrow(second.GetAttributeValue(0)), "two");
  EXPECT_EQ(Narrow(second.GetChild().GetName()), "Label");
  EXPECT_FALSE(second.GetSibling().IsValid());
  EXPECT_FALSE(root.GetSibling().IsValid());
}

TEST(MarkupDocumentTest, EmptyElementWithOrWithoutBlankBeforeSlash) {
  for (const std::u16string text : {u"<a/>", u"<a />", u"<a x=\"1\"/>", u"<a x=\"1\" />"}) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadFromString(text)) << Narrow(text);
    MarkupNode root = doc.GetRoot();
    EXPECT_EQ(Narrow(root.GetName()), "a");
    EXPECT_FALSE(root.HasChildren());
  }
}

TEST(MarkupDocumentTest, PredefinedEntitiesAreDecodedAndOthersKept) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(
      u"<a v=\"&lt;b&gt; &amp;&amp; &#65; &quot;q&quot; &apos;&bogus;\" w = \"x\"/>"));
  MarkupNode root = doc.GetRoot();
  ASSERT_EQ(root.GetAttributeCount(), 2);
  EXPECT_EQ(Narrow(root.GetAttributeValue(0)), "<b> && &#65; \"q\" '&bogus;");
  EXPECT_EQ(Narrow(root.GetAttributeName(1)), "w");
  EXPECT_EQ(Narrow(root.GetAttributeValue(1)), "x");
}

TEST(MarkupDocumentTest, SurrogatePairsInNamesAndValues) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(u"<\U0001F600 t=\"\U0001F601&amp;\u00E9\"/>"));
  MarkupNode root = doc.GetRoot();
  EXPECT_EQ(std::u16string(root.GetName()), u"\U0001F600");
  EXPECT_EQ(std::u16string(root.GetAttributeValue(0)), u"\U0001F601&\u00E9");
}

TEST(MarkupDocumentTest, UnclosedTopLevelsAreAcceptedDeeperOnesAreNot) {
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromString(u"<a><b/>"));
  EXPECT_TRUE(doc.LoadFromString(u"<a><b>text"));
  EXPECT_EQ(Narrow(doc.GetRoot().GetChild().GetName()), "b");
  EXPECT_FALSE(doc.LoadFromString(u"<a><b><c/>"));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "Expected start tag");
  EXPECT_TRUE(doc.LoadFromString(u""));
  EXPECT_FALSE(doc.GetRoot().IsValid());
}

TEST(MarkupDocumentTest, EveryAttributeIsVisiblePastTheSixtyFourth) {
  std::u16string text = u"<a";
  for (int i = 0; i < 200; ++i) {
    text += u" a" + Utf8ToUtf16(std::to_string(i)) + u"=\"v" + Utf8ToUtf16(std::to_string(i)) + u"\"";
  }
  text += u"/>";
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(text));
  MarkupNode root = doc.GetRoot();
  EXPECT_EQ(root.GetAttributeCount(), 200);
  EXPECT_EQ(Narrow(root.GetAttributeName(64)), "a64");
  EXPECT_EQ(Narrow(root.GetAttributeValue(199)), "v199");
  EXPECT_EQ(Narrow(root.GetAttributeName(200)), "");
  char16_t buffer[8];
  EXPECT_TRUE(root.GetAttributeValue(u"a64", buffer, 8));
  EXPECT_EQ(Narrow(buffer), "v64");
  EXPECT_FALSE(root.GetAttributeValue(u"a200", buffer, 8));
}

TEST(MarkupDocumentTest, RepeatedAttributeFirstAndLastOccurrence) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(u"<a k=\"first\" j=\"x\" k=\"second\"/>"));
  MarkupNode root = doc.GetRoot();
  char16_t buffer[16];
  ASSERT_TRUE(root.GetAttributeValue(u"k", buffer, 16));
  EXPECT_EQ(Narrow(buffer), "first");
  std::u16string last;
  ASSERT_TRUE(root.GetLastAttributeValue(u"k", &last));
  EXPECT_EQ(Narrow(last), "second");
  EXPECT_FALSE(root.GetLastAttributeValue(u"missing", &last));
}

TEST(MarkupDocumentTest, AttributeValueIsTruncatedToTheCallersBuffer) {
  MarkupDocument doc;
  ASSERT_TRUE(doc.LoadFromString(u"<a k=\"first\" k=\"second\"/>"));
  MarkupNode root = doc.GetRoot();
  char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_TRUE(root.GetAttributeValue(u"k", buffer, 4));
  EXPECT_EQ(std::u16string(buffer), u"fir");  // the first of that name, size - 1 characters
}

TEST(MarkupDocumentTest, NestingDepthIsBounded) {
  const auto nested = [](int depth) {
    std::u16string text;
    for (int i = 0; i < depth; ++i) text += u"<e>";
    for (int i = 0; i < depth; ++i) text += u"</e>";
    return text;
  };
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromString(nested(MarkupDocument::kMaxDepth)));
  EXPECT_FALSE(doc.LoadFromString(nested(MarkupDocument::kMaxDepth + 1)));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "Elements nested too deeply");
  // Far deeper than any stack would survive unbounded.
  EXPECT_FALSE(doc.LoadFromString(nested(200000)));
}

TEST(MarkupDocumentTest, SizeLimitHoldsForFilesAndArchiveMembers) {
  TempFolder folder;
  const auto document_of_size = [](size_t size) {
    std::string text = "<a>";
    text.append(size - 7, 'x');
    text += "</a>";
    return text;
  };
  const std::string largest = document_of_size(MarkupDocument::kMaxDocumentSize);
  const std::string too_large = document_of_size(MarkupDocument::kMaxDocumentSize + 1);
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromFile(Wide(folder.Write("largest.xml", largest))));
  EXPECT_FALSE(doc.LoadFromFile(Wide(folder.Write("too_large.xml", too_large))));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "File too large");

  EXPECT_TRUE(doc.LoadFromMember(largest));
  EXPECT_FALSE(doc.LoadFromMember(too_large));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "File too large");
  EXPECT_FALSE(doc.LoadFromMember(""));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "File is empty");
}

TEST(MarkupDocumentTest, ByteOrderMarkIsSkippedOnlyInFiles) {
  TempFolder folder;
  MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromFile(Wide(folder.Write("bom.xml", "\xEF\xBB\xBF<a x=\"\xC3\xA9\"/>"))));
  EXPECT_EQ(std::u16string(doc.GetRoot().GetAttributeValue(0)), u"\u00E9");
  EXPECT_FALSE(doc.LoadFromString(u"\uFEFF<a/>"));
  EXPECT_EQ(Narrow(doc.GetErrorMessage()), "Expected start tag");
}

}  // namespace
}  // namespace ui
