#include "project/Launcher/windows/web_view_part.h"

#include "base/util/string_util.h"
#include "browser/cef_control_base.h"
#include "browser/cef_manager.h"
#include "platform/process/process.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"
#include "project/Launcher/windows/main_form.h"
#include "ui/controls/button.h"
#include "ui/event_args.h"
#include "ui/hbox.h"
#include "ui/language_table.h"

namespace {

bool IsWebAddress(const std::string& url) {
  return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

WebViewPart::WebViewPart(LauncherStore& store) : store_(store) {}

std::string WebViewPart::ComposeActivityUrl(const std::string& activity_url,
                                            const std::string& activity_address,
                                            const std::string& language_code) {
  if (!activity_url.empty()) return IsWebAddress(activity_url) ? activity_url : std::string();
  if (!IsWebAddress(activity_address)) return std::string();
  const size_t hash = activity_address.find('#');
  std::string base = activity_address.substr(0, hash);
  const std::string fragment = hash == std::string::npos ? std::string() : activity_address.substr(hash);
  if (base.find('?') == std::string::npos)
    base += '?';
  else if (base.back() != '?' && base.back() != '&')
    base += '&';
  return base + "lang=" + (language_code.empty() ? std::string("en") : language_code) + fragment;
}

std::string WebViewPart::LinkAction(const std::string& link_key) {
  static const std::string kForum = "Forum_";
  return link_key.rfind(kForum, 0) == 0 ? link_key.substr(kForum.size()) : link_key;
}

void WebViewPart::Attach(MainForm& form) {
  form_ = &form;
  link_bar_ = dynamic_cast<ui::HBox*>(form.FindControl(u"jump_links"));
  InitWebView();
  BuildJumpLinks();
}

void WebViewPart::OnConfigReloaded() {
  LoadWebViewUrl();
  BuildJumpLinks();
}

void WebViewPart::OnRefreshPages() { LoadWebViewUrl(); }

void WebViewPart::Detach() {
  if (link_bar_ != nullptr) link_bar_->RemoveAll();
}

bool WebViewPart::ReadyToQuit() { return jov_comp::CefManager::GetInstance()->browser_count() == 0; }

void WebViewPart::InitWebView() {
  web_view_ = dynamic_cast<jov_comp::CefControlBase*>(form_->FindControl(u"webview"));
  if (web_view_ != nullptr) {
    web_view_->AttachLoadEnd(WrapWeak([this](int status) { OnWebViewLoadEnd(status); }));
    web_view_->AttachBeforePopup(WrapWeak([this](const std::u16string& url, bool user_gesture) {
      return OnWebViewBeforePopup(url, user_gesture);
    }));
    // Hidden until its first page has loaded.
    web_view_->SetFadeVisible(false);
    if (!store_.gateConfig.ActivityURL.empty()) {
      auto* debug_view = dynamic_cast<jov_comp::CefControlBase*>(form_->FindControl(u"webview_debug"));
      if (debug_view != nullptr) web_view_->AttachDevTools(debug_view);
    }
  }
  LoadWebViewUrl();
}

void WebViewPart::LoadWebViewUrl() {
  if (web_view_ == nullptr) return;
  const std::string url = ComposeActivityUrl(store_.gateConfig.ActivityURL, store_.activityAddress,
                                             store_.SettingsCopy().languageCode);
  if (url.empty()) {
    web_view_->SetFadeVisible(false);
    return;
  }
  web_view_->LoadURL(url);
}

void WebViewPart::OnWebViewLoadEnd(int /*status*/) {
  // An error page shows as well: the view fades in after any load.
  if (web_view_ != nullptr && !web_view_->IsVisible()) web_view_->SetFadeVisible(true);
}

bool WebViewPart::OnWebViewBeforePopup(const std::u16string& url, bool user_gesture) {
  // Only what the user asked for by a click or a key, only http and https,
  // only through the desktop's opener; the view stays on its page.
  const std::string target = kbase::UTF16ToUTF8(url);
  if (user_gesture && store_.mainWindow() && !target.empty() && platform::IsOpenableUrl(target))
    platform::OpenUrlInBrowser(target);
  return false;
}

void WebViewPart::BuildJumpLinks() {
  if (link_bar_ == nullptr) return;
  link_bar_->RemoveAll();
  size_t index = 0;
  for (const CommunityLink& link : store_.communityLinks) {
    auto* button = new ui::Button();
    button->SetFixedWidth(ui::kSizeAuto, false);
    button->SetFixedHeight(ui::kSizeAuto);
    button->SetHorAlignType(ui::kHorAlignCenter);
    button->SetVerAlignType(ui::kVerAlignCenter);
    button->SetBkImage(kbase::UTF8ToUTF16(link.normalImage));
    button->GetAnimationManager().SetFadeHot(true);
    button->SetStateImage(ui::kStateImageBk, ui::kControlStateHot, kbase::UTF8ToUTF16(link.hotImage));
    button->Arrange();
    // Named by its key, so the UI dump tells the links apart.
    button->SetName(kbase::UTF8ToUTF16(link.linkKey));
    button->SetUtf8DataId(link.linkKey);
    const std::string key = link.linkKey;
    button->AttachClick(WrapWeak([this, key](ui::EventArgs*) { return OnJumpLinkClick(key); }));
    if (!link.tooltip.empty())
      button->SetToolTipText(ui::LanguageTable::GetInstance().GetText(kbase::UTF8ToUTF16(link.tooltip)));
    link_bar_->AddAt(button, index++);
  }
}

bool WebViewPart::OnJumpLinkClick(const std::string& link_key) {
  store_.OpenLink(link_key, true);
  SendUiClickEvent("community", LinkAction(link_key));
  return true;
}
