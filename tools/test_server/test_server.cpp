#include "tools/test_server/test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <fstream>

extern char** environ;

namespace testsrv {

namespace {
// Pages for the browser tests are served as HTML; everything else stays a
// plain byte stream (which a browser takes as a download).
std::string ContentTypeOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && path.substr(dot) == ".html") return "text/html; charset=utf-8";
  return "application/octet-stream";
}
}  // namespace


namespace {

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;
constexpr size_t kChunk = 64 * 1024;

class StringContent : public Content {
 public:
  explicit StringContent(std::string bytes) : bytes_(std::move(bytes)) {}
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  bool Read(int64_t offset, char* out, size_t n) const override {
    if (offset < 0 || static_cast<uint64_t>(offset) + n > bytes_.size()) return false;
    memcpy(out, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string bytes_;
};

// Bytes are a pseudo-random block of a prime length, shifted by a value that
// changes from one repetition to the next, so misplaced data never matches.
class PatternContent : public Content {
 public:
  static constexpr size_t kPeriod = 65521;
  PatternContent(int64_t size, uint32_t seed) : size_(size), block_(kPeriod) {
    uint32_t x = seed * 2654435761u + 0x9e3779b9u;
    if (x == 0) x = 1;
    for (auto& b : block_) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      b = static_cast<char>(x & 0xff);
    }
  }
  int64_t Size() const override { return size_; }
  bool Read(int64_t offset, char* out, size_t n) const override {
    if (offset < 0 || offset + static_cast<int64_t>(n) > size_) return false;
    while (n > 0) {
      const uint64_t round = static_cast<uint64_t>(offset) / kPeriod;
      const size_t at = static_cast<size_t>(static_cast<uint64_t>(offset) % kPeriod);
      const size_t take = std::min(n, kPeriod - at);
      const auto shift = static_cast<unsigned char>(round * 131u);
      const char* src = block_.data() + at;
      for (size_t i = 0; i < take; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(src[i]) + shift);
      out += take;
      offset += static_cast<int64_t>(take);
      n -= take;
    }
    return true;
  }

 private:
  int64_t size_;
  std::vector<char> block_;
};

class DiskContent : public Content {
 public:
  explicit DiskContent(const std::string& path) {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ >= 0 && fstat(fd_, &st) == 0) size_ = st.st_size;
  }
  ~DiskContent() override {
    if (fd_ >= 0) close(fd_);
  }
  int64_t Size() const override { return size_; }
  bool Read(int64_t offset, char* out, size_t n) const override {
    while (n > 0) {
      const ssize_t got = pread(fd_, out, n, offset);
      if (got <= 0) return false;
      out += got;
      offset += got;
      n -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_ = -1;
  int64_t size_ = 0;
};

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

// Parses "bytes=a-b" or "bytes=a-"; false for anything else.
bool ParseRange(const std::string& value, int64_t* begin, int64_t* end) {
  const std::string v = Trim(value);
  if (v.rfind("bytes=", 0) != 0) return false;
  const std::string rangeText = v.substr(6);
  const size_t dash = rangeText.find('-');
  if (dash == std::string::npos || dash == 0 || rangeText.find(',') != std::string::npos)
    return false;
  try {
    size_t used = 0;
    *begin = std::stoll(rangeText.substr(0, dash), &used);
    if (used != dash || *begin < 0) return false;
    const std::string tail = rangeText.substr(dash + 1);
    if (tail.empty()) {
      *end = -1;
    } else {
      *end = std::stoll(tail, &used);
      if (used != tail.size() || *end < *begin) return false;
    }
  } catch (...) {
    return false;
  }
  return true;
}

bool RunQuiet(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::shared_ptr<Content> MakeStringContent(std::string bytes) {
  return std::make_shared<StringContent>(std::move(bytes));
}

std::shared_ptr<Content> MakePatternContent(int64_t size, uint32_t seed) {
  return std::make_shared<PatternContent>(size, seed);
}

std::shared_ptr<Content> MakeDiskContent(const std::string& path) {
  return std::make_shared<DiskContent>(path);
}

std::string ContentMd5(const Content& content) {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_DigestInit_ex(ctx, EVP_md5(), nullptr);
  std::vector<char> buf(1 << 20);
  for (int64_t at = 0; at < content.Size();) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(buf.size(), content.Size() - at));
    content.Read(at, buf.data(), n);
    EVP_DigestUpdate(ctx, buf.data(), n);
    at += static_cast<int64_t>(n);
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  EVP_DigestFinal_ex(ctx, digest, &len);
  EVP_MD_CTX_free(ctx);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < len; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 15];
  }
  return out;
}

bool WriteContentToFile(const Content& content, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  std::vector<char> buf(1 << 20);
  for (int64_t at = 0; at < content.Size();) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(buf.size(), content.Size() - at));
    if (!content.Read(at, buf.data(), n)) return false;
    out.write(buf.data(), static_cast<std::streamsize>(n));
    at += static_cast<int64_t>(n);
  }
  out.close();
  return static_cast<bool>(out);
}

bool GenerateTlsFiles(const std::string& dir, TlsFiles* out) {
  const std::string caKey = dir + "/ca.key", caCert = dir + "/ca.pem";
  const std::string key = dir + "/server.key", csr = dir + "/server.csr";
  const std::string cert = dir + "/server.pem", ext = dir + "/server.ext";
  {
    std::ofstream e(ext);
    e << "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
         "basicConstraints=CA:FALSE\n"
         "keyUsage=digitalSignature,keyEncipherment\n"
         "extendedKeyUsage=serverAuth\n";
    if (!e) return false;
  }
  const bool ok =
      RunQuiet({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", caKey, "-out", caCert,
                "-subj", "/CN=Launcher Test CA", "-days", "3", "-addext",
                "basicConstraints=critical,CA:TRUE", "-addext",
                "keyUsage=critical,keyCertSign,cRLSign"}) &&
      RunQuiet({"openssl", "req", "-new", "-newkey", "ec", "-pkeyopt",
                "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", csr,
                "-subj", "/CN=127.0.0.1"}) &&
      RunQuiet({"openssl", "x509", "-req", "-in", csr, "-CA", caCert, "-CAkey", caKey,
                "-CAcreateserial", "-out", cert, "-days", "3", "-extfile", ext});
  if (!ok) return false;
  out->caCert = caCert;
  out->serverCert = cert;
  out->serverKey = key;
  return true;
}

struct TestServer::Connection {
  int fd = -1;
  SSL* ssl = nullptr;
  std::string buffered;  // received bytes not yet consumed

  // Reads more bytes into `buffered`; false on end or error.
  bool Fill() {
    char buf[16384];
    const int n = ssl ? SSL_read(ssl, buf, sizeof buf)
                      : static_cast<int>(recv(fd, buf, sizeof buf, 0));
    if (n <= 0) return false;
    buffered.append(buf, static_cast<size_t>(n));
    return true;
  }
  bool WriteAll(const char* data, size_t n) {
    while (n > 0) {
      const int w = ssl ? SSL_write(ssl, data, static_cast<int>(n))
                        : static_cast<int>(send(fd, data, n, MSG_NOSIGNAL));
      if (w <= 0) return false;
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
};

TestServer::TestServer() = default;

TestServer::~TestServer() { Stop(); }

bool TestServer::Start(uint16_t port, const std::string& certFile,
                       const std::string& keyFile) {
  signal(SIGPIPE, SIG_IGN);
  if (!certFile.empty()) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx || SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
      if (ctx) SSL_CTX_free(ctx);
      return false;
    }
    tls_ctx_ = ctx;
  }
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return false;
  int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listen_fd_, 64) != 0) {
    close(listen_fd_);
    listen_fd_ = -1;
    return false;
  }
  socklen_t len = sizeof addr;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  stopping_ = false;
  accept_thread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void TestServer::Stop() {
  if (listen_fd_ < 0) return;
  stopping_ = true;
  shutdown(listen_fd_, SHUT_RDWR);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stalls_released_ = true;
    for (auto& c : connections_)
      if (c->fd >= 0) shutdown(c->fd, SHUT_RDWR);
  }
  cv_.notify_all();
  if (accept_thread_.joinable()) accept_thread_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
  close(listen_fd_);
  listen_fd_ = -1;
  connections_.clear();
  if (tls_ctx_) SSL_CTX_free(static_cast<SSL_CTX*>(tls_ctx_));
  tls_ctx_ = nullptr;
}

std::string TestServer::BaseUrl() const {
  return std::string(tls() ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

void TestServer::AddFile(const std::string& path, std::shared_ptr<Content> content) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_[path] = std::move(content);
}

void TestServer::RemoveFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.erase(path);
}

void TestServer::ServeFolder(const std::string& folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folder_ = folder;
}

void TestServer::SetFault(const std::string& path, const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[path] = fault;
}

void TestServer::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

void TestServer::ReleaseStalls() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stalls_released_ = true;
  }
  cv_.notify_all();
}

std::vector<RequestRecord> TestServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

void TestServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  log_.clear();
}

bool TestServer::WaitForRequest(const std::function<bool(const RequestRecord&)>& pred,
                                int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return std::any_of(log_.begin(), log_.end(), pred);
  });
}

int64_t TestServer::BytesSent(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int64_t total = 0;
  for (const auto& r : log_)
    if (r.path == path) total += r.bytesSent;
  return total;
}

void TestServer::AcceptLoop() {
  while (!stopping_) {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (stopping_) return;
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto conn = std::make_shared<Connection>();
    conn->fd = fd;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      close(fd);
      return;
    }
    connections_.push_back(conn);
    workers_.emplace_back([this, conn] { Serve(conn); });
  }
}

void TestServer::Serve(std::shared_ptr<Connection> conn) {
  if (tls_ctx_) {
    conn->ssl = SSL_new(static_cast<SSL_CTX*>(tls_ctx_));
    SSL_set_fd(conn->ssl, conn->fd);
    if (SSL_accept(conn->ssl) != 1) {
      ERR_clear_error();
      SSL_free(conn->ssl);
      conn->ssl = nullptr;
    }
  }
  bool keepAlive = !tls_ctx_ || conn->ssl != nullptr;
  while (keepAlive && !stopping_) {
    RequestRecord rec;
    if (!HandleRequest(*conn, rec, &keepAlive)) break;
  }
  if (conn->ssl) {
    SSL_shutdown(conn->ssl);
    SSL_free(conn->ssl);
    conn->ssl = nullptr;
    ERR_clear_error();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  shutdown(conn->fd, SHUT_RDWR);
  close(conn->fd);
  conn->fd = -1;
  connections_.erase(std::remove(connections_.begin(), connections_.end(), conn),
                     connections_.end());
}

std::shared_ptr<Content> TestServer::FindContent(const std::string& path) const {
  std::string folder;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(path);
    if (it != files_.end()) return it->second;
    folder = folder_;
  }
  if (folder.empty() || path.empty() || path[0] != '/' ||
      path.find("..") != std::string::npos || path.find('\\') != std::string::npos)
    return nullptr;
  const std::string full = folder + path;
  struct stat st {};
  if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return MakeDiskContent(full);
}

bool TestServer::TakeFault(const std::string& path, Fault* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = faults_.find(path);
  if (it == faults_.end() || it->second.times == 0) return false;
  *out = it->second;
  if (it->second.times > 0) --it->second.times;
  return true;
}

size_t TestServer::LogRequest(const RequestRecord& rec) {
  size_t index;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(rec);
    log_.back().seq = next_seq_++;
    index = log_.size() - 1;
  }
  cv_.notify_all();
  return index;
}

void TestServer::UpdateLog(size_t index, int status, int64_t bytesSent) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < log_.size()) {
      log_[index].status = status;
      log_[index].bytesSent = bytesSent;
    }
  }
  cv_.notify_all();  // WaitForRequest may wait for an answer's progress
}

bool TestServer::WaitStalled() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return stalls_released_ || stopping_.load(); });
  return false;
}

bool TestServer::HandleRequest(Connection& conn, RequestRecord& rec, bool* keepAlive) {
  size_t headerEnd;
  while ((headerEnd = conn.buffered.find("\r\n\r\n")) == std::string::npos) {
    if (conn.buffered.size() > kMaxHeaderBytes || !conn.Fill()) return false;
  }
  const std::string head = conn.buffered.substr(0, headerEnd);
  conn.buffered.erase(0, headerEnd + 4);

  size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const size_t sp1 = requestLine.find(' ');
  const size_t sp2 = requestLine.find(' ', sp1 + 1);
  if (sp1 == std::string::npos || sp2 == std::string::npos) return false;
  rec.method = requestLine.substr(0, sp1);
  rec.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
  const size_t q = rec.target.find('?');
  rec.path = rec.target.substr(0, q);
  if (q != std::string::npos) rec.query = rec.target.substr(q + 1);
  while (lineEnd != std::string::npos) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line = head.substr(start, lineEnd == std::string::npos
                                                    ? std::string::npos
                                                    : lineEnd - start);
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    rec.headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
  }
  if (Lower(rec.headers["connection"]) == "close") *keepAlive = false;
  auto cl = rec.headers.find("content-length");
  if (cl != rec.headers.end()) {
    size_t length = 0;
    try {
      length = std::stoul(cl->second);
    } catch (...) {
      return false;
    }
    if (length > kMaxBodyBytes) return false;
    while (conn.buffered.size() < length)
      if (!conn.Fill()) return false;
    rec.body = conn.buffered.substr(0, length);
    conn.buffered.erase(0, length);
  }
  auto range = rec.headers.find("range");
  if (range != rec.headers.end()) {
    rec.range = range->second;
    ParseRange(rec.range, &rec.rangeBegin, &rec.rangeEnd);
  }
  const size_t logIndex = LogRequest(rec);

  auto answer = [&](int status, const std::string& extra, const std::string& body,
                    bool sendBody) {
    std::string h = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n" +
                    extra + "Content-Length: " + std::to_string(body.size()) + "\r\n" +
                    (*keepAlive ? "" : "Connection: close\r\n") + "\r\n";
    if (sendBody) h += body;
    UpdateLog(logIndex, status, sendBody ? static_cast<int64_t>(body.size()) : 0);
    return conn.WriteAll(h.data(), h.size());
  };

  Fault fault;
  const bool faulty = TakeFault(rec.path, &fault);
  const bool head_only = rec.method == "HEAD";
  if (faulty && fault.status != 0) {
    const std::string extra =
        fault.location.empty() ? "" : "Location: " + fault.location + "\r\n";
    return answer(fault.status, extra, fault.body, !head_only);
  }

  auto content = FindContent(rec.path);
  if (!content) return answer(404, "", "not found", !head_only);
  const int64_t size = content->Size();
  if (rec.method == "POST") {
    std::string body(static_cast<size_t>(size), '\0');
    content->Read(0, body.data(), body.size());
    return answer(200, "Content-Type: application/json\r\n", body, true);
  }
  if (rec.method != "GET" && !head_only) return answer(400, "", "bad method", true);

  int64_t begin = 0, length = size;
  int status = 200;
  std::string extra = "Accept-Ranges: bytes\r\n";
  if (!rec.range.empty() && !(faulty && fault.ignoreRange)) {
    int64_t b = 0, e = -1;
    if (!ParseRange(rec.range, &b, &e) || b >= size) {
      return answer(416, "Content-Range: bytes */" + std::to_string(size) + "\r\n", "",
                    !head_only);
    }
    if (e < 0 || e >= size) e = size - 1;
    begin = b;
    length = e - b + 1;
    status = 206;
    const int64_t shift = faulty ? fault.rangeShift : 0;
    extra += "Content-Range: bytes " + std::to_string(b + shift) + "-" +
             std::to_string(e + shift) + "/" + std::to_string(size) + "\r\n";
  }
  std::string h = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n" +
                  extra + "Content-Type: " + ContentTypeOf(rec.path) + "\r\n" +
                  "Content-Length: " + std::to_string(length) + "\r\n" +
                  (*keepAlive ? "" : "Connection: close\r\n") + "\r\n";
  UpdateLog(logIndex, status, 0);
  if (!conn.WriteAll(h.data(), h.size())) return false;
  if (head_only) return true;
  if (!faulty) fault = Fault{};
  return SendBody(conn, *content, begin, length, fault, logIndex);
}

bool TestServer::SendBody(Connection& conn, const Content& content, int64_t begin,
                          int64_t length, const Fault& fault, size_t logIndex) {
  std::vector<char> buf(kChunk);
  const auto start = std::chrono::steady_clock::now();
  int64_t sent = 0;
  int status;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status = log_[logIndex].status;
  }
  while (sent < length) {
    if (stopping_) return false;
    int64_t want = std::min<int64_t>(kChunk, length - sent);
    if (fault.dropAfter >= 0) {
      if (sent >= fault.dropAfter) return false;
      want = std::min(want, fault.dropAfter - sent);
    }
    if (fault.stallAfter >= 0) {
      if (sent >= fault.stallAfter) return WaitStalled();
      want = std::min(want, fault.stallAfter - sent);
    }
    if (fault.throttle > 0) {
      // Pace the body: never ahead of throttle bytes per second since start.
      want = std::min<int64_t>(want, std::max<int64_t>(1, fault.throttle / 20));
      const auto due = start + std::chrono::microseconds(sent * 1000000 / fault.throttle);
      std::this_thread::sleep_until(due);
    }
    const size_t n = static_cast<size_t>(want);
    if (!content.Read(begin + sent, buf.data(), n)) return false;
    if (fault.corrupt)
      for (size_t i = 0; i < n; ++i) buf[i] = static_cast<char>(buf[i] ^ 0x5a);
    const int64_t at = fault.corruptAt - (begin + sent);
    if (at >= 0 && at < want) buf[static_cast<size_t>(at)] = static_cast<char>(buf[static_cast<size_t>(at)] ^ 0x5a);
    if (!conn.WriteAll(buf.data(), n)) return false;
    sent += want;
    UpdateLog(logIndex, status, sent);
  }
  if (fault.dropAfter >= 0 && sent >= fault.dropAfter) return false;
  return true;
}

}  // namespace testsrv
