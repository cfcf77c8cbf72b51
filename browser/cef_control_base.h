#pragma once
// The control that hosts one browser in a window: the browser's event
// handler and page bridge, the main frame's URL, the callbacks through which
// its owner learns of the browser's events, and loading a URL, deferred until
// the browser exists. The concrete kind (the off-screen CefControl) creates
// the handler and the browser when the control joins its window.
//
// Every operation runs on the UI thread: the handler posts the engine's
// events there.

#include <functional>
#include <memory>
#include <string>

#include "browser/browser_handler.h"
#include "browser/cef_js_bridge.h"
#include "ui/control.h"

namespace jov_comp {

class CefControlBase : public ui::Control, public BrowserHandler::HandlerDelegate {
 public:
  using TitleChangeCallback = std::function<void(const std::u16string& title)>;
  using UrlChangeCallback = std::function<void(const std::u16string& url)>;
  using MainUrlChangeCallback =
      std::function<void(const std::string& old_url, const std::string& new_url)>;
  // True: the control's own browser shows the target. Either way the engine
  // opens no window. |user_gesture|: the page asked while handling a click
  // or a key (the engine reports it).
  using BeforePopupCallback = std::function<bool(const std::u16string& url, bool user_gesture)>;
  using LoadingStateChangeCallback =
      std::function<void(bool is_loading, bool can_go_back, bool can_go_forward)>;
  using LoadStartCallback = std::function<void()>;
  using LoadEndCallback = std::function<void(int http_status_code)>;
  using LoadErrorCallback =
      std::function<void(int error_code, const std::string& error_text, const std::string& failed_url)>;
  using AfterCreatedCallback = std::function<void(const BrowserPtr& browser)>;
  using BeforeCloseCallback = std::function<void(const BrowserPtr& browser)>;
  // A download the engine refused (downloads never start).
  using BeforeDownloadCallback = std::function<void(const BrowserPtr& browser, const std::string& url,
                                                    const std::string& suggested_name)>;
  using DevToolsVisibleChangeCallback = std::function<void(bool visible)>;

  CefControlBase() = default;
  ~CefControlBase() override;

  // Shows the page at |url|; before the browser exists the load waits for
  // it, before the control has joined a window the URL is dropped.
  void LoadURL(const std::string& url);
  // The main frame's URL as the engine last reported it.
  const std::string& GetURL() const { return url_; }
  BrowserPtr GetBrowser() const { return handler_ ? handler_->GetBrowser() : nullptr; }
  const std::shared_ptr<BrowserHandler>& GetHandler() const { return handler_; }
  const std::shared_ptr<CefJSBridge>& GetBridge() const { return bridge_; }

  // Attaching replaces the stored closure (an empty one clears it) and fires
  // nothing.
  void AttachTitleChange(TitleChangeCallback callback) { title_change_ = std::move(callback); }
  void AttachUrlChange(UrlChangeCallback callback) { url_change_ = std::move(callback); }
  void AttachMainUrlChange(MainUrlChangeCallback callback) { main_url_change_ = std::move(callback); }
  void AttachBeforePopup(BeforePopupCallback callback) { before_popup_ = std::move(callback); }
  void AttachLoadingStateChange(LoadingStateChangeCallback callback) {
    loading_state_change_ = std::move(callback);
  }
  void AttachLoadStart(LoadStartCallback callback) { load_start_ = std::move(callback); }
  void AttachLoadEnd(LoadEndCallback callback) { load_end_ = std::move(callback); }
  void AttachLoadError(LoadErrorCallback callback) { load_error_ = std::move(callback); }
  void AttachAfterCreated(AfterCreatedCallback callback) { after_created_ = std::move(callback); }
  void AttachBeforeClose(BeforeCloseCallback callback) { before_close_ = std::move(callback); }
  void AttachBeforeDownload(BeforeDownloadCallback callback) { before_download_ = std::move(callback); }
  void AttachDevToolsVisibleChange(DevToolsVisibleChangeCallback callback) {
    dev_tools_visible_change_ = std::move(callback);
  }

  // Creates the browser again when the control has none.
  virtual void ReCreateBrowser();
  // Developer tools: the headless engine cannot show its inspector page in
  // a view, so they are the protocol itself, served on a loopback port when
  // the engine was started with one (CefManager::SetRemoteDebuggingPort).
  // |view| is left empty. True when the tools are reachable.
  virtual bool AttachDevTools(Control* view) = 0;
  virtual void DetachDevTools();
  virtual bool IsAttachedDevTools() const { return dev_tools_attached_; }
  virtual void CreateBrowser() = 0;

  // BrowserHandler::HandlerDelegate
  void OnAddressChange(const BrowserPtr& browser, bool main_frame, const std::string& url) override;
  void OnTitleChange(const BrowserPtr& browser, const std::string& title) override;
  void OnLoadingStateChange(const BrowserPtr& browser, bool is_loading, bool can_go_back,
                            bool can_go_forward) override;
  void OnLoadStart(const BrowserPtr& browser) override;
  void OnLoadEnd(const BrowserPtr& browser, int http_status_code) override;
  void OnLoadError(const BrowserPtr& browser, int error_code, const std::string& error_text,
                   const std::string& failed_url) override;
  bool OnBeforePopup(const BrowserPtr& browser, const std::string& target_url,
                     bool user_gesture) override;
  void OnAfterCreated(const BrowserPtr& browser) override;
  void OnBeforeClose(const BrowserPtr& browser) override;
  void OnBeforeDownload(const BrowserPtr& browser, const std::string& url,
                        const std::string& suggested_name) override;
  bool OnExecuteCppFunc(const std::string& function_name, const std::string& params,
                        int page_callback_id, const BrowserPtr& browser) override;
  bool OnExecuteCppCallbackFunc(int launcher_callback_id, const std::string& json) override;

 protected:
  // Detaches the handler from this control and lets it go: its browsers are
  // closed, and one the engine is still making is closed when it arrives.
  void ReleaseHandler();
  void SetDevToolsAttached(bool attached);

  std::shared_ptr<BrowserHandler> handler_;
  std::shared_ptr<CefJSBridge> bridge_;
  std::string url_;
  bool dev_tools_attached_ = false;

 private:
  TitleChangeCallback title_change_;
  UrlChangeCallback url_change_;
  MainUrlChangeCallback main_url_change_;
  BeforePopupCallback before_popup_;
  LoadingStateChangeCallback loading_state_change_;
  LoadStartCallback load_start_;
  LoadEndCallback load_end_;
  LoadErrorCallback load_error_;
  AfterCreatedCallback after_created_;
  BeforeCloseCallback before_close_;
  BeforeDownloadCallback before_download_;
  DevToolsVisibleChangeCallback dev_tools_visible_change_;
};

}  // namespace jov_comp
