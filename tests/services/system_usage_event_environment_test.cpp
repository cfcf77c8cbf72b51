#include "project/Launcher/services/system_usage_event_environment.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/disk/disk_space.h"
#include "platform/system/machine_registry.h"

namespace {

class FakeRegistry : public platform::MachineRegistry {
 public:
  bool CanOpenKey(const std::string&, bool) override { return true; }
  bool ReadValue(const std::string& key, const std::string& name,
                 platform::RegistryValue* out) override {
    out->type = platform::RegistryValue::Type::kString;
    out->text = key + "|" + name;
    return true;
  }
  bool WriteString(const std::string&, const std::string&, const std::string&) override {
    return false;
  }
};

}  // namespace

TEST(SystemUsageEventEnvironmentTest, ReadsTheMachineThroughItsStandIns) {
  FakeRegistry registry;
  platform::SetMachineRegistryForTesting(&registry);
  SystemUsageEventEnvironment env;
  EXPECT_EQ(env.MachineGuid(), "SOFTWARE\\Microsoft\\Cryptography\\|MachineGuid");
  EXPECT_EQ(env.ProductName(), "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\|ProductName");
  platform::SetMachineRegistryForTesting(nullptr);

  std::string date, time;
  env.UtcDateTime(&date, &time);
  EXPECT_EQ(date.size(), 10u);
  EXPECT_EQ(time.size(), 8u);
  EXPECT_GT(env.UnixTimeSeconds(), int64_t{1700000000});

  EXPECT_EQ(env.UiLanguage(), u"");
  EXPECT_FALSE(env.IsGameRunning());
  env.uiLanguage = [] { return std::u16string(u"ko"); };
  env.gameRunning = [] { return true; };
  EXPECT_EQ(env.UiLanguage(), u"ko");
  EXPECT_TRUE(env.IsGameRunning());

  ::setenv("LC_ALL", "de_AT.UTF-8", 1);
  EXPECT_EQ(env.Country(), std::optional<std::string>("AT"));
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(env.Country(), std::nullopt);
  ::unsetenv("LC_ALL");
}

TEST(SystemUsageEventEnvironmentTest, DriveSpaceOrNone) {
  SystemUsageEventEnvironment env;
  platform::SetDiskSpaceQueryForTesting([](const std::string& path, platform::DiskSpace* out) {
    if (path.find("unreadable") != std::string::npos) return false;
    out->total = 10;
    out->available = 7;
    return true;
  });
  EXPECT_EQ(env.AvailableBytes(u"/games/x"), std::optional<uint64_t>(7));
  EXPECT_EQ(env.AvailableBytes(u"/unreadable/x"), std::nullopt);
  platform::SetDiskSpaceQueryForTesting(nullptr);
}
