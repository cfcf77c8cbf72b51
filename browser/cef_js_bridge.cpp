#include "browser/cef_js_bridge.h"

#include "base/thread/thread_registry.h"

namespace jov_comp {

bool CefJSBridge::RegisterCppFunc(const std::string& name, LauncherFunction function,
                                  int browser_id) {
  return functions_.emplace(std::make_pair(name, browser_id), std::move(function)).second;
}

bool CefJSBridge::ExecuteCppFunc(const std::string& name, const std::string& params,
                                 int page_callback_id, const BrowserPtr& browser) {
  if (!browser) return false;
  auto it = functions_.find({name, browser->identifier});
  if (it == functions_.end()) it = functions_.find({name, kAnyBrowser});
  std::weak_ptr<BrowserHandler> handler = browser->handler;
  if (it == functions_.end()) {
    if (auto h = handler.lock()) h->AnswerPageCall(browser, page_callback_id, true, kFunctionNotExist);
    return false;
  }
  // The answer reaches the page only while its handler lives: the reporter
  // holds it weakly, so a late answer after the control is gone does nothing.
  LauncherResultReporter reporter = [handler, browser, page_callback_id](bool error,
                                                                        const std::string& result) {
    if (auto h = handler.lock()) h->AnswerPageCall(browser, page_callback_id, error, result);
  };
  LauncherFunction function = it->second;
  kbase::ThreadRegistry::PostTask(
      kThreadUI, WrapWeak([function, params, reporter] { function(params, reporter); }));
  return true;
}

bool CefJSBridge::CallJSFunction(const std::string& name, const std::string& params,
                                 CallJsCallback callback, const BrowserPtr& browser) {
  auto handler = browser ? browser->handler.lock() : nullptr;
  if (!handler) return false;
  const int id = next_launcher_callback_++;
  pending_[id] = std::move(callback);
  handler->CallPageFunction(browser, name, params, id);
  return true;
}

bool CefJSBridge::ExecuteCppCallbackFunc(int launcher_callback_id, const std::string& json) {
  auto it = pending_.find(launcher_callback_id);
  if (it == pending_.end()) return false;
  CallJsCallback callback = std::move(it->second);
  pending_.erase(it);
  if (callback)
    kbase::ThreadRegistry::PostTask(kThreadUI, WrapWeak([callback, json] { callback(json); }));
  return false;
}

}  // namespace jov_comp
