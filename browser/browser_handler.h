#pragma once
// The engine client of one browser control: it creates the control's
// browser (a page target of the engine with its own protocol session), keeps
// the control's browsers and the current one, keeps the engine manager's
// browser count, answers in place what the engine would ask (JavaScript
// dialogs are dismissed, pop-up windows refused, downloads denied) and
// relays every other event to its delegate, the control.
//
// Everything runs on the UI thread: the transport posts the engine's events
// there, so questions such as "open this pop-up?" are decided there too.

#include <json/json.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/callback/weak_callback.h"
#include "browser/unregisted_callback_list.h"

namespace jov_comp {

class BrowserHandler;

// One browser: a page target of the engine and its session.
struct Browser {
  int identifier = 0;
  std::string target_id;
  std::string session_id;
  std::string url;         // the main frame's URL as last reported
  std::string loading_url; // the main document being requested
  int status = 0;          // HTTP status of the main document being loaded
  bool loading = false;
  bool crashed = false;
  bool closed = false;
  std::weak_ptr<BrowserHandler> handler;
};
using BrowserPtr = std::shared_ptr<Browser>;

// Codes of load errors, as the engine numbers its network errors.
int LoadErrorCodeFromName(const std::string& error_text);

class BrowserHandler : public std::enable_shared_from_this<BrowserHandler>,
                       public virtual kbase::SupportWeakCallback {
 public:
  // What the control learns of its browser. Every operation runs on the UI
  // thread.
  class HandlerDelegate : public virtual kbase::SupportWeakCallback {
   public:
    ~HandlerDelegate() override = default;
    // A picture of the view: PNG or JPEG bytes as the engine encoded them.
    virtual void OnPaint(const BrowserPtr& /*browser*/, const std::string& /*picture*/,
                         const Json::Value& /*metadata*/) {}
    virtual void OnAddressChange(const BrowserPtr& /*browser*/, bool /*main_frame*/,
                                 const std::string& /*url*/) {}
    virtual void OnTitleChange(const BrowserPtr& /*browser*/, const std::string& /*title*/) {}
    virtual void OnCursorChange(const BrowserPtr& /*browser*/, const std::string& /*cursor*/) {}
    virtual void OnLoadingStateChange(const BrowserPtr& /*browser*/, bool /*is_loading*/,
                                      bool /*can_go_back*/, bool /*can_go_forward*/) {}
    virtual void OnLoadStart(const BrowserPtr& /*browser*/) {}
    virtual void OnLoadEnd(const BrowserPtr& /*browser*/, int /*http_status_code*/) {}
    virtual void OnLoadError(const BrowserPtr& /*browser*/, int /*error_code*/,
                             const std::string& /*error_text*/, const std::string& /*failed_url*/) {}
    // True: the handler loads |target_url| into the current browser.
    // |user_gesture|: the page asked while handling a click or a key.
    virtual bool OnBeforePopup(const BrowserPtr& /*browser*/, const std::string& /*target_url*/,
                               bool /*user_gesture*/) {
      return false;
    }
    virtual void OnAfterCreated(const BrowserPtr& /*browser*/) {}
    virtual void OnBeforeClose(const BrowserPtr& /*browser*/) {}
    virtual void OnRenderProcessTerminated(const BrowserPtr& /*browser*/, const std::string& /*status*/) {}
    // A download the engine refused (downloads never start).
    virtual void OnBeforeDownload(const BrowserPtr& /*browser*/, const std::string& /*url*/,
                                  const std::string& /*suggested_name*/) {}
    virtual bool OnExecuteCppFunc(const std::string& /*function_name*/, const std::string& /*params*/,
                                  int /*page_callback_id*/, const BrowserPtr& /*browser*/) {
      return false;
    }
    virtual bool OnExecuteCppCallbackFunc(int /*launcher_callback_id*/, const std::string& /*json*/) {
      return false;
    }
  };

  // A page call's payload above this is dropped unread.
  static constexpr size_t kMaxBindingPayload = 1u << 20;

  static std::shared_ptr<BrowserHandler> Create();
  ~BrowserHandler() override;

  void SetHostWindow(void* window) { host_window_ = window; }
  void SetHandlerDelegate(HandlerDelegate* delegate);
  // The control's rectangle; the view takes its size.
  void SetViewRect(int left, int top, int right, int bottom);

  // Asks the engine for a browser; it arrives later (OnAfterCreated).
  bool CreateBrowser();
  BrowserPtr GetBrowser() const { return current_; }
  std::function<void()> AddAfterCreateTask(const std::function<void()>& task);
  void CloseAllBrowser();
  bool IsFocusedNodeEditable() const { return focused_node_editable_; }

  // Operations on a browser of this handler.
  void LoadURL(const BrowserPtr& browser, const std::string& url);
  void Reload(const BrowserPtr& browser);
  // Evaluates |expression| in the browser's main frame (tests, the control).
  void EvaluateScript(const BrowserPtr& browser, const std::string& expression,
                      std::function<void(const Json::Value* result)> done);
  // Starts or stops the pictures of the view (OnPaint): PNG with its alpha
  // for a transparent view, JPEG (cheaper to make and to decode) otherwise.
  void SetPaintingEnabled(const BrowserPtr& browser, bool enabled);
  bool IsPaintingEnabled() const { return painting_; }
  // A transparent view lets the window show through where the page draws no
  // background; set before the browser exists, applied to every browser.
  void SetTransparentPainting(bool transparent) { transparent_ = transparent; }
  // Device pixels per CSS pixel: the view rectangle is in device pixels, the
  // page lays out at that size divided by the scale.
  void SetViewScale(double scale);
  double view_scale() const { return view_scale_; }
  // Input for the browser's page: an Input.* command of the protocol with
  // its parameters (mouse coordinates in CSS pixels).
  void DispatchInput(const BrowserPtr& browser, const std::string& method,
                     const Json::Value& params);
  // Whether the page behaves as focused (caret, focus events) while the
  // control holds the window's focus.
  void SendFocusEvent(const BrowserPtr& browser, bool focused);

  // The page bridge's ways into a page: the answer of a page call, and a
  // call of a function the page registered, answered through the delegate's
  // OnExecuteCppCallbackFunc when it returns an object.
  void AnswerPageCall(const BrowserPtr& browser, int page_callback_id, bool error,
                      const std::string& result);
  void CallPageFunction(const BrowserPtr& browser, const std::string& name,
                        const std::string& params, int launcher_callback_id);

  // From the engine manager.
  void HandleSessionEvent(const std::string& session_id, const std::string& method,
                          const Json::Value& params);
  void HandleTargetGone(const std::string& target_id);
  void HandleTargetCrashed(const std::string& target_id, const std::string& status);
  void HandleFrameReady(const std::string& session_id);

 private:
  BrowserHandler() = default;
  static void CloseTarget(const std::string& target_id);
  BrowserPtr FindBySession(const std::string& session_id) const;
  BrowserPtr FindByTarget(const std::string& target_id) const;
  void Attach(const std::string& target_id);
  void SetUpSession(const std::string& target_id, const std::string& session_id);
  void BrowserCreated(const BrowserPtr& browser);
  void BrowserClosed(const BrowserPtr& browser);
  void HandleBinding(const BrowserPtr& browser, const Json::Value& params);
  void HandleWindowOpen(const BrowserPtr& browser, const std::string& url, bool user_gesture);
  void ReportLoadingState(const BrowserPtr& browser, bool loading);
  void ApplyViewSize(const BrowserPtr& browser);
  void Command(const BrowserPtr& browser, const std::string& method, const Json::Value& params,
               std::function<void(const Json::Value* result, const Json::Value* error)> done =
                   nullptr);

  // A page call waiting for its answer: the page's own id in the context
  // (document) it came from.
  struct PageCall {
    int context_id;
    int page_id;
  };

  void* host_window_ = nullptr;
  HandlerDelegate* delegate_ = nullptr;
  BrowserPtr current_;
  std::vector<BrowserPtr> browsers_;
  int view_width_ = 0;
  int view_height_ = 0;
  double view_scale_ = 1.0;
  bool transparent_ = false;
  bool focused_node_editable_ = false;
  bool painting_ = false;
  UnregistedCallbackList<std::function<void()>> after_created_;
  std::map<int, PageCall> page_calls_;
  int next_page_call_ = 0;
};

}  // namespace jov_comp
