#pragma once
// The launcher's side of the page bridge: the functions pages may call
// (JovCefWebInstance.call) with their answers, and calls of functions that
// a page registered (JovCefWebInstance.register) with theirs. One bridge per
// browser control; everything runs on the UI thread.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "browser/browser_handler.h"

namespace jov_comp {

class CefJSBridge : public virtual kbase::SupportWeakCallback {
 public:
  // Answers a page call; may be called at once or later, more than once
  // (the page keeps the first answer).
  using LauncherResultReporter = std::function<void(bool error, const std::string& result)>;
  using LauncherFunction =
      std::function<void(const std::string& params, const LauncherResultReporter& reporter)>;
  using CallJsCallback = std::function<void(const std::string& result)>;

  // The answer to a call of a name that is not registered.
  static constexpr const char* kFunctionNotExist = R"({"message":"Function does not exist."})";
  // Browser identifier that stands for every browser.
  static constexpr int kAnyBrowser = -1;

  // Adds a launcher function under (name, browser); false when taken.
  bool RegisterCppFunc(const std::string& name, LauncherFunction function,
                       int browser_id = kAnyBrowser);

  // A page called |name|: runs the launcher function later on the UI thread
  // and answers through the browser's handler; an unknown name is answered
  // with the error at once (false).
  bool ExecuteCppFunc(const std::string& name, const std::string& params, int page_callback_id,
                      const BrowserPtr& browser);

  // Calls the page function |name| that the browser's main frame registered;
  // |callback| gets its result when it returns an object.
  bool CallJSFunction(const std::string& name, const std::string& params,
                      CallJsCallback callback, const BrowserPtr& browser);
  // The page's answer to CallJSFunction; always false, as the answer runs
  // later on the UI thread. An id that is not pending does nothing.
  bool ExecuteCppCallbackFunc(int launcher_callback_id, const std::string& json);

 private:
  std::map<std::pair<std::string, int>, LauncherFunction> functions_;
  std::map<int, CallJsCallback> pending_;
  int next_launcher_callback_ = 0;
};

}  // namespace jov_comp
