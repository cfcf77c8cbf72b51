#include "browser/browser_handler.h"

#include <openssl/evp.h>

#include <algorithm>
#include <utility>

#include "browser/cef_manager.h"
#include "browser/client_app.h"

namespace jov_comp {

namespace {

std::string QuoteForScript(const std::string& text) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, Json::Value(text));
}

// The engine sends pictures as base64 text.
bool DecodeBase64(const std::string& text, std::string* bytes) {
  if (text.size() % 4 != 0) return false;
  bytes->resize(text.size() / 4 * 3);
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes->data()),
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  if (n < 0) return false;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() > 1 && text[text.size() - 2] == '=') ++padding;
  bytes->resize(static_cast<size_t>(n) - padding);
  return true;
}

bool IsMainFrame(const BrowserPtr& browser, const Json::Value& frame_id) {
  // The main frame of a page target carries the target's id.
  return frame_id.asString() == browser->target_id;
}

}  // namespace

int LoadErrorCodeFromName(const std::string& error_text) {
  static const std::map<std::string, int> kCodes = {
      {"net::ERR_FAILED", -2},
      {"net::ERR_ABORTED", -3},
      {"net::ERR_INVALID_ARGUMENT", -4},
      {"net::ERR_INVALID_HANDLE", -5},
      {"net::ERR_FILE_NOT_FOUND", -6},
      {"net::ERR_TIMED_OUT", -7},
      {"net::ERR_FILE_TOO_BIG", -8},
      {"net::ERR_UNEXPECTED", -9},
      {"net::ERR_ACCESS_DENIED", -10},
      {"net::ERR_NOT_IMPLEMENTED", -11},
      {"net::ERR_BLOCKED_BY_CLIENT", -20},
      {"net::ERR_CONNECTION_CLOSED", -100},
      {"net::ERR_CONNECTION_RESET", -101},
      {"net::ERR_CONNECTION_REFUSED", -102},
      {"net::ERR_CONNECTION_ABORTED", -103},
      {"net::ERR_CONNECTION_FAILED", -104},
      {"net::ERR_NAME_NOT_RESOLVED", -105},
      {"net::ERR_INTERNET_DISCONNECTED", -106},
      {"net::ERR_SSL_PROTOCOL_ERROR", -107},
      {"net::ERR_ADDRESS_INVALID", -108},
      {"net::ERR_ADDRESS_UNREACHABLE", -109},
      {"net::ERR_SSL_CLIENT_AUTH_CERT_NEEDED", -110},
      {"net::ERR_TUNNEL_CONNECTION_FAILED", -111},
      {"net::ERR_NO_SSL_VERSIONS_ENABLED", -112},
      {"net::ERR_SSL_VERSION_OR_CIPHER_MISMATCH", -113},
      {"net::ERR_SSL_RENEGOTIATION_REQUESTED", -114},
      {"net::ERR_CERT_COMMON_NAME_INVALID", -200},
      {"net::ERR_CERT_DATE_INVALID", -201},
      {"net::ERR_CERT_AUTHORITY_INVALID", -202},
      {"net::ERR_CERT_CONTAINS_ERRORS", -203},
      {"net::ERR_CERT_NO_REVOCATION_MECHANISM", -204},
      {"net::ERR_CERT_UNABLE_TO_CHECK_REVOCATION", -205},
      {"net::ERR_CERT_REVOKED", -206},
      {"net::ERR_CERT_INVALID", -207},
      {"net::ERR_INVALID_URL", -300},
      {"net::ERR_DISALLOWED_URL_SCHEME", -301},
      {"net::ERR_UNKNOWN_URL_SCHEME", -302},
      {"net::ERR_TOO_MANY_REDIRECTS", -310},
      {"net::ERR_UNSAFE_REDIRECT", -311},
      {"net::ERR_UNSAFE_PORT", -312},
      {"net::ERR_INVALID_RESPONSE", -320},
      {"net::ERR_INVALID_CHUNKED_ENCODING", -321},
      {"net::ERR_METHOD_NOT_SUPPORTED", -322},
      {"net::ERR_UNEXPECTED_PROXY_AUTH", -323},
      {"net::ERR_EMPTY_RESPONSE", -324},
      {"net::ERR_RESPONSE_HEADERS_TOO_BIG", -325},
      {"net::ERR_CACHE_MISS", -400},
      {"net::ERR_INSECURE_RESPONSE", -501},
  };
  auto it = kCodes.find(error_text);
  return it == kCodes.end() ? -2 : it->second;
}

std::shared_ptr<BrowserHandler> BrowserHandler::Create() {
  return std::shared_ptr<BrowserHandler>(new BrowserHandler());
}

BrowserHandler::~BrowserHandler() {
  // Browsers still open when their handler goes are closed now: nothing
  // would report their end later, so they leave the count here.
  CefManager* manager = CefManager::GetInstance();
  for (const BrowserPtr& browser : browsers_) {
    manager->RemoveTarget(browser->target_id, browser->session_id);
    if (browser->closed) continue;
    browser->closed = true;
    CloseTarget(browser->target_id);
    manager->DecrementBrowserCount();
  }
}

void BrowserHandler::CloseTarget(const std::string& target_id) {
  Json::Value params;
  params["targetId"] = target_id;
  CefManager::GetInstance()->SendCommand("Target.closeTarget", params, "", nullptr);
}

void BrowserHandler::SetHandlerDelegate(HandlerDelegate* delegate) { delegate_ = delegate; }

void BrowserHandler::SetViewRect(int left, int top, int right, int bottom) {
  view_width_ = right - left;
  view_height_ = bottom - top;
  if (current_) ApplyViewSize(current_);
}

void BrowserHandler::SetViewScale(double scale) {
  if (scale <= 0 || scale == view_scale_) return;
  view_scale_ = scale;
  if (current_) ApplyViewSize(current_);
}

void BrowserHandler::ApplyViewSize(const BrowserPtr& browser) {
  if (view_width_ <= 0 || view_height_ <= 0) return;
  Json::Value metrics;
  // The page lays out in CSS pixels; the pictures come at the view's own
  // (device) size.
  metrics["width"] = std::max(1, static_cast<int>(view_width_ / view_scale_));
  metrics["height"] = std::max(1, static_cast<int>(view_height_ / view_scale_));
  metrics["deviceScaleFactor"] = view_scale_;
  metrics["mobile"] = false;
  Command(browser, "Emulation.setDeviceMetricsOverride", metrics);
  // A running screencast keeps the size it started with: restart it.
  if (painting_ && browser == current_) SetPaintingEnabled(browser, true);
}

void BrowserHandler::DispatchInput(const BrowserPtr& browser, const std::string& method,
                                   const Json::Value& params) {
  Command(browser, method, params);
}

void BrowserHandler::SendFocusEvent(const BrowserPtr& browser, bool focused) {
  Json::Value params;
  params["enabled"] = focused;
  Command(browser, "Emulation.setFocusEmulationEnabled", params);
}

void BrowserHandler::Command(
    const BrowserPtr& browser, const std::string& method, const Json::Value& params,
    std::function<void(const Json::Value* result, const Json::Value* error)> done) {
  if (!browser || browser->closed) return;
  CefManager::CommandCallback callback;
  if (done) callback = WrapWeak(std::move(done));
  CefManager::GetInstance()->SendCommand(method, params, browser->session_id, callback);
}

bool BrowserHandler::CreateBrowser() {
  Json::Value params;
  params["url"] = "about:blank";
  auto self = weak_from_this();
  return CefManager::GetInstance()->SendCommand(
      "Target.createTarget", params, "",
      [self](const Json::Value* result, const Json::Value*) {
        if (!result) return;
        const std::string target_id = (*result)["targetId"].asString();
        // A browser that arrives after its handler has gone is closed.
        if (auto handler = self.lock())
          handler->Attach(target_id);
        else
          CloseTarget(target_id);
      });
}

void BrowserHandler::Attach(const std::string& target_id) {
  CefManager::GetInstance()->AddTarget(target_id, weak_from_this());
  Json::Value params;
  params["targetId"] = target_id;
  params["flatten"] = true;
  auto self = weak_from_this();
  CefManager::GetInstance()->SendCommand(
      "Target.attachToTarget", params, "",
      [self, target_id](const Json::Value* result, const Json::Value*) {
        auto handler = self.lock();
        if (!handler) {
          CefManager::GetInstance()->RemoveTarget(target_id, "");
          CloseTarget(target_id);
          return;
        }
        if (result) handler->SetUpSession(target_id, (*result)["sessionId"].asString());
      });
}

void BrowserHandler::SetUpSession(const std::string& target_id, const std::string& session_id) {
  static int next_identifier = 1;
  auto browser = std::make_shared<Browser>();
  browser->identifier = next_identifier++;
  browser->target_id = target_id;
  browser->session_id = session_id;
  browser->handler = weak_from_this();
  CefManager* manager = CefManager::GetInstance();
  manager->AddSession(session_id, weak_from_this());
  const Json::Value none(Json::objectValue);
  // The engine runs a session's commands in order: the binding and the page
  // object stand before any later navigation, so the page object exists
  // before any page script.
  Command(browser, "Page.enable", none);
  Command(browser, "Network.enable", none);
  Command(browser, "Runtime.enable", none);
  Command(browser, "Inspector.enable", none);
  Json::Value binding;
  binding["name"] = ClientApp::kBindingName;
  Command(browser, "Runtime.addBinding", binding);
  Json::Value script;
  script["source"] = ClientApp::PageObjectScript();
  auto self = weak_from_this();
  // Sent without the handler's weak guard: when the handler has gone by the
  // answer, the new browser must still be closed.
  manager->SendCommand("Page.addScriptToEvaluateOnNewDocument", script, session_id,
          [self, browser](const Json::Value*, const Json::Value*) {
            if (auto handler = self.lock()) {
              handler->BrowserCreated(browser);
            } else {
              CefManager::GetInstance()->RemoveTarget(browser->target_id, browser->session_id);
              CloseTarget(browser->target_id);
            }
          });
}

void BrowserHandler::BrowserCreated(const BrowserPtr& browser) {
  browsers_.push_back(browser);
  if (current_ && current_ != browser && painting_) SetPaintingEnabled(current_, false);
  current_ = browser;
  CefManager::GetInstance()->IncrementBrowserCount();
  if (transparent_) {
    Json::Value clear;
    clear["color"]["r"] = 0;
    clear["color"]["g"] = 0;
    clear["color"]["b"] = 0;
    clear["color"]["a"] = 0;
    Command(browser, "Emulation.setDefaultBackgroundColorOverride", clear);
  }
  ApplyViewSize(browser);
  if (delegate_) delegate_->OnAfterCreated(browser);
  after_created_.RunCallbacks();
}

void BrowserHandler::BrowserClosed(const BrowserPtr& browser) {
  if (browser->closed) return;
  browser->closed = true;
  CefManager::GetInstance()->DecrementBrowserCount();
  CefManager::GetInstance()->RemoveTarget(browser->target_id, browser->session_id);
  for (auto it = browsers_.begin(); it != browsers_.end(); ++it) {
    if (*it != browser) continue;
    browsers_.erase(it);
    if (current_ == browser) {
      current_ = browsers_.empty() ? nullptr : browsers_.back();
      if (current_) Reload(current_);
    }
    break;
  }
  if (delegate_) delegate_->OnBeforeClose(browser);
}

std::function<void()> BrowserHandler::AddAfterCreateTask(const std::function<void()>& task) {
  return after_created_.AddCallback(task);
}

void BrowserHandler::CloseAllBrowser() {
  for (const BrowserPtr& browser : browsers_) {
    Json::Value params;
    params["targetId"] = browser->target_id;
    // The engine's answer to the close is the browser's end as well: the
    // target's own end event does not come in every state of the page.
    const std::string target_id = browser->target_id;
    CefManager::GetInstance()->SendCommand(
        "Target.closeTarget", params, "",
        WrapWeak([this, target_id](const Json::Value* result, const Json::Value*) {
          if (result) HandleTargetGone(target_id);
        }));
  }
}

void BrowserHandler::LoadURL(const BrowserPtr& browser, const std::string& url) {
  Json::Value params;
  params["url"] = url;
  Command(browser, "Page.navigate", params);
}

void BrowserHandler::Reload(const BrowserPtr& browser) {
  Command(browser, "Page.reload", Json::Value(Json::objectValue));
}

void BrowserHandler::EvaluateScript(const BrowserPtr& browser, const std::string& expression,
                                    std::function<void(const Json::Value* result)> done) {
  Json::Value params;
  params["expression"] = expression;
  params["returnByValue"] = true;
  params["userGesture"] = true;
  params["awaitPromise"] = true;
  Command(browser, "Runtime.evaluate", params,
          [done](const Json::Value* result, const Json::Value*) {
            if (!done) return;
            if (result && !result->isMember("exceptionDetails"))
              done(&(*result)["result"]);
            else
              done(nullptr);
          });
}

void BrowserHandler::SetPaintingEnabled(const BrowserPtr& browser, bool enabled) {
  painting_ = enabled;
  Json::Value params(Json::objectValue);
  if (enabled) {
    params["format"] = transparent_ ? "png" : "jpeg";
    if (!transparent_) params["quality"] = 90;
    params["everyNthFrame"] = 1;
    if (view_width_ > 0 && view_height_ > 0) {
      params["maxWidth"] = view_width_;
      params["maxHeight"] = view_height_;
    }
    Command(browser, "Page.startScreencast", params);
  } else {
    Command(browser, "Page.stopScreencast", params);
  }
}

void BrowserHandler::AnswerPageCall(const BrowserPtr& browser, int page_callback_id, bool error,
                                    const std::string& result) {
  auto it = page_calls_.find(page_callback_id);
  if (it == page_calls_.end() || !browser || browser->closed) return;
  // The answer runs only in the document that asked: once that document is
  // gone (navigated away), its context id is gone with it and nothing runs.
  Json::Value params;
  params["expression"] = std::string("window.") + ClientApp::kAnswerFunction + "(" +
                         std::to_string(it->second.page_id) + "," + (error ? "true" : "false") +
                         "," + QuoteForScript(result) + ")";
  params["contextId"] = it->second.context_id;
  Command(browser, "Runtime.evaluate", params);
}

void BrowserHandler::CallPageFunction(const BrowserPtr& browser, const std::string& name,
                                      const std::string& params, int launcher_callback_id) {
  const std::string expression = std::string("window.") + ClientApp::kCallJsFunction + "(" +
                                 QuoteForScript(name) + "," + QuoteForScript(params) + ")";
  auto weak = WrapWeak([this, launcher_callback_id](const Json::Value* result) {
    if (!result || !(*result)["value"].isString() || !delegate_) return;
    delegate_->OnExecuteCppCallbackFunc(launcher_callback_id, (*result)["value"].asString());
  });
  EvaluateScript(browser, expression, weak);
}

BrowserPtr BrowserHandler::FindBySession(const std::string& session_id) const {
  for (const BrowserPtr& browser : browsers_)
    if (browser->session_id == session_id) return browser;
  return nullptr;
}

BrowserPtr BrowserHandler::FindByTarget(const std::string& target_id) const {
  for (const BrowserPtr& browser : browsers_)
    if (browser->target_id == target_id) return browser;
  return nullptr;
}

void BrowserHandler::HandleTargetGone(const std::string& target_id) {
  if (BrowserPtr browser = FindByTarget(target_id)) BrowserClosed(browser);
}

void BrowserHandler::HandleTargetCrashed(const std::string& target_id, const std::string& status) {
  BrowserPtr browser = FindByTarget(target_id);
  if (!browser || browser->crashed) return;
  browser->crashed = true;
  if (delegate_) delegate_->OnRenderProcessTerminated(browser, status);
}

void BrowserHandler::HandleFrameReady(const std::string& session_id) {
  EnginePipe::Frame frame;
  if (!CefManager::GetInstance()->TakeFrame(session_id, &frame)) return;
  BrowserPtr browser = FindBySession(session_id);
  if (!browser) return;
  if (delegate_) {
    std::string picture;
    if (DecodeBase64(frame.data, &picture)) delegate_->OnPaint(browser, picture, frame.metadata);
  }
  // Acknowledged only now that the UI thread took it: the engine sends the
  // next picture when this one was used.
  Json::Value ack;
  ack["sessionId"] = frame.frame_number;
  Command(browser, "Page.screencastFrameAck", ack);
}

void BrowserHandler::ReportLoadingState(const BrowserPtr& browser, bool loading) {
  browser->loading = loading;
  auto self = WrapWeak([this, browser, loading](const Json::Value* result, const Json::Value*) {
    if (!delegate_) return;
    bool back = false, forward = false;
    if (result) {
      const int index = (*result)["currentIndex"].asInt();
      back = index > 0;
      forward = index + 1 < static_cast<int>((*result)["entries"].size());
    }
    delegate_->OnLoadingStateChange(browser, loading, back, forward);
  });
  Command(browser, "Page.getNavigationHistory", Json::Value(Json::objectValue), self);
}

void BrowserHandler::HandleSessionEvent(const std::string& session_id, const std::string& method,
                                        const Json::Value& params) {
  BrowserPtr browser = FindBySession(session_id);
  if (!browser) return;
  if (method == "Page.javascriptDialogOpening") {
    // An open dialog blocks its page: every alert, confirm and prompt is
    // dismissed at once and never shown.
    Json::Value answer;
    answer["accept"] = false;
    Command(browser, "Page.handleJavaScriptDialog", answer);
  } else if (method == "Page.windowOpen") {
    HandleWindowOpen(browser, params["url"].asString(), params["userGesture"].asBool());
  } else if (method == "Page.frameStartedLoading") {
    if (!IsMainFrame(browser, params["frameId"])) return;
    browser->status = 0;
    browser->crashed = false;
    ReportLoadingState(browser, true);
    if (delegate_) delegate_->OnLoadStart(browser);
  } else if (method == "Network.responseReceived") {
    if (params["type"].asString() == "Document" && IsMainFrame(browser, params["frameId"]) &&
        params["requestId"] == params["loaderId"])
      browser->status = params["response"]["status"].asInt();
  } else if (method == "Network.loadingFailed") {
    if (params["type"].asString() != "Document" || !browser->loading) return;
    if (delegate_)
      delegate_->OnLoadError(browser, LoadErrorCodeFromName(params["errorText"].asString()),
                             params["errorText"].asString(), browser->loading_url);
  } else if (method == "Network.requestWillBeSent") {
    if (params["type"].asString() == "Document" && IsMainFrame(browser, params["frameId"]))
      browser->loading_url = params["request"]["url"].asString();
  } else if (method == "Page.frameStoppedLoading") {
    if (!IsMainFrame(browser, params["frameId"])) return;
    ReportLoadingState(browser, false);
    if (delegate_) delegate_->OnLoadEnd(browser, browser->status);
  } else if (method == "Page.frameNavigated") {
    const Json::Value& frame = params["frame"];
    const bool main = !frame.isMember("parentId");
    const std::string url = frame["url"].asString() + frame["urlFragment"].asString();
    if (main) browser->url = url;
    if (delegate_) delegate_->OnAddressChange(browser, main, url);
  } else if (method == "Page.navigatedWithinDocument") {
    const bool main = IsMainFrame(browser, params["frameId"]);
    if (main) browser->url = params["url"].asString();
    if (delegate_) delegate_->OnAddressChange(browser, main, params["url"].asString());
  } else if (method == "Page.downloadWillBegin") {
    if (delegate_)
      delegate_->OnBeforeDownload(browser, params["url"].asString(),
                                  params["suggestedFilename"].asString());
  } else if (method == "Inspector.targetCrashed") {
    HandleTargetCrashed(browser->target_id, "crashed");
  } else if (method == "Runtime.bindingCalled") {
    if (params["name"].asString() == ClientApp::kBindingName) HandleBinding(browser, params);
  } else if (method == "Runtime.executionContextDestroyed") {
    const int context = params["executionContextId"].asInt();
    for (auto it = page_calls_.begin(); it != page_calls_.end();)
      it = it->second.context_id == context ? page_calls_.erase(it) : std::next(it);
  } else if (method == "Runtime.executionContextsCleared") {
    page_calls_.clear();
  }
}

void BrowserHandler::HandleWindowOpen(const BrowserPtr& browser, const std::string& url,
                                      bool user_gesture) {
  // The engine already refused the window; the control decides whether its
  // own browser shows the target instead.
  if (!current_ || url.empty()) return;
  if (!delegate_) {
    LoadURL(current_, url);
    return;
  }
  if (delegate_->OnBeforePopup(browser, url, user_gesture)) LoadURL(current_, url);
}

void BrowserHandler::HandleBinding(const BrowserPtr& browser, const Json::Value& params) {
  const std::string& payload = params["payload"].asString();
  if (payload.size() > kMaxBindingPayload) return;
  Json::Value message;
  Json::CharReaderBuilder builder;
  builder["stackLimit"] = 100;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  if (!reader->parse(payload.data(), payload.data() + payload.size(), &message, nullptr) ||
      !message.isObject())
    return;
  const std::string kind = message["kind"].asString();
  if (kind == "call") {
    if (!message["name"].isString() || !message["params"].isString() || !message["id"].isInt())
      return;
    const int call = next_page_call_++;
    page_calls_[call] = PageCall{params["executionContextId"].asInt(), message["id"].asInt()};
    if (delegate_)
      delegate_->OnExecuteCppFunc(message["name"].asString(), message["params"].asString(), call,
                                  browser);
  } else if (kind == "title") {
    if (delegate_) delegate_->OnTitleChange(browser, message["title"].asString());
  } else if (kind == "cursor") {
    if (delegate_) delegate_->OnCursorChange(browser, message["cursor"].asString());
  } else if (kind == "focus") {
    focused_node_editable_ = message["editable"].asBool();
  }
}

}  // namespace jov_comp
