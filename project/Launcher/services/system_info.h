// Small descriptions of the machine and the time for the usage events,
// machine-wide registry strings (answered by platform/system's stand-in),
// the version-triple parser and the remaining-time formatter. No state; any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// The current UTC date "YYYY-MM-DD" and time "hh:mm:ss"; always true.
bool GetUtcDateTime(std::string& date, std::string& time);
// The same for a given moment (seconds since 1970 UTC).
bool FormatUtcDateTime(std::time_t moment, std::string& date, std::string& time);

// A string value under HKEY_LOCAL_MACHINE; empty when it cannot be read or
// does not fit in 260 bytes.
std::string ReadMachineRegistryString(const std::u16string& key, const std::string& valueName);
// A 4-byte value as unsigned decimal text; "0" when it cannot be read.
std::string ReadMachineRegistryDword(const std::u16string& key, const std::string& valueName);

// "major.minor.build" of the system ("6.1.0-13-amd64" here).
std::string GetWindowsVersion();
// The processor's name; empty when unknown.
std::string GetCpuName();

// 0 when the value already holds exactly `value`, 1 when it was written, -1
// when it could not be written. `fallbackKey` (may be empty) is used when
// `key` cannot be opened.
int32_t SetMachineRegistryString(const std::u16string& key, const std::u16string& fallbackKey,
                                 const std::u16string& valueName, const std::u16string& value);

// Splits "10085_2_7" at "_" into first 10085, second 7 and third 2 (the
// second and third outputs take the third and the second piece). False, with
// all outputs 0, unless there are exactly three pieces that each begin with a
// decimal number within the signed 32-bit range.
bool ParseVersionTriple(const std::string& version, int32_t& first, int32_t& second,
                        int32_t& third);

// "hh:mm:ss" with hours unbounded ("100:00:00"); a negative count prints as
// 0. Returns the number of units written before the terminator, or -1 (with
// an empty buffer, when it has room for the terminator) when it does not fit.
int FormatDuration(int32_t seconds, char16_t* buffer, size_t bufferSize);
