#include "browser/cef_manager.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "base/thread/thread_registry.h"
#include "browser/browser_handler.h"
#include "browser/client_app.h"
#include "platform/message/message_api.h"
#include "platform/process/process.h"

namespace jov_comp {

namespace {

// Waits up to |timeout_ms| for |pid| to end; true once it has (not reaped).
bool WaitForExitWithin(pid_t pid, int timeout_ms) {
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return errno == ESRCH;
  pollfd watch = {fd, POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int rc;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    rc = ::poll(&watch, 1, static_cast<int>(std::max<int64_t>(0, left.count())));
    if (rc < 0 && errno == EINTR) continue;
    break;
  }
  ::close(fd);
  return rc > 0;
}

void IgnoreBrokenPipes() {
  // A write to an engine that died must fail with EPIPE, not end the
  // launcher.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

bool CreatePipe(int fds[2]) { return ::pipe2(fds, O_CLOEXEC) == 0; }

}  // namespace

CefManager* CefManager::GetInstance() {
  static CefManager* instance = new CefManager();
  return instance;
}

CefManager::CefManager() = default;

void CefManager::SetEnginePath(const std::string& path) { engine_path_ = path; }

bool CefManager::SetupEngineEnvironment() {
  return ::access(engine_path_.c_str(), X_OK) == 0 &&
         std::filesystem::is_regular_file(engine_path_);
}

bool CefManager::Initialize(const std::string& data_folder, int timeout_ms) {
  if (initialized_) return true;
  IgnoreBrokenPipes();
  std::error_code ignored;
  std::filesystem::create_directories(data_folder, ignored);
  std::string folder = data_folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';

  int to_engine[2], from_engine[2];
  if (!CreatePipe(to_engine)) return false;
  if (!CreatePipe(from_engine)) {
    ::close(to_engine[0]);
    ::close(to_engine[1]);
    return false;
  }
  const int log = ::open((folder + "cef.log").c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  std::vector<std::string> argv = {engine_path_};
  for (std::string& s : ClientApp::EngineSwitches(folder + "CefLocalStorage", ::geteuid() == 0))
    argv.push_back(std::move(s));
  if (remote_debugging_port_ > 0) {
    argv.push_back("--remote-debugging-address=127.0.0.1");
    argv.push_back("--remote-debugging-port=" + std::to_string(remote_debugging_port_));
  }
  platform::SpawnOptions options;
  options.detach = false;
  options.handOverRead = to_engine[0];
  options.handOverWrite = from_engine[1];
  options.standardError = log;
  pid_t pid = 0;
  const bool spawned = platform::SpawnProcess(argv, options, &pid, nullptr);
  ::close(to_engine[0]);
  ::close(from_engine[1]);
  if (log >= 0) ::close(log);
  if (!spawned) {
    ::close(to_engine[1]);
    ::close(from_engine[0]);
    return false;
  }
  engine_pid_ = pid;
  if (!Handshake(from_engine[0], to_engine[1], timeout_ms)) {
    ::close(to_engine[1]);
    ::close(from_engine[0]);
    ReapEngine(0);
    return false;
  }
  pipe_ = std::make_unique<EnginePipe>(from_engine[0], to_engine[1], kThreadUI, this);
  pipe_->Start();
  // Downloads are refused for every page; targets report their end.
  Json::Value deny;
  deny["behavior"] = "deny";
  SendCommand("Browser.setDownloadBehavior", deny, "", nullptr);
  Json::Value discover;
  discover["discover"] = true;
  SendCommand("Target.setDiscoverTargets", discover, "", nullptr);
  initialized_ = true;
  return true;
}

bool CefManager::Handshake(int read_fd, int write_fd, int timeout_ms) {
  static const char kQuestion[] = "{\"id\":0,\"method\":\"Browser.getVersion\"}";
  if (::write(write_fd, kQuestion, sizeof kQuestion) != static_cast<ssize_t>(sizeof kQuestion))
    return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string text;
  char chunk[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd watch = {read_fd, POLLIN, 0};
    const int rc = ::poll(&watch, 1, static_cast<int>(left.count()));
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return false;
    const ssize_t n = ::read(read_fd, chunk, sizeof chunk);
    if (n <= 0) return false;
    text.append(chunk, static_cast<size_t>(n));
    if (text.size() > EnginePipe::kMaxIncomingBytes) return false;
    size_t nul;
    while ((nul = text.find('\0')) != std::string::npos) {
      Json::Value message;
      Json::CharReaderBuilder builder;
      std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
      const bool parsed = reader->parse(text.data(), text.data() + nul, &message, nullptr);
      text.erase(0, nul + 1);
      if (parsed && message.isObject() && message["id"] == 0)
        return message["result"].isMember("product");
    }
  }
}

void CefManager::ReapEngine(int timeout_ms) {
  if (engine_pid_ <= 0) return;
  if (!WaitForExitWithin(engine_pid_, timeout_ms)) ::kill(engine_pid_, SIGKILL);
  platform::WaitProcess(engine_pid_);
  engine_pid_ = 0;
}

void CefManager::Shutdown() {
  if (pipe_ && !pipe_->broken()) {
    Json::Value none(Json::objectValue);
    SendCommand("Browser.close", none, "", nullptr);
  }
  // The engine ends by itself after Browser.close (or when it sees its pipe
  // close); what does not end within the bound is killed.
  if (engine_pid_ > 0 && !WaitForExitWithin(engine_pid_, kExitTimeoutMs))
    ::kill(engine_pid_, SIGKILL);
  if (pipe_) pipe_->Stop();
  ReapEngine(kExitTimeoutMs);
  pipe_.reset();
  pending_.clear();
  targets_.clear();
  sessions_.clear();
  initialized_ = false;
}

void CefManager::DropPipeForTesting() {
  if (pipe_) pipe_->Stop();
}

void CefManager::IncrementBrowserCount() { ++browser_count_; }

void CefManager::DecrementBrowserCount() {
  if (browser_count_ > 0) --browser_count_;
}

void CefManager::PostQuitMessage(int exit_code) { PostQuitWithin(exit_code, kQuitRechecks); }

void CefManager::PostQuitWithin(int exit_code, int rechecks_left) {
  if (browser_count_ != 0 && rechecks_left > 0) {
    kbase::ThreadRegistry::PostDelayedTask(
        kThreadUI, [this, exit_code, rechecks_left] { PostQuitWithin(exit_code, rechecks_left - 1); },
        kbase::TimeDelta(kQuitRecheckMicroseconds));
    return;
  }
  kbase::ThreadRegistry::PostTask(kThreadUI, [exit_code] { platform::PostQuitMessage(exit_code); });
}

bool CefManager::SendCommand(const std::string& method, const Json::Value& params,
                             const std::string& session_id, CommandCallback callback) {
  if (!pipe_) return false;
  const int id = next_command_id_++;
  if (next_command_id_ <= 0) next_command_id_ = 1;
  Json::Value message;
  message["id"] = id;
  message["method"] = method;
  message["params"] = params.isNull() ? Json::Value(Json::objectValue) : params;
  if (!session_id.empty()) message["sessionId"] = session_id;
  if (!pipe_->Send(message)) return false;
  if (callback) pending_[id] = std::move(callback);
  return true;
}

void CefManager::AddTarget(const std::string& target_id,
                           const std::weak_ptr<BrowserHandler>& handler) {
  targets_[target_id] = handler;
}

void CefManager::AddSession(const std::string& session_id,
                            const std::weak_ptr<BrowserHandler>& handler) {
  sessions_[session_id] = handler;
}

void CefManager::RemoveTarget(const std::string& target_id, const std::string& session_id) {
  targets_.erase(target_id);
  sessions_.erase(session_id);
}

bool CefManager::TakeFrame(const std::string& session_id, EnginePipe::Frame* frame) {
  return pipe_ && pipe_->TakeFrame(session_id, frame);
}

void CefManager::OnEngineMessage(const Json::Value& message) {
  if (message.isMember("id")) {
    auto it = pending_.find(message["id"].asInt());
    if (it == pending_.end()) return;
    CommandCallback callback = std::move(it->second);
    pending_.erase(it);
    if (message.isMember("error"))
      callback(nullptr, &message["error"]);
    else
      callback(&message["result"], nullptr);
    return;
  }
  const std::string method = message["method"].asString();
  if (message.isMember("sessionId")) {
    auto it = sessions_.find(message["sessionId"].asString());
    if (it == sessions_.end()) return;
    if (auto handler = it->second.lock())
      handler->HandleSessionEvent(message["sessionId"].asString(), method, message["params"]);
    return;
  }
  RouteBrowserEvent(method, message["params"]);
}

void CefManager::RouteBrowserEvent(const std::string& method, const Json::Value& params) {
  std::string target_id;
  if (method == "Target.targetDestroyed" || method == "Target.targetCrashed")
    target_id = params["targetId"].asString();
  else if (method == "Target.detachedFromTarget")
    target_id = params["targetId"].asString();
  if (target_id.empty()) return;
  auto it = targets_.find(target_id);
  if (it == targets_.end()) return;
  auto handler = it->second.lock();
  if (!handler) return;
  if (method == "Target.targetCrashed")
    handler->HandleTargetCrashed(target_id, params["status"].asString());
  else
    handler->HandleTargetGone(target_id);
}

void CefManager::OnFrameReady(const std::string& session_id) {
  auto it = sessions_.find(session_id);
  if (it == sessions_.end()) return;
  if (auto handler = it->second.lock()) handler->HandleFrameReady(session_id);
}

void CefManager::OnEngineDisconnected() {
  // The engine is gone: nothing it owned will report its end, so every
  // browser counts as closed now, and the process is reaped.
  pending_.clear();
  if (pipe_) pipe_->Stop();
  ReapEngine(kExitTimeoutMs);
  auto targets = targets_;
  targets_.clear();
  sessions_.clear();
  for (auto& entry : targets) {
    if (auto handler = entry.second.lock()) handler->HandleTargetGone(entry.first);
  }
}

}  // namespace jov_comp
