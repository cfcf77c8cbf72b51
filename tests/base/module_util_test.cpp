#include "base/util/module_util.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/util/string_util.h"

namespace kbase {
namespace {

TEST(ModuleUtilTest, DirectoryPartKeepsTrailingSeparator) {
  struct Case {
    std::u16string path;
    bool ok;
    std::u16string directory;
  } cases[] = {
      {u"/opt/Games/L/launcher.exe", true, u"/opt/Games/L/"},
      {u"C:\\Games\\L\\launcher.exe", true, u"C:\\Games\\L\\"},
      {u"C:/Games\\L/x", true, u"C:/Games\\L/"},
      {u"/launcher", true, u"/"},
      {u"launcher.exe", false, u""},
      {u"/", false, u""},
      {u"", false, u""},
  };
  for (const Case& c : cases) {
    std::u16string directory;
    EXPECT_EQ(c.ok, GetDirectoryPart(c.path, &directory)) << UTF16ToUTF8(c.path);
    EXPECT_EQ(c.directory, directory) << UTF16ToUTF8(c.path);
  }
}

TEST(ModuleUtilTest, ModuleDirectoryHoldsThisProgram) {
  std::u16string directory = GetModuleDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(u'/', directory.back());
  EXPECT_EQ(u'/', directory.front());  // absolute, not the "./" fallback
  struct stat info;
  std::string self = UTF16ToUTF8(directory) + "base_util_test";
  EXPECT_EQ(0, stat(self.c_str(), &info)) << self;
  EXPECT_EQ(directory + u"base_util_test", GetModuleFileName());
}

}  // namespace
}  // namespace kbase
