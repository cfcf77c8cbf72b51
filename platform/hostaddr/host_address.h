#pragma once
// The machine's own addresses, for when no server has told it its public one.

#include <string>

namespace platform {

// The first IPv4 address of the local host name, in dotted form; empty when
// the host name or its address list is unavailable.
std::string FirstLocalIpv4Address();

}  // namespace platform
