// The device identifier sent to the launcher's services: the computer's
// name followed, without separators, by the processor sum and the adapter
// fingerprint in decimal. Built once per process.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/system_source.h"

// The identifier, built on first use (safely from any thread) and kept.
std::string DeviceId();
// Builds the identifier afresh from the system source.
std::string BuildDeviceId();

// The sum, as uint32, of the low and high 16 bits of EAX, EBX, ECX and EDX of
// CPUID leaf 0.
uint32_t ProcessorSum();

// (min(a, b) << 16) | max(a, b) of the address sums of the first two adapters
// (b = 0 when there is one); false when the adapters cannot be listed or
// there is none.
bool AdapterFingerprint(uint32_t& value);

// The sum modulo 65536 of the address's little-endian 16-bit words, plus the
// last byte alone when the length is odd.
uint16_t AdapterAddressSum(const platform::NetworkAdapter& adapter);
