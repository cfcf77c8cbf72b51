#pragma once
// The main window's web view and link bar: the publisher's activity page in
// "webview" (faded in once loaded), pages that want a new window handed to
// the desktop's browser, and the community links of the channel
// configuration in "jump_links". Developer tools ("ActivityURL" set) are the
// engine's protocol on a loopback port; "webview_debug" stays empty.

#include <string>

#include "base/callback/weak_callback.h"
#include "project/Launcher/windows/main_form_part.h"

namespace jov_comp {
class CefControlBase;
}  // namespace jov_comp
namespace ui {
class HBox;
}  // namespace ui

class LauncherStore;

class WebViewPart : public MainFormPart, public virtual kbase::SupportWeakCallback {
 public:
  // The port of the developer tools while "ActivityURL" is set.
  static constexpr int kDevToolsPort = 9222;

  explicit WebViewPart(LauncherStore& store);

  // The page the web view shows: "ActivityURL" unchanged when set, else the
  // activity address with the language added as a query parameter ("?" or
  // "&" as the address needs, before any "#"); empty, showing nothing, for
  // an address that is not http or https.
  static std::string ComposeActivityUrl(const std::string& activity_url,
                                        const std::string& activity_address,
                                        const std::string& language_code);
  // The usage event's action of a link key: "Forum_" taken off.
  static std::string LinkAction(const std::string& link_key);

  void Attach(MainForm& form) override;
  void OnConfigReloaded() override;
  void OnRefreshPages() override;
  void Detach() override;
  bool ReadyToQuit() override;

 private:
  void InitWebView();
  void LoadWebViewUrl();
  void OnWebViewLoadEnd(int status);
  bool OnWebViewBeforePopup(const std::u16string& url, bool user_gesture);
  void BuildJumpLinks();
  bool OnJumpLinkClick(const std::string& link_key);

  LauncherStore& store_;
  MainForm* form_ = nullptr;
  jov_comp::CefControlBase* web_view_ = nullptr;
  ui::HBox* link_bar_ = nullptr;
};
