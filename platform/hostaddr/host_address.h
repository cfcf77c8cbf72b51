#pragma once
// The machine's own addresses, for when no server has told it its public one.

#include <string>

namespace platform {

// The first IPv4 address of an interface that is up, in dotted form,
// preferring any other interface to the loopback; empty when none has one.
std::string FirstLocalIpv4Address();

}  // namespace platform
