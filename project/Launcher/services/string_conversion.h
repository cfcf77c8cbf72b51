// UTF-8 <-> UTF-16 conversions for the wide (W) forms of the services: paths
// arrive as UTF-16 and reach the system as UTF-8.
#pragma once

#include <string>

namespace services {

// Invalid sequences become U+FFFD, one for each maximal bad subpart.
std::u16string Utf8ToUtf16(const std::string& text);
// An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace services
