#include "platform/hostaddr/host_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

// Read from the interfaces, not by resolving the host name: on a machine
// whose name is not in its hosts file that lookup goes to the name servers
// and can block for many seconds, and it runs on the launcher's worker.
std::string FirstLocalIpv4Address() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return std::string();
  std::string loopback;
  std::string result;
  for (ifaddrs* entry = list; entry != nullptr && result.empty(); entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    if (!(entry->ifa_flags & IFF_UP)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text)) == nullptr) continue;
    if (entry->ifa_flags & IFF_LOOPBACK) {
      if (loopback.empty()) loopback = text;
    } else {
      result = text;
    }
  }
  ::freeifaddrs(list);
  // A machine with no other interface up still has its loopback address, as
  // its host name would have resolved to.
  return result.empty() ? loopback : result;
}

}  // namespace platform
