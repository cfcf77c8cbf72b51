#include "project/Launcher/services/device_id.h"

#include <algorithm>
#include <vector>

uint32_t ProcessorSum() {
  uint32_t sum = 0;
  for (uint32_t reg : platform::GetSystemSource().CpuidLeaf0()) {
    sum += (reg & 0xffffu) + (reg >> 16);
  }
  return sum;
}

uint16_t AdapterAddressSum(const platform::NetworkAdapter& adapter) {
  const std::vector<uint8_t>& address = adapter.address;
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 1 < address.size(); i += 2) sum += address[i] | (address[i + 1] << 8);
  if (i < address.size()) sum += address[i];
  return static_cast<uint16_t>(sum);
}

bool AdapterFingerprint(uint32_t& value) {
  std::vector<platform::NetworkAdapter> adapters;
  if (!platform::GetSystemSource().NetworkAdapters(&adapters) || adapters.empty()) return false;
  const uint32_t a = AdapterAddressSum(adapters[0]);
  const uint32_t b = adapters.size() > 1 ? AdapterAddressSum(adapters[1]) : 0;
  value = (std::min(a, b) << 16) | std::max(a, b);
  return true;
}

std::string BuildDeviceId() {
  std::string id = platform::GetSystemSource().ComputerName();
  id += std::to_string(ProcessorSum());
  uint32_t fingerprint = 0;
  if (AdapterFingerprint(fingerprint)) id += std::to_string(fingerprint);
  return id;
}

std::string DeviceId() {
  static const std::string id = BuildDeviceId();
  return id;
}
