#include "ui/window_impl_base.h"

#include <optional>
#include <utility>

#include "platform/message/message_api.h"
#include "platform/process/error_box.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"
#include "ui/event_args.h"
#include "ui/layout.h"
#include "ui/layout_builder.h"
#include "ui/shadow_box.h"

namespace ui {
namespace {

constexpr char16_t kErrorCaption[] = u"Vistrel";
constexpr char16_t kCloseButton[] = u"closebtn";
constexpr char16_t kMinButton[] = u"minbtn";
constexpr char16_t kMaxButton[] = u"maxbtn";
constexpr char16_t kRestoreButton[] = u"restorebtn";

WindowImplBase::ControlKindTest& ButtonTest() {
  static WindowImplBase::ControlKindTest test;
  return test;
}

WindowImplBase::ControlKindTest& RichEditTest() {
  static WindowImplBase::ControlKindTest test;
  return test;
}

WindowImplBase::ErrorBoxHandler& ErrorBox() {
  static WindowImplBase::ErrorBoxHandler handler;
  return handler;
}

bool IsButton(const Control* control) { return ButtonTest() && ButtonTest()(control); }
bool IsRichEdit(const Control* control) { return RichEditTest() && RichEditTest()(control); }

void ShowErrorBox(const std::u16string& caption, const std::u16string& text) {
  if (ErrorBox()) {
    ErrorBox()(caption, text);
    return;
  }
  platform::ShowErrorBox(platform::UTF16ToUTF8(caption), platform::UTF16ToUTF8(text));
}

// The size-box ring inside |inner| (L, T, R, B), box widths |box|: the
// resize code of the border the point is on, HTCLIENT outside |inner| (in
// the shadow), or nothing when the point is inside the ring.
std::optional<platform::LRESULT> SizeBoxHit(const UiRect& inner, const UiRect& box, UiPoint pt) {
  const bool left_corner = pt.x >= inner.left && pt.x < inner.left + box.left;
  const bool right_corner = pt.x > inner.right - box.right && pt.x <= inner.right;
  if (pt.y < inner.top + box.top) {
    if (pt.y < inner.top) return platform::HTCLIENT;
    if (left_corner) return platform::HTTOPLEFT;
    if (right_corner) return platform::HTTOPRIGHT;
    return platform::HTTOP;
  }
  if (pt.y > inner.bottom - box.bottom) {
    if (pt.y > inner.bottom) return platform::HTCLIENT;
    if (left_corner) return platform::HTBOTTOMLEFT;
    if (right_corner) return platform::HTBOTTOMRIGHT;
    return platform::HTBOTTOM;
  }
  if (pt.x < inner.left + box.left) return pt.x < inner.left ? platform::HTCLIENT : platform::HTLEFT;
  if (pt.x > inner.right - box.right) {
    return pt.x > inner.right ? platform::HTCLIENT : platform::HTRIGHT;
  }
  return std::nullopt;
}

}  // namespace

void WindowImplBase::SetButtonTest(ControlKindTest test) { ButtonTest() = std::move(test); }
void WindowImplBase::SetRichEditTest(ControlKindTest test) { RichEditTest() = std::move(test); }
void WindowImplBase::SetErrorBoxHandler(ErrorBoxHandler handler) { ErrorBox() = std::move(handler); }

uint32_t WindowImplBase::GetClassStyle() const { return platform::CS_DBLCLKS; }

platform::LRESULT WindowImplBase::MessageHandler(platform::UINT, platform::WPARAM, platform::LPARAM,
                                                 bool&) {
  return 0;
}

uint32_t WindowImplBase::GetStyle() const {
  const auto style = static_cast<uint32_t>(platform::GetWindowLongPtr(hwnd_, platform::GWL_STYLE));
  return style & ~platform::WS_CAPTION;
}

Control* WindowImplBase::CreateControl(const std::u16string&) { return nullptr; }

platform::LRESULT WindowImplBase::DefaultHandler(bool& handled) {
  handled = false;
  return 0;
}

platform::LRESULT WindowImplBase::HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                                platform::LPARAM lparam) {
  if (message == platform::WM_CREATE) {
    bool handled = true;
    return OnCreate(message, wparam, lparam, handled);
  }
  platform::LRESULT result = 0;
  if (RouteToHandler(message, wparam, lparam, &result)) return result;
  return Window::HandleMessage(message, wparam, lparam);
}

bool WindowImplBase::RouteToHandler(platform::UINT message, platform::WPARAM wparam,
                                    platform::LPARAM lparam, platform::LRESULT* result) {
  using Handler = platform::LRESULT (WindowImplBase::*)(platform::UINT, platform::WPARAM,
                                                         platform::LPARAM, bool&);
  Handler handler = nullptr;
  switch (message) {
    case platform::WM_DESTROY: handler = &WindowImplBase::OnDestroy; break;
    case platform::WM_SIZE: handler = &WindowImplBase::OnSize; break;
    case platform::WM_SETFOCUS: handler = &WindowImplBase::OnSetFocus; break;
    case platform::WM_KILLFOCUS: handler = &WindowImplBase::OnKillFocus; break;
    case platform::WM_CLOSE: handler = &WindowImplBase::OnClose; break;
    case platform::WM_GETMINMAXINFO: handler = &WindowImplBase::OnGetMinMaxInfo; break;
    case platform::WM_WINDOWPOSCHANGING: handler = &WindowImplBase::OnWindowPosChanging; break;
    case platform::WM_NCCALCSIZE: handler = &WindowImplBase::OnNcCalcSize; break;
    case platform::WM_NCHITTEST: handler = &WindowImplBase::OnNcHitTest; break;
    case platform::WM_NCPAINT: handler = &WindowImplBase::OnNcPaint; break;
    case platform::WM_NCACTIVATE: handler = &WindowImplBase::OnNcActivate; break;
    case platform::WM_NCLBUTTONDBLCLK: handler = &WindowImplBase::OnNcLButtonDblClk; break;
    case platform::WM_KEYDOWN: handler = &WindowImplBase::OnKeyDown; break;
    case platform::WM_CHAR: handler = &WindowImplBase::OnChar; break;
    case platform::WM_SYSCOMMAND: handler = &WindowImplBase::OnSysCommand; break;
    case platform::WM_MOUSEMOVE: handler = &WindowImplBase::OnMouseMove; break;
    case platform::WM_LBUTTONDOWN: handler = &WindowImplBase::OnLButtonDown; break;
    case platform::WM_LBUTTONUP: handler = &WindowImplBase::OnLButtonUp; break;
    case platform::WM_MOUSEWHEEL: handler = &WindowImplBase::OnMouseWheel; break;
    case platform::WM_MOUSEHOVER: handler = &WindowImplBase::OnMouseHover; break;
    case platform::WM_DPICHANGED: handler = &WindowImplBase::OnDpiChanged; break;
    default: return false;
  }
  bool handled = true;
  *result = (this->*handler)(message, wparam, lparam, handled);
  return handled;
}

platform::LRESULT WindowImplBase::OnCreate(platform::UINT, platform::WPARAM, platform::LPARAM,
                                           bool& handled) {
  handled = true;
  platform::SetWindowLongPtr(hwnd_, platform::GWL_STYLE, GetStyle());
  AttachWindowHandle(hwnd_);
  SetResourcePath(GetSkinFolder());
  const std::u16string source = GetResourcePath() + GetSkinFile();
  LayoutBuilder builder;
  Control* root = builder.Create(
      source, WrapWeak([this](const std::u16string& tag) { return CreateControl(tag); }), this);
  if (root == nullptr) {
    // The whole source goes into the message, however long the path is.
    ShowErrorBox(kErrorCaption, u"Failed to load xml file " + source);
    return -1;
  }
  AttachRoot(shadow_.AttachShadow(root));
  InitWindow();
  SizeWindowToContent();
  BindSystemButtons();
  return 0;
}

void WindowImplBase::BindSystemButtons() {
  for (const char16_t* name : {kCloseButton, kMinButton, kMaxButton, kRestoreButton}) {
    Control* control = FindControlByName(name);
    if (control == nullptr || !IsButton(control)) continue;
    control->AttachClick(WrapWeak([this](EventArgs* event) { return OnButtonClick(event); }));
  }
}

bool WindowImplBase::OnButtonClick(EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == kCloseButton) {
    Close(1);
  } else if (name == kMinButton) {
    platform::SendMessage(hwnd_, platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
  } else if (name == kMaxButton) {
    SwapMaxRestore(true);
    platform::SendMessage(hwnd_, platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
  } else if (name == kRestoreButton) {
    SwapMaxRestore(false);
    platform::SendMessage(hwnd_, platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  }
  return true;
}

// Only a skin with both buttons swaps them; one with a single button keeps it.
void WindowImplBase::SwapMaxRestore(bool maximized) {
  Control* max_button = FindControlByName(kMaxButton);
  Control* restore_button = FindControlByName(kRestoreButton);
  if (max_button == nullptr || restore_button == nullptr) return;
  max_button->SetFadeVisible(!maximized);
  restore_button->SetFadeVisible(maximized);
}

platform::LRESULT WindowImplBase::OnClose(platform::UINT, platform::WPARAM, platform::LPARAM,
                                          bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnDestroy(platform::UINT, platform::WPARAM, platform::LPARAM,
                                            bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnNcActivate(platform::UINT, platform::WPARAM wparam,
                                               platform::LPARAM, bool& handled) {
  if (platform::IsIconic(hwnd_)) {
    handled = false;
    return 0;
  }
  return wparam == 0 ? 1 : 0;
}

platform::LRESULT WindowImplBase::OnNcCalcSize(platform::UINT, platform::WPARAM, platform::LPARAM,
                                               bool&) {
  return 0;
}

// The window manager places a maximised window on its own monitor's work
// area itself, so nothing is adjusted here.
platform::LRESULT WindowImplBase::OnWindowPosChanging(platform::UINT, platform::WPARAM,
                                                      platform::LPARAM, bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnNcPaint(platform::UINT, platform::WPARAM, platform::LPARAM,
                                            bool&) {
  return 0;
}

platform::LRESULT WindowImplBase::OnNcLButtonDblClk(platform::UINT, platform::WPARAM,
                                                    platform::LPARAM, bool&) {
  return 0;
}

platform::LRESULT WindowImplBase::OnNcHitTest(platform::UINT, platform::WPARAM,
                                              platform::LPARAM lparam, bool&) {
  platform::Point point{platform::GetXLParam(lparam), platform::GetYLParam(lparam)};
  platform::ScreenToClient(hwnd_, &point);
  UiRect client;
  platform::GetClientRect(hwnd_, &client);
  if (IsShadowAttached()) {
    const UiRect corner = GetShadowCorner();
    client = UiRect{client.left + corner.left, client.top + corner.top,
                    client.right - corner.right, client.bottom - corner.bottom};
  }
  const UiPoint pt{point.x, point.y};
  if (!platform::IsZoomed(hwnd_)) {
    if (const auto hit = SizeBoxHit(client, GetSizeBox(), pt)) return *hit;
  }
  const UiRect caption = GetCaptionRect();
  const bool in_caption = pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
                          pt.y >= client.top + caption.top && pt.y < client.top + caption.bottom;
  if (!in_caption) return platform::HTCLIENT;
  const Control* control = FindControlAtPoint(pt);
  if (control == nullptr || IsButton(control) || IsRichEdit(control)) return platform::HTCLIENT;
  return platform::HTCAPTION;
}

platform::LRESULT WindowImplBase::OnGetMinMaxInfo(platform::UINT, platform::WPARAM,
                                                  platform::LPARAM lparam, bool& handled) {
  handled = false;
  auto* info = reinterpret_cast<platform::MINMAXINFO*>(lparam);
  if (info == nullptr) return 0;
  std::optional<platform::MonitorInfo> monitor = platform::MonitorFromWindow(hwnd_);
  if (!monitor) monitor = platform::PrimaryMonitor();
  if (monitor) {
    const UiRect& work = monitor->work;
    info->ptMaxPosition = {work.left - monitor->monitor.left, work.top - monitor->monitor.top};
    info->ptMaxSize = {work.Width(), work.Height()};
  }
  const UiRect corner = IsShadowAttached() ? GetShadowCorner() : UiRect{};
  const int shadow_x = corner.left + corner.right;
  const int shadow_y = corner.top + corner.bottom;
  // A value equal to the shadow alone stands for "not set" in the skin.
  const auto takes = [](int value, int shadow) { return value != 0 && value != shadow; };
  const UiSize max_info = GetMaxInfo();
  const UiSize min_info = GetMinInfo();
  if (takes(max_info.cx, shadow_x)) info->ptMaxTrackSize.x = max_info.cx;
  if (takes(max_info.cy, shadow_y)) info->ptMaxTrackSize.y = max_info.cy;
  if (takes(min_info.cx, shadow_x)) info->ptMinTrackSize.x = min_info.cx;
  if (takes(min_info.cy, shadow_y)) info->ptMinTrackSize.y = min_info.cy;
  return 0;
}

platform::LRESULT WindowImplBase::OnMouseWheel(platform::UINT, platform::WPARAM, platform::LPARAM,
                                               bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnMouseHover(platform::UINT, platform::WPARAM, platform::LPARAM,
                                               bool& handled) {
  return DefaultHandler(handled);
}

// X11 sends no per-monitor DPI change: the scale is fixed at start-up, so
// this runs only when a message is posted to the window by hand.
platform::LRESULT WindowImplBase::OnDpiChanged(platform::UINT, platform::WPARAM wparam,
                                               platform::LPARAM, bool& handled) {
  handled = false;
  DpiManager* dpi = DpiManager::GetInstance();
  if (dpi->IsAdaptDpi()) dpi->SetScaleFromDpi(platform::LoWord(wparam));
  if (IsShadowAttached() && shadow_.GetShadowBox() != nullptr) {
    const UiRect unscaled = shadow_.GetUnscaledShadowCorner();
    shadow_.SetShadowCorner(unscaled);
    shadow_.GetShadowBox()->GetLayout()->SetPadding(unscaled, true);
  }
  return 0;
}

platform::LRESULT WindowImplBase::OnSize(platform::UINT, platform::WPARAM, platform::LPARAM,
                                         bool& handled) {
  handled = false;
  const UiSize corner = GetRoundCorner();
  if (!platform::IsIconic(hwnd_) && (corner.cx != 0 || corner.cy != 0)) {
    platform::SetWindowRoundRegion(hwnd_, platform::Size{corner.cx, corner.cy});
  }
  return 0;
}

platform::LRESULT WindowImplBase::OnChar(platform::UINT, platform::WPARAM, platform::LPARAM,
                                         bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                               platform::LPARAM lparam, bool& handled) {
  handled = true;
  if (wparam == platform::SC_CLOSE) {
    platform::SendMessage(hwnd_, platform::WM_CLOSE, 0, 0);
    return 0;
  }
  return Window::HandleMessage(message, wparam, lparam);
}

platform::LRESULT WindowImplBase::OnKeyDown(platform::UINT, platform::WPARAM, platform::LPARAM,
                                            bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnKillFocus(platform::UINT, platform::WPARAM, platform::LPARAM,
                                              bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnSetFocus(platform::UINT, platform::WPARAM, platform::LPARAM,
                                             bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnLButtonDown(platform::UINT, platform::WPARAM, platform::LPARAM,
                                                bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnLButtonUp(platform::UINT, platform::WPARAM, platform::LPARAM,
                                              bool& handled) {
  return DefaultHandler(handled);
}

platform::LRESULT WindowImplBase::OnMouseMove(platform::UINT, platform::WPARAM, platform::LPARAM,
                                              bool& handled) {
  return DefaultHandler(handled);
}

void WindowImplBase::ActivateWindow() {
  if (hwnd_ == nullptr || !platform::IsWindow(hwnd_)) return;
  if (platform::IsIconic(hwnd_)) {
    platform::ShowWindow(hwnd_, platform::SW_RESTORE);
    return;
  }
  if (!platform::IsWindowVisible(hwnd_)) platform::ShowWindow(hwnd_, platform::SW_SHOW);
  platform::SetForegroundWindow(hwnd_);
}

void WindowImplBase::SetWindowText(const std::u16string& text) {
  if (hwnd_ != nullptr) platform::SetWindowText(hwnd_, text);
}

void WindowImplBase::OnFinalMessage() {
  if (root_ != nullptr) ForgetControl(root_);
  delete this;
}

}  // namespace ui
