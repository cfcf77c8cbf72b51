#pragma once
// The process-wide owner of the browser engine: a chromium-headless-shell
// process driven over the DevTools protocol on a pipe pair. It starts the
// engine with the launcher's settings, counts the browsers that are alive,
// turns the main window's quit request into the end of the UI loop once
// they have closed (within a bound), and ends the engine.
//
// Everything but Initialize and Shutdown runs on the UI thread (kThreadUI);
// Initialize and Shutdown run on the main thread before the UI loop starts
// and after it has ended.

#include <sys/types.h>

#include <json/json.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "browser/engine_pipe.h"

namespace jov_comp {

class BrowserHandler;

class CefManager : public EnginePipe::Listener {
 public:
  static constexpr const char* kDefaultEnginePath = "/usr/lib/chromium/chromium-headless-shell";
  // How long the engine has to answer its first question.
  static constexpr int kStartTimeoutMs = 30000;
  // How long Shutdown waits for the engine to end by itself before it kills.
  static constexpr int kExitTimeoutMs = 5000;
  // The quit request re-checks the browser count every half second, at most
  // this many times; then the UI loop ends anyway.
  static constexpr int64_t kQuitRecheckMicroseconds = 500000;
  static constexpr int kQuitRechecks = 10;

  // Answer of a command: |result| on success, |error| (the engine's error
  // object) otherwise; exactly one of them is set. Runs on the UI thread.
  using CommandCallback = std::function<void(const Json::Value* result, const Json::Value* error)>;

  static CefManager* GetInstance();

  // Where the engine binary is looked for (the default is Debian's).
  void SetEnginePath(const std::string& path);
  const std::string& engine_path() const { return engine_path_; }

  // Developer tools: with a port set before Initialize, the engine also
  // serves its protocol on 127.0.0.1 at that port (0: not served).
  void SetRemoteDebuggingPort(int port) { remote_debugging_port_ = port; }
  int remote_debugging_port() const { return remote_debugging_port_; }

  // True when the engine binary is present: the launcher uses web views.
  bool SetupEngineEnvironment();

  // Starts the engine with its data under |data_folder| (created when
  // missing): the profile in "CefLocalStorage", the engine's standard error
  // in "cef.log". True once the engine has answered Browser.getVersion
  // within |timeout_ms|; otherwise the engine is ended and false returned.
  bool Initialize(const std::string& data_folder, int timeout_ms = kStartTimeoutMs);

  // Asks the engine to close, waits up to kExitTimeoutMs for it to end,
  // kills it when it did not, and reaps it. Clears the initialised flag.
  void Shutdown();

  bool IsInitialized() const { return initialized_; }
  // Every browser renders off screen: the engine shows no window at all.
  bool IsOffScreenRenderingEnabled() const { return true; }

  void IncrementBrowserCount();
  void DecrementBrowserCount();
  int browser_count() const { return browser_count_; }

  // Ends the UI loop with |exit_code| once no browser is alive, re-checking
  // every half second; after kQuitRechecks checks it ends the loop anyway.
  void PostQuitMessage(int exit_code);

  // The engine's process id while it runs (0 otherwise).
  pid_t engine_pid() const { return engine_pid_; }

  // Sends a command; its answer reaches |callback| on the UI thread. A
  // session command carries |session_id|. False when the engine is gone.
  bool SendCommand(const std::string& method, const Json::Value& params,
                   const std::string& session_id, CommandCallback callback);

  // Browsers report their engine events through their handler.
  void AddTarget(const std::string& target_id, const std::weak_ptr<BrowserHandler>& handler);
  void AddSession(const std::string& session_id, const std::weak_ptr<BrowserHandler>& handler);
  void RemoveTarget(const std::string& target_id, const std::string& session_id);
  bool TakeFrame(const std::string& session_id, EnginePipe::Frame* frame);

  // Test seam: drops the launcher's ends of the pipe as a crashed launcher
  // would, without asking the engine anything.
  void DropPipeForTesting();

  // EnginePipe::Listener
  void OnEngineMessage(const Json::Value& message) override;
  void OnFrameReady(const std::string& session_id) override;
  void OnEngineDisconnected() override;

 private:
  CefManager();
  void PostQuitWithin(int exit_code, int rechecks_left);
  bool Handshake(int read_fd, int write_fd, int timeout_ms);
  void ReapEngine(int timeout_ms);
  void RouteBrowserEvent(const std::string& method, const Json::Value& params);

  std::string engine_path_ = kDefaultEnginePath;
  bool initialized_ = false;
  int remote_debugging_port_ = 0;
  int browser_count_ = 0;
  pid_t engine_pid_ = 0;
  std::unique_ptr<EnginePipe> pipe_;
  int next_command_id_ = 1;
  std::map<int, CommandCallback> pending_;
  std::map<std::string, std::weak_ptr<BrowserHandler>> targets_;
  std::map<std::string, std::weak_ptr<BrowserHandler>> sessions_;
};

}  // namespace jov_comp
