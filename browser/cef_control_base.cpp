#include "browser/cef_control_base.h"

#include <utility>

#include "platform/text/utf_conversion.h"

namespace jov_comp {

namespace {

std::string_view BeforeFragment(const std::string& url) {
  const size_t hash = url.find('#');
  return std::string_view(url).substr(0, hash);
}

}  // namespace

CefControlBase::~CefControlBase() { ReleaseHandler(); }

void CefControlBase::ReleaseHandler() {
  if (!handler_) return;
  handler_->SetHandlerDelegate(nullptr);
  handler_->SetHostWindow(nullptr);
  // The handler's end closes its browsers; a browser the engine delivers
  // after it has gone is closed on arrival.
  handler_.reset();
}

void CefControlBase::LoadURL(const std::string& url) {
  if (!handler_) return;
  if (BrowserPtr browser = handler_->GetBrowser()) {
    handler_->LoadURL(browser, url);
    return;
  }
  // The withdrawal closure is dropped: a deferred load is not taken back.
  handler_->AddAfterCreateTask(WrapWeak([this, url] { LoadURL(url); }));
}

void CefControlBase::ReCreateBrowser() { CreateBrowser(); }

void CefControlBase::DetachDevTools() {
  if (!dev_tools_attached_) return;
  SetDevToolsAttached(false);
}

void CefControlBase::SetDevToolsAttached(bool attached) {
  dev_tools_attached_ = attached;
  if (dev_tools_visible_change_) dev_tools_visible_change_(attached);
}

void CefControlBase::OnAddressChange(const BrowserPtr& browser, bool main_frame,
                                     const std::string& url) {
  if (url_change_) url_change_(platform::UTF8ToUTF16(url));
  if (!main_frame) return;
  const std::string previous = url_;
  url_ = browser ? browser->url : url;
  if (main_url_change_ && BeforeFragment(previous) != BeforeFragment(url_))
    main_url_change_(previous, url_);
}

void CefControlBase::OnTitleChange(const BrowserPtr&, const std::string& title) {
  if (title_change_) title_change_(platform::UTF8ToUTF16(title));
}

void CefControlBase::OnLoadingStateChange(const BrowserPtr&, bool is_loading, bool can_go_back,
                                          bool can_go_forward) {
  if (loading_state_change_) loading_state_change_(is_loading, can_go_back, can_go_forward);
}

void CefControlBase::OnLoadStart(const BrowserPtr&) {
  if (load_start_) load_start_();
}

void CefControlBase::OnLoadEnd(const BrowserPtr&, int http_status_code) {
  if (load_end_) load_end_(http_status_code);
}

void CefControlBase::OnLoadError(const BrowserPtr&, int error_code, const std::string& error_text,
                                 const std::string& failed_url) {
  if (load_error_) load_error_(error_code, error_text, failed_url);
}

bool CefControlBase::OnBeforePopup(const BrowserPtr&, const std::string& target_url,
                                   bool user_gesture) {
  if (!before_popup_ || target_url.empty()) return false;
  return before_popup_(platform::UTF8ToUTF16(target_url), user_gesture);
}

void CefControlBase::OnAfterCreated(const BrowserPtr& browser) {
  if (after_created_) after_created_(browser);
}

void CefControlBase::OnBeforeClose(const BrowserPtr& browser) {
  if (before_close_) before_close_(browser);
}

void CefControlBase::OnBeforeDownload(const BrowserPtr& browser, const std::string& url,
                                      const std::string& suggested_name) {
  if (before_download_) before_download_(browser, url, suggested_name);
}

bool CefControlBase::OnExecuteCppFunc(const std::string& function_name, const std::string& params,
                                      int page_callback_id, const BrowserPtr& browser) {
  if (!bridge_) return false;
  return bridge_->ExecuteCppFunc(function_name, params, page_callback_id, browser);
}

bool CefControlBase::OnExecuteCppCallbackFunc(int launcher_callback_id, const std::string& json) {
  if (!bridge_) return false;
  return bridge_->ExecuteCppCallbackFunc(launcher_callback_id, json);
}

}  // namespace jov_comp
