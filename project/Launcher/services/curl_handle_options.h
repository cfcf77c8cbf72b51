// The options every libcurl handle of the launcher shares: HTTP/2 where TLS
// negotiates it, verified TLS peers, HTTP(S) only, redirects followed, no
// signals, and the connect time-out.
#pragma once

#include <curl/curl.h>

#include <string>

// |caFile| empty: the system's trust store verifies peers.
void ApplyCommonCurlOptions(CURL* easy, const std::string& caFile, int connectTimeoutSeconds);
