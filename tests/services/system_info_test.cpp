#include "project/Launcher/services/system_info.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <set>

#include "platform/system/machine_registry.h"
#include "platform/files/file_operations.h"
#include "tests/services/fake_system_source.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(SystemInfoTest, UtcDateTimeIsZeroPadded) {
  std::string date, time;
  ASSERT_TRUE(FormatUtcDateTime(981173106, date, time));  // 2001-02-03 04:05:06 UTC
  EXPECT_EQ(date, "2001-02-03");
  EXPECT_EQ(time, "04:05:06");

  struct tm early = {};
  early.tm_year = 999 - 1900;
  early.tm_mon = 11;
  early.tm_mday = 31;
  early.tm_hour = 23;
  early.tm_min = 59;
  early.tm_sec = 58;
  ASSERT_TRUE(FormatUtcDateTime(timegm(&early), date, time));
  EXPECT_EQ(date, " 999-12-31");
  EXPECT_EQ(time, "23:59:58");

  ASSERT_TRUE(GetUtcDateTime(date, time));
  EXPECT_EQ(date.size(), 10u);
  EXPECT_EQ(time.size(), 8u);
}

TEST(SystemInfoTest, ParseVersionTriple) {
  struct Case {
    std::string text;
    bool ok;
    int32_t first, second, third;
  } cases[] = {
      {"10085_2_7", true, 10085, 7, 2},
      {" +1_-2_3x", true, 1, 3, -2},
      {"1_2", false, 0, 0, 0},
      {"1_2_3_4", false, 0, 0, 0},
      {"1_x_3", false, 0, 0, 0},
      {"1__3", false, 0, 0, 0},
      {"1_2_2147483648", false, 0, 0, 0},
      {"1_2_-2147483648", true, 1, -2147483648, 2},
      {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    int32_t a = 9, b = 9, d = 9;
    EXPECT_EQ(ParseVersionTriple(c.text, a, b, d), c.ok) << c.text;
    EXPECT_EQ(a, c.first) << c.text;
    EXPECT_EQ(b, c.second) << c.text;
    EXPECT_EQ(d, c.third) << c.text;
  }
}

TEST(SystemInfoTest, FormatDuration) {
  struct Case {
    int32_t seconds;
    std::u16string text;
  } cases[] = {
      {59, u"00:00:59"},   {3600, u"01:00:00"},   {3661, u"01:01:01"},
      {0, u"00:00:00"},    {360000, u"100:00:00"}, {-5, u"00:00:00"},
      {2147483647, u"596523:14:07"},
  };
  for (const Case& c : cases) {
    char16_t buffer[32];
    EXPECT_EQ(FormatDuration(c.seconds, buffer, 32), static_cast<int>(c.text.size()));
    EXPECT_EQ(std::u16string(buffer), c.text) << c.seconds;
  }
  char16_t small[8] = {u'x'};
  EXPECT_EQ(FormatDuration(59, small, 8), -1);  // needs 9 with the terminator
  EXPECT_EQ(small[0], u'\0');
}

TEST(SystemInfoTest, SystemValuesComeFromTheSystemFiles) {
  FakeSystemSource source;
  source.files["/proc/cpuinfo"] =
      "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Test CPU @ 3.00GHz\n\n"
      "processor\t: 1\nmodel name\t: Second\n";
  source.files["/etc/machine-id"] = "0123456789abcdef0123456789abcdef\n";
  source.files["/etc/os-release"] = "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n";

  EXPECT_EQ(GetWindowsVersion(), "6.1.0-13-amd64");
  EXPECT_EQ(GetCpuName(), "Test CPU @ 3.00GHz");
  EXPECT_EQ(ReadMachineRegistryString(u"SOFTWARE\\Microsoft\\Cryptography\\", "MachineGuid"),
            "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(ReadMachineRegistryString(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\",
                                      "ProductName"),
            "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(ReadMachineRegistryDword(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\",
                                     "CurrentMajorVersionNumber"),
            "6");
  EXPECT_EQ(ReadMachineRegistryDword(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\",
                                     "ProductName"),
            "0");  // not a 4-byte value
  EXPECT_EQ(ReadMachineRegistryString(u"SOFTWARE\\No\\Such\\Key", "x"), "");

  // Missing sources leave the documented empty forms.
  source.files.clear();
  source.kernel_release.clear();
  EXPECT_EQ(GetWindowsVersion(), "0.0.");
  EXPECT_EQ(GetCpuName(), "");
  source.files["/proc/cpuinfo"] = "model name\t: " + std::string(300, 'x') + "\n";
  EXPECT_EQ(GetCpuName(), "");  // does not fit the 260-byte value buffer
}

// A registry of plain maps; keys that are not listed cannot be opened.
class FakeRegistry : public platform::MachineRegistry {
 public:
  FakeRegistry() { platform::SetMachineRegistryForTesting(this); }
  ~FakeRegistry() override { platform::SetMachineRegistryForTesting(nullptr); }
  bool CanOpenKey(const std::string& key, bool forWriting) override {
    return (forWriting ? writable : readable).count(key) > 0;
  }
  bool ReadValue(const std::string& key, const std::string& name,
                 platform::RegistryValue* out) override {
    auto it = values.find(key + "|" + name);
    if (it == values.end()) return false;
    out->type = platform::RegistryValue::Type::kString;
    out->text = it->second;
    return true;
  }
  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override {
    ++writes;
    if (fail_writes) return false;
    values[key + "|" + name] = value;
    return true;
  }
  std::set<std::string> readable, writable;
  std::map<std::string, std::string> values;
  bool fail_writes = false;
  int writes = 0;
};

TEST(SystemInfoTest, SetMachineRegistryStringWritesOnlyAChange) {
  FakeRegistry registry;
  registry.readable = {"Fonts"};
  registry.writable = {"Fonts"};
  EXPECT_EQ(SetMachineRegistryString(u"Fonts", u"", u"Sans (TrueType)", u"sans.ttf"), 1);
  EXPECT_EQ(SetMachineRegistryString(u"Fonts", u"", u"Sans (TrueType)", u"sans.ttf"), 0);
  EXPECT_EQ(registry.writes, 1);
  EXPECT_EQ(SetMachineRegistryString(u"Fonts", u"", u"Sans (TrueType)", u"Sans.ttf"), 1);
  std::u16string long_value(300, u'v');  // compared whole, so written once only
  EXPECT_EQ(SetMachineRegistryString(u"Fonts", u"", u"long", long_value), 1);
  EXPECT_EQ(SetMachineRegistryString(u"Fonts", u"", u"long", long_value), 0);
}

TEST(SystemInfoTest, SetMachineRegistryStringFallsBack) {
  FakeRegistry registry;
  registry.readable = {"Plain"};
  registry.writable = {"Plain"};
  EXPECT_EQ(SetMachineRegistryString(u"Wow", u"Plain", u"VDLLauncher", u"/opt/l/launcher.exe"), 1);
  EXPECT_EQ(registry.values["Plain|VDLLauncher"], "/opt/l/launcher.exe");
  EXPECT_EQ(SetMachineRegistryString(u"Wow", u"Plain", u"VDLLauncher", u"/opt/l/launcher.exe"), 0);
  EXPECT_EQ(SetMachineRegistryString(u"Wow", u"", u"VDLLauncher", u"/opt/l/launcher.exe"), -1);
  registry.fail_writes = true;
  EXPECT_EQ(SetMachineRegistryString(u"Wow", u"Plain", u"VDLLauncher", u"/other"), -1);
}

class UserConfigTest : public ::testing::Test {
 protected:
  TempFolder config_;
  ScopedEnv config_home_{"XDG_CONFIG_HOME", config_.path()};
};

TEST_F(UserConfigTest, RunValueIsAnAutostartEntry) {
  const std::u16string wow = u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::u16string plain = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::u16string program = u"/opt/My Games/\"L\"/launcher.exe";
  EXPECT_EQ(SetMachineRegistryString(wow, plain, u"VDLLauncher", program), 1);
  EXPECT_EQ(SetMachineRegistryString(wow, plain, u"VDLLauncher", program), 0);

  std::string desktop;
  ASSERT_TRUE(platform::ReadFileToString(config_.Join("autostart/VDLLauncher.desktop"), desktop));
  EXPECT_NE(desktop.find("Exec=\"/opt/My Games/\\\\\"L\\\\\"/launcher.exe\"\n"), std::string::npos)
      << desktop;
  EXPECT_EQ(ReadMachineRegistryString(plain, "VDLLauncher"), "/opt/My Games/\"L\"/launcher.exe");

  EXPECT_EQ(SetMachineRegistryString(wow, plain, u"../escape", program), -1);
  EXPECT_FALSE(std::filesystem::exists(config_.Join("escape.desktop")));
}

TEST_F(UserConfigTest, FontValuesAreKept) {
  const std::u16string fonts = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  EXPECT_EQ(SetMachineRegistryString(fonts, u"", u"Source Han Sans (TrueType)", u"han.otf"), 1);
  EXPECT_EQ(SetMachineRegistryString(fonts, u"", u"Other\tname", u"other.otf"), 1);
  EXPECT_EQ(SetMachineRegistryString(fonts, u"", u"Source Han Sans (TrueType)", u"han.otf"), 0);
  EXPECT_EQ(ReadMachineRegistryString(fonts, "Other\tname"), "other.otf");
  EXPECT_EQ(SetMachineRegistryString(u"SOFTWARE\\Read\\Only", u"", u"x", u"y"), -1);
}

}  // namespace
