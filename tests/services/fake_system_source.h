// A system source with values chosen by the test; it installs itself for
// the test's lifetime.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/system/system_source.h"

class FakeSystemSource : public platform::SystemSource {
 public:
  FakeSystemSource() { platform::SetSystemSourceForTesting(this); }
  ~FakeSystemSource() override { platform::SetSystemSourceForTesting(nullptr); }

  std::string ComputerName() override { return computer_name; }
  std::array<uint32_t, 4> CpuidLeaf0() override { return cpuid; }
  bool NetworkAdapters(std::vector<platform::NetworkAdapter>* out) override {
    *out = adapters;
    return adapters_listed;
  }
  std::string KernelRelease() override { return kernel_release; }
  bool ReadSystemFile(const std::string& path, std::string* out) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    *out = it->second;
    return true;
  }

  std::string computer_name = "HOST";
  std::array<uint32_t, 4> cpuid = {0, 0, 0, 0};
  std::vector<platform::NetworkAdapter> adapters;
  bool adapters_listed = true;
  std::string kernel_release = "6.1.0-13-amd64";
  std::map<std::string, std::string> files;
};
