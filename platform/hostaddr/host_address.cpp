#include "platform/hostaddr/host_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

std::string FirstLocalIpv4Address() {
  char host[256] = {};
  if (::gethostname(host, sizeof(host) - 1) != 0) return std::string();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &list) != 0) return std::string();
  std::string result;
  for (addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text)) != nullptr) {
      result = text;
      break;
    }
  }
  ::freeaddrinfo(list);
  return result;
}

}  // namespace platform
