#pragma once
// What the launcher asks of the engine as an application: the switches the
// engine process starts with and the page object that every page gets
// before any of its own scripts runs.

#include <string>
#include <vector>

namespace jov_comp {

class ClientApp {
 public:
  // The name of the binding through which page scripts reach the launcher.
  static constexpr const char* kBindingName = "__jovCefBinding";
  // The page-side functions the launcher calls into: the answer of a page
  // call and a call of a function the page registered.
  static constexpr const char* kAnswerFunction = "__jovCefAnswer";
  static constexpr const char* kCallJsFunction = "__jovCefCallJs";

  // The engine's command line after the program: the pipe, the data folder,
  // no pop-up windows, no GPU, nothing that talks to the network by itself.
  // |as_root|: the engine's sandbox cannot run for root, so it is switched
  // off then, and only then.
  static std::vector<std::string> EngineSwitches(const std::string& user_data_dir, bool as_root);

  // The script added to every new document: defines JovCefWebInstance with
  // "call" and "register", and reports the title and the cursor.
  static const std::string& PageObjectScript();
};

}  // namespace jov_comp
