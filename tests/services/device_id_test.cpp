#include "project/Launcher/services/device_id.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/services/fake_system_source.h"

namespace {

platform::NetworkAdapter Adapter(std::vector<uint8_t> address) {
  return platform::NetworkAdapter{"eth", std::move(address)};
}

TEST(DeviceIdTest, AdapterAddressSum) {
  struct Case {
    std::vector<uint8_t> address;
    uint16_t sum;
  } cases[] = {
      {{}, 0},
      {{0x7f}, 0x7f},
      {{1, 2, 3, 4, 5, 6}, 3081},  // 0x0201 + 0x0403 + 0x0605
      {{1, 2, 3, 4, 5}, 1545},     // the odd last byte is added unshifted
      {{0xff, 0xff, 0xff, 0xff}, 0xfffe},
  };
  for (const Case& c : cases) EXPECT_EQ(AdapterAddressSum(Adapter(c.address)), c.sum);
}

TEST(DeviceIdTest, AdapterFingerprintPutsTheSmallerSumHigh) {
  FakeSystemSource source;
  uint32_t value = 0;
  source.adapters = {Adapter({3, 0}), Adapter({2, 0})};
  ASSERT_TRUE(AdapterFingerprint(value));
  EXPECT_EQ(value, 2u * 65536 + 3);
  source.adapters = {Adapter({2, 0}), Adapter({3, 0}), Adapter({9, 9})};
  ASSERT_TRUE(AdapterFingerprint(value));
  EXPECT_EQ(value, 2u * 65536 + 3);
  source.adapters = {Adapter({5, 0})};
  ASSERT_TRUE(AdapterFingerprint(value));
  EXPECT_EQ(value, 5u);
  source.adapters.clear();
  EXPECT_FALSE(AdapterFingerprint(value));
  source.adapters = {Adapter({5, 0})};
  source.adapters_listed = false;
  EXPECT_FALSE(AdapterFingerprint(value));
}

TEST(DeviceIdTest, IdentifierConcatenatesNameProcessorSumAndFingerprint) {
  FakeSystemSource source;
  source.computer_name = "DESKTOP-1";
  source.cpuid = {0x0000000d, 0x756e6547, 0x6c65746e, 0x49656e69};  // "GenuineIntel"
  source.adapters = {Adapter({1, 2, 3, 4, 5, 6})};
  EXPECT_EQ(ProcessorSum(), 160611u);
  EXPECT_EQ(BuildDeviceId(), "DESKTOP-1" "160611" "3081");

  source.adapters_listed = false;  // no adapter information: no second number
  EXPECT_EQ(BuildDeviceId(), "DESKTOP-1160611");
  source.computer_name.clear();
  EXPECT_EQ(BuildDeviceId(), "160611");
}

TEST(DeviceIdTest, BuiltOnceEvenWhenFirstAskedOnSeveralThreads) {
  FakeSystemSource source;
  source.computer_name = "FIRST";
  std::vector<std::string> ids(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < ids.size(); ++i) threads.emplace_back([&ids, i] { ids[i] = DeviceId(); });
  for (auto& t : threads) t.join();
  for (const auto& id : ids) EXPECT_EQ(id, ids[0]);
  EXPECT_EQ(ids[0].rfind("FIRST", 0), 0u);

  source.computer_name = "SECOND";
  EXPECT_EQ(DeviceId(), ids[0]);
}

}  // namespace
