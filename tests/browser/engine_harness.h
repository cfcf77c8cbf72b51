#pragma once
// What the browser tests share: a UI thread (kThreadUI) running the UI loop
// on a thread of its own, a delegate that records the engine's events for
// the test thread to wait on, and helpers to run work on the UI thread.

#include <condition_variable>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"
#include "browser/browser_handler.h"
#include "browser/cef_js_bridge.h"
#include "tests/support/ui_thread.h"

namespace browser_test {

constexpr int kEventTimeoutMs = 30000;

using testing_support::OnUi;
using testing_support::UiThread;

// Records every event as a line of text ("end:200", "popup:URL", ...).
class Recorder : public jov_comp::BrowserHandler::HandlerDelegate {
 public:
  std::shared_ptr<jov_comp::CefJSBridge> bridge = std::make_shared<jov_comp::CefJSBridge>();

  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back(event);
    changed_.notify_all();
  }
  bool Has(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& e : events_)
      if (e == event) return true;
    return false;
  }
  bool HasPrefix(const std::string& prefix) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& e : events_)
      if (e.rfind(prefix, 0) == 0) return true;
    return false;
  }
  // Waits for an event equal to |event| (bounded).
  bool WaitFor(const std::string& event, int timeout_ms = kEventTimeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeout_ms), [&] {
      for (const auto& e : events_)
        if (e == event) return true;
      return false;
    });
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    events_.clear();
  }
  std::string Dump() {
    std::lock_guard<std::mutex> guard(lock_);
    std::string all;
    for (const auto& e : events_) all += e + "\n";
    return all;
  }

  void OnLoadStart(const jov_comp::BrowserPtr&) override { Add("start"); }
  void OnLoadEnd(const jov_comp::BrowserPtr&, int status) override {
    Add("end:" + std::to_string(status));
  }
  void OnLoadError(const jov_comp::BrowserPtr&, int code, const std::string& text,
                   const std::string& url) override {
    Add("error:" + std::to_string(code) + ":" + text + ":" + url);
  }
  bool OnBeforePopup(const jov_comp::BrowserPtr&, const std::string& url, bool) override {
    Add("popup:" + url);
    return false;
  }
  void OnAfterCreated(const jov_comp::BrowserPtr&) override { Add("created"); }
  void OnAddressChange(const jov_comp::BrowserPtr&, bool main_frame,
                       const std::string& url) override {
    if (main_frame) Add("address:" + url);
  }
  void OnLoadingStateChange(const jov_comp::BrowserPtr&, bool loading, bool back,
                            bool forward) override {
    Add(std::string("loading:") + (loading ? "1" : "0") + (back ? "1" : "0") + (forward ? "1" : "0"));
  }
  void OnPaint(const jov_comp::BrowserPtr&, const std::string& picture,
               const Json::Value& metadata) override {
    // A PNG starts with its signature; the size is the view's.
    const bool png = picture.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
    Add(std::string("paint:") + (png ? "png:" : "other:") +
        std::to_string(metadata["deviceWidth"].asInt()) + "x" +
        std::to_string(metadata["deviceHeight"].asInt()));
  }
  void OnBeforeClose(const jov_comp::BrowserPtr&) override { Add("closed"); }
  void OnRenderProcessTerminated(const jov_comp::BrowserPtr&, const std::string&) override {
    Add("terminated");
  }
  void OnTitleChange(const jov_comp::BrowserPtr&, const std::string& title) override {
    Add("title:" + title);
  }
  void OnBeforeDownload(const jov_comp::BrowserPtr&, const std::string&,
                        const std::string& name) override {
    Add("download:" + name);
  }
  bool OnExecuteCppFunc(const std::string& name, const std::string& params, int id,
                        const jov_comp::BrowserPtr& browser) override {
    return bridge->ExecuteCppFunc(name, params, id, browser);
  }
  bool OnExecuteCppCallbackFunc(int id, const std::string& json) override {
    return bridge->ExecuteCppCallbackFunc(id, json);
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

}  // namespace browser_test
