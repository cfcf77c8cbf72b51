#include "ui/zip_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "tests/ui/zip_fixture.h"
#include "ui/skin_archive.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

using testing::BuildZip;
using testing::TempDir;
using testing::ZipMemberSpec;

std::string Pattern(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return data;
}

std::unique_ptr<ZipHandle> OpenMemory(const std::string& zip) {
  return OpenZipArchive(zip.data(), zip.size(), kZipFromMemory, nullptr);
}

class SkinArchiveGuard {
 public:
  explicit SkinArchiveGuard(std::unique_ptr<ZipHandle> handle) { SkinArchive::Set(std::move(handle)); }
  ~SkinArchiveGuard() { SkinArchive::Close(); }
};

TEST(ZipReaderTest, FindsMembersCaseInsensitivelyInTheSkinArchive) {
  const std::string zip = BuildZip({{"resources/themes/default/main.xml", "<Window/>"},
                                    {"resources/lang/en.ini", "STRING_OK=OK"}});
  SkinArchiveGuard skin(OpenMemory(zip));
  int index = -2;
  ZipEntry entry;
  EXPECT_EQ(FindZipEntry(u"Resources/Lang/EN.INI", &index, &entry), kZipOk);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(entry.index, 1);
  EXPECT_EQ(entry.name, u"resources/lang/en.ini");
  EXPECT_EQ(entry.uncompressed_size, 12u);
  EXPECT_EQ(GetLastZipResult(), kZipOk);

  EXPECT_EQ(FindZipEntry(u"resources/lang/ko.ini", &index, &entry), kZipNotFound);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(entry.index, -1);
  EXPECT_EQ(GetLastZipResult(), kZipNotFound);

  std::string text;
  EXPECT_TRUE(SkinArchive::ReadEntry(u"resources\\lang\\.\\..\\lang\\EN.ini", &text));
  EXPECT_EQ(text, "STRING_OK=OK");
}

TEST(ZipReaderTest, FindWithoutSkinArchiveIsABadArgument) {
  SkinArchive::Close();
  SetLastZipResult(kZipOk);
  int index = 5;
  EXPECT_EQ(FindZipEntry(u"a.txt", &index, nullptr), kZipBadArgument);
  EXPECT_EQ(GetLastZipResult(), kZipBadArgument);
  std::string bytes = "kept";
  EXPECT_FALSE(SkinArchive::ReadEntry(u"a.txt", &bytes));
  EXPECT_EQ(bytes, "kept");
}

TEST(ZipReaderTest, MemberNamesNeverLeadOutsideTheArchive) {
  struct Case {
    std::u16string stored, described;
  } cases[] = {
      {u"../../a.txt", u"a.txt"},
      {u"C:\\x\\y.png", u"x/y.png"},
      {u"../a", u"a"},
      {u"/etc/passwd", u"etc/passwd"},
      {u"a/../../b", u"b"},
      {u"x/..\\..\\y", u"y"},
      {u"..", u""},
      {u"a/..", u"a/"},
      {u"./ok/name.xml", u"ok/name.xml"},
      {u"plain/name.xml", u"plain/name.xml"},
  };
  for (const auto& c : cases) {
    const std::u16string described = ZipReader::SanitizeMemberName(c.stored);
    EXPECT_EQ(described, c.described) << Utf16ToUtf8(c.stored);
    EXPECT_TRUE(ZipReader::SanitizeMemberName(described) == described);
  }

  // The rules apply to what the archive describes.
  const std::string zip = BuildZip({{"../../evil.txt", "x"}, {"C:\\win\\y.png", "y"}});
  auto handle = OpenMemory(zip);
  ASSERT_NE(handle, nullptr);
  ZipEntry entry;
  ASSERT_EQ(handle->reader->GetEntryInfo(0, &entry), kZipOk);
  EXPECT_EQ(entry.name, u"evil.txt");
  ASSERT_EQ(handle->reader->GetEntryInfo(1, &entry), kZipOk);
  EXPECT_EQ(entry.name, u"win/y.png");
}

TEST(ZipReaderTest, AMemberIsFoundByTheNameItIsDescribedBy) {
  struct Case {
    std::string stored;
    std::u16string described, data;
  } cases[] = {
      {"../../../x/e.txt", u"x/e.txt", u"escape"},
      {"C:\\win\\y.png", u"win/y.png", u"drive"},
      {"/abs/z.ini", u"abs/z.ini", u"absolute"},
      {"plain/p.xml", u"plain/p.xml", u"plain"},
  };
  std::vector<ZipMemberSpec> members;
  for (const Case& c : cases) members.push_back({c.stored, Utf16ToUtf8(c.data)});
  const std::string zip = BuildZip(members);  // read in place: it outlives the handle
  auto handle = OpenMemory(zip);
  ASSERT_NE(handle, nullptr);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    ZipEntry described;
    ASSERT_EQ(handle->reader->GetEntryInfo(static_cast<int>(i), &described), kZipOk);
    ASSERT_EQ(described.name, c.described) << c.stored;
    // The described name, the stored name and a differently cased described
    // name all lead to the same member and its bytes.
    std::u16string upper = described.name;
    for (char16_t& ch : upper) ch = (ch >= u'a' && ch <= u'z') ? ch - u'a' + u'A' : ch;
    for (const std::u16string& query : {described.name, Utf8ToUtf16(c.stored), upper}) {
      int index = -1;
      ZipEntry found;
      ASSERT_EQ(handle->reader->FindEntry(query, &index, &found), kZipOk) << c.stored;
      EXPECT_EQ(index, static_cast<int>(i)) << c.stored;
      EXPECT_EQ(found.name, c.described);
      std::string bytes;
      ASSERT_EQ(handle->reader->ReadEntry(index, &bytes), kZipOk);
      EXPECT_EQ(bytes, Utf16ToUtf8(c.data));
    }
  }
  // A cleaned name that no member has is still not found.
  EXPECT_EQ(handle->reader->FindEntry(u"x/../e.txt", nullptr, nullptr), kZipNotFound);
}

TEST(ZipReaderTest, ExtractsInChunksUntilTheWholeMemberIsDelivered) {
  const std::string data = Pattern(10000);
  for (int method : {0, Z_DEFLATED}) {
    ZipMemberSpec member{"big.bin", data};
    member.method = method;
    const std::string zip = BuildZip({member});  // outlives the reader
    auto handle = OpenMemory(zip);
    ASSERT_NE(handle, nullptr);
    ZipReader* reader = handle->reader.get();
    std::string buffer(4096, '\0');
    std::string got;
    EXPECT_EQ(reader->ExtractEntry(0, buffer.data(), buffer.size()), kZipMoreData);
    got += buffer;
    EXPECT_EQ(reader->ExtractEntry(0, buffer.data(), buffer.size()), kZipMoreData);
    got += buffer;
    EXPECT_EQ(reader->ExtractEntry(0, buffer.data(), buffer.size()), kZipOk);
    got.append(buffer, 0, 10000 - 8192);
    EXPECT_EQ(got, data) << "method " << method;

    // A buffer of exactly the member's size completes in one call.
    std::string whole(10000, '\0');
    EXPECT_EQ(reader->ExtractEntry(0, whole.data(), whole.size()), kZipOk);
    EXPECT_EQ(whole, data);
  }
}

TEST(ZipReaderTest, OpensFromAFileNameAndFromADescriptorInsideAnotherFile) {
  TempDir dir;
  const std::string zip = BuildZip({{"a.txt", "alpha"}, {"b/c.txt", "gamma"}});
  const auto path = dir.Write("skin.zip", zip);
  const std::u16string wide_path = Utf8ToUtf16(path.string());

  auto by_name = OpenZipArchive(wide_path.c_str(), 0, kZipFromFileName, nullptr);
  ASSERT_NE(by_name, nullptr);
  std::string bytes;
  EXPECT_EQ(by_name->reader->ReadEntry(1, &bytes), kZipOk);
  EXPECT_EQ(bytes, "gamma");

  // The archive starts where the descriptor stands: positions are relative
  // to it, as for a package appended to another file.
  const auto appended = dir.Write("appended.bin", std::string(100, '#') + zip);
  const int fd = ::open(appended.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::lseek(fd, 100, SEEK_SET), 100);
  auto by_fd = OpenZipArchive(&fd, 0, kZipFromHandle, nullptr);
  ASSERT_NE(by_fd, nullptr);
  EXPECT_EQ(by_fd->reader->ReadEntry(0, &bytes), kZipOk);
  EXPECT_EQ(bytes, "alpha");
  by_fd.reset();
  EXPECT_EQ(::close(fd), 0);  // the caller's descriptor is left open

  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  EXPECT_EQ(OpenZipArchive(&pipe_fds[0], 0, kZipFromHandle, nullptr), nullptr);
  EXPECT_EQ(GetLastZipResult(), kZipNotSeekable);
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

TEST(ZipReaderTest, MissingFilesAndNonArchivesAreNoFile) {
  TempDir dir;
  const std::u16string missing = Utf8ToUtf16((dir.path() / "none.zip").string());
  EXPECT_EQ(OpenZipArchive(missing.c_str(), 0, kZipFromFileName, nullptr), nullptr);
  EXPECT_EQ(GetLastZipResult(), kZipNoFile);

  const std::u16string text = Utf8ToUtf16(dir.Write("text.zip", "just some text\n").string());
  EXPECT_EQ(OpenZipArchive(text.c_str(), 0, kZipFromFileName, nullptr), nullptr);
  EXPECT_EQ(GetLastZipResult(), kZipNoFile);

  const std::string garbage = "PK\x05\x06 not really";
  EXPECT_EQ(OpenZipArchive(garbage.data(), garbage.size(), kZipFromMemory, nullptr), nullptr);
  EXPECT_EQ(GetLastZipResult(), kZipNoFile);
  EXPECT_EQ(OpenZipArchive(garbage.data(), garbage.size(), 7, nullptr), nullptr);
  EXPECT_EQ(GetLastZipResult(), kZipBadArgument);
}

TEST(ZipReaderTest, DescribesTimesAttributesAndTheMemberCount) {
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  // 2021-01-02 03:04:05 UTC as a Unix time.
  const int32_t mtime = 1609556645;
  std::string timestamp("UT\x05\x00\x01", 5);
  for (int i = 0; i < 4; ++i) timestamp.push_back(static_cast<char>((mtime >> (8 * i)) & 0xFF));

  ZipMemberSpec stamped{"stamped.txt", "s"};
  stamped.local_extra = timestamp;
  stamped.version_made_by = (3u << 8) | 20;           // Unix host
  stamped.external_attributes = 0100644u << 16;        // rw-r--r--
  ZipMemberSpec dos{"dos.txt", "d"};
  dos.external_attributes = 0x21;                      // read-only, archive
  ZipMemberSpec folder{"folder/", ""};
  folder.version_made_by = (3u << 8) | 20;
  folder.external_attributes = (040555u << 16);        // directory, not writable
  const std::string zip = BuildZip({stamped, dos, folder});
  auto handle = OpenMemory(zip);
  ASSERT_NE(handle, nullptr);
  ZipReader* reader = handle->reader.get();

  const auto file_time = [](int64_t unix_time) {
    return static_cast<uint64_t>(unix_time + 11644473600LL) * 10000000ull;
  };
  const uint64_t dos_time = file_time(1589710830);  // 2020-05-17 10:20:30 UTC

  ZipEntry entry;
  ASSERT_EQ(reader->GetEntryInfo(0, &entry), kZipOk);
  EXPECT_EQ(entry.modification_time, file_time(mtime));
  EXPECT_EQ(entry.access_time, dos_time);
  EXPECT_EQ(entry.creation_time, dos_time);
  EXPECT_EQ(entry.attributes, kZipAttributeArchive);

  ASSERT_EQ(reader->GetEntryInfo(1, &entry), kZipOk);
  EXPECT_EQ(entry.modification_time, dos_time);
  EXPECT_EQ(entry.attributes, kZipAttributeReadOnly | kZipAttributeArchive);

  ASSERT_EQ(reader->GetEntryInfo(2, &entry), kZipOk);
  EXPECT_EQ(entry.attributes,
            kZipAttributeDirectory | kZipAttributeReadOnly | kZipAttributeArchive);

  ASSERT_EQ(reader->GetEntryInfo(-1, &entry), kZipOk);
  EXPECT_EQ(entry.index, 3);
  EXPECT_TRUE(entry.name.empty());
  EXPECT_EQ(reader->GetEntryInfo(3, &entry), kZipBadArgument);
  EXPECT_EQ(reader->GetEntryInfo(-2, &entry), kZipBadArgument);
  ::unsetenv("TZ");
  ::tzset();
}

// Damaged members never come back as kZipOk, whether read whole or in
// chunks, stored or deflated.
TEST(ZipReaderTest, CorruptOrLyingMembersAreErrors) {
  const std::string data = Pattern(5000);
  struct Case {
    const char* what;
    int method;
    void (*damage)(std::string* zip);
  } cases[] = {
      {"stored, corrupt CRC", 0, [](std::string* z) { testing::FlipDataByte(z, "m.bin", 100); }},
      {"deflated, corrupt data", Z_DEFLATED,
       [](std::string* z) { testing::FlipDataByte(z, "m.bin", 20); }},
      {"deflated, declares more", Z_DEFLATED,
       [](std::string* z) { testing::SetDeclaredSize(z, "m.bin", 6000); }},
      {"deflated, declares less", Z_DEFLATED,
       [](std::string* z) { testing::SetDeclaredSize(z, "m.bin", 4000); }},
      {"stored, declares more than the archive holds", 0,
       [](std::string* z) { testing::SetStoredSizes(z, "m.bin", 1u << 20); }},
      {"stored, declares less", 0, [](std::string* z) { testing::SetStoredSizes(z, "m.bin", 10); }},
  };
  for (const auto& c : cases) {
    ZipMemberSpec member{"m.bin", data};
    member.method = c.method;
    std::string zip = BuildZip({member});
    c.damage(&zip);
    auto handle = OpenMemory(zip);
    ASSERT_NE(handle, nullptr) << c.what;

    std::string whole = "untouched";
    EXPECT_EQ(handle->reader->ReadEntry(0, &whole), kZipCorrupt) << c.what;
    EXPECT_EQ(whole, "untouched") << c.what;

    std::string buffer(1024, '\0');
    ZipResult last = kZipMoreData;
    for (int calls = 0; calls < 2000 && last == kZipMoreData; ++calls) {
      last = handle->reader->ExtractEntry(0, buffer.data(), buffer.size());
    }
    EXPECT_EQ(last, kZipCorrupt) << c.what;

    SkinArchiveGuard skin(OpenMemory(zip));
    EXPECT_FALSE(SkinArchive::ReadEntry(u"m.bin", &whole)) << c.what;
    EXPECT_EQ(GetLastZipResult(), kZipCorrupt) << c.what;
  }
}

TEST(ZipReaderTest, MembersAboveTheBoundAreRefusedBeforeReading) {
  ZipMemberSpec member{"huge.bin", Pattern(1000)};
  std::string zip = BuildZip({member});
  testing::SetDeclaredSize(&zip, "huge.bin", static_cast<uint32_t>(ZipReader::kMaxMemberSize + 1));
  auto handle = OpenMemory(zip);
  ASSERT_NE(handle, nullptr);
  std::string bytes;
  EXPECT_EQ(handle->reader->ReadEntry(0, &bytes), kZipTooLarge);
  EXPECT_TRUE(bytes.empty());
}

TEST(ZipReaderTest, EmptyMembersReadAsEmpty) {
  const std::string zip = BuildZip({{"empty.ini", ""}});
  auto handle = OpenMemory(zip);
  ASSERT_NE(handle, nullptr);
  std::string bytes = "old";
  EXPECT_EQ(handle->reader->ReadEntry(0, &bytes), kZipOk);
  EXPECT_TRUE(bytes.empty());
}

TEST(ZipReaderTest, PasswordsOpenOnlyTheirOwnMembers) {
  const std::string data = Pattern(3000);
  ZipMemberSpec secret{"secret.txt", data};
  secret.password = "right";
  const std::string zip = BuildZip({secret, {"open.txt", "plain"}});
  for (const char* password : {"wrong", static_cast<const char*>(nullptr), "right", ""}) {
    const std::string label = password ? password : "(none)";
    auto handle = OpenZipArchive(zip.data(), zip.size(), kZipFromMemory, password);
    ASSERT_NE(handle, nullptr);
    std::string bytes;
    const ZipResult result = handle->reader->ReadEntry(0, &bytes);
    if (std::string(password ? password : "") == "right") {
      // A minizip built without decryption cannot open it at all; one with
      // decryption must deliver the exact text.
      EXPECT_TRUE(result == kZipPassword || (result == kZipOk && bytes == data)) << label;
    } else {
      EXPECT_EQ(result, kZipPassword) << label;
      EXPECT_TRUE(bytes.empty()) << label;
    }
    // A password never stands in the way of a member that has none.
    EXPECT_EQ(handle->reader->ReadEntry(1, &bytes), kZipOk) << label;
    EXPECT_EQ(bytes, "plain") << label;
  }
}

TEST(SkinArchiveTest, NormalizeZipPath) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u".\\a\\.\\b//c.xml", u"a/b/c.xml"},
      {u"a/../b", u"b"},
      {u"../x", u"x"},
      {u"a/b/../c", u"a/c"},
      {u"resources\\themes\\default\\main\\..\\public\\a.png",
       u"resources/themes/default/public/a.png"},
      {u"///x", u"x"},
      {u"a/..", u"a/.."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SkinArchive::NormalizeZipPath(c.in), c.out) << Utf16ToUtf8(c.in);
  }
}

}  // namespace
}  // namespace ui
