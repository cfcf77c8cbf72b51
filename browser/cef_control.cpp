#include "browser/cef_control.h"

#include <algorithm>
#include <utility>

#include "base/thread/thread_registry.h"
#include "browser/cef_manager.h"
#include "platform/window/window_api.h"
#include "platform/window/window_messages.h"
#include "ui/dpi_manager.h"
#include "ui/event_args.h"
#include "ui/render/i_render_context.h"
#include "ui/window.h"

namespace jov_comp {

namespace {

platform::Point ClientPoint(platform::LPARAM lparam) {
  return platform::Point{platform::GetXLParam(lparam), platform::GetYLParam(lparam)};
}

}  // namespace

CefControl::CefControl() : input_([](uint32_t key) { return platform::GetKeyState(key); }) {
  // Decoded pictures come back to the UI thread, and only while the control
  // lives.
  std::weak_ptr<kbase::WeakFlag> flag = GetWeakFlag();
  decoder_ = std::make_unique<FrameDecoder>([this, flag](FrameDecoder::Picture picture) {
    auto shared = std::make_shared<FrameDecoder::Picture>(std::move(picture));
    kbase::ThreadRegistry::PostTask(
        kThreadUI, kbase::WeakCallback<std::function<void()>>(
                       flag, [this, shared] { OnPictureDecoded(std::move(*shared)); }));
  });
}

CefControl::~CefControl() {
  // The decoder thread ends first, so nothing is posted for this control
  // any more; then the window and the handler forget it.
  decoder_.reset();
  RemoveFilter();
  ReleaseHandler();
  view_buffer_.Reset();
}

void CefControl::RemoveFilter() {
  if (filter_window_ != nullptr) filter_window_->RemoveMessageFilter(this);
  filter_window_ = nullptr;
}

void CefControl::SetWindow(ui::Window* window, ui::Box* parent, bool init) {
  if (!handler_) {
    CefControlBase::SetWindow(window, parent, init);
    return;
  }
  RemoveFilter();
  CefControlBase::SetWindow(window, parent, init);
  if (window != nullptr) {
    window->AddMessageFilter(this);
    filter_window_ = window;
  }
  handler_->SetHostWindow(window != nullptr ? window->GetHWND() : nullptr);
}

void CefControl::Init() {
  if (!handler_ && GetWindow() != nullptr) {
    GetWindow()->AddMessageFilter(this);
    filter_window_ = GetWindow();
    handler_ = BrowserHandler::Create();
    handler_->SetHostWindow(GetWindow()->GetHWND());
    handler_->SetHandlerDelegate(this);
    handler_->SetTransparentPainting(transparent_painting);
    handler_->SetViewScale(ViewScale());
    const ui::UiRect rect = GetPos();
    if (!rect.IsEmpty()) handler_->SetViewRect(rect.left, rect.top, rect.right, rect.bottom);
    CreateBrowser();
  }
  if (!bridge_) bridge_ = std::make_shared<CefJSBridge>();
  DoInit();
}

void CefControl::CreateBrowser() {
  if (!handler_ || handler_->GetBrowser() || creating_browser_) return;
  creating_browser_ = handler_->CreateBrowser();
}

void CefControl::OnAfterCreated(const BrowserPtr& browser) {
  creating_browser_ = false;
  UpdatePainting(IsVisible() && painting_wanted_);
  CefControlBase::OnAfterCreated(browser);
}

double CefControl::ViewScale() const {
  const int scale = ui::DpiManager::GetInstance()->GetScale();
  return scale > 0 ? scale / 100.0 : 1.0;
}

void CefControl::SetPos(ui::UiRect rect) {
  CefControlBase::SetPos(rect);
  if (!handler_) return;
  handler_->SetViewScale(ViewScale());
  const ui::UiRect pos = GetPos();
  handler_->SetViewRect(pos.left, pos.top, pos.right, pos.bottom);
}

void CefControl::SetFadeVisible(bool visible) {
  CefControlBase::SetFadeVisible(visible);
  painting_wanted_ = visible;
  UpdatePainting(visible);
}

void CefControl::SetInternalVisible(bool visible) {
  CefControlBase::SetInternalVisible(visible);
  UpdatePainting(IsVisible() && painting_wanted_);
}

void CefControl::SetVisible(bool visible) {
  CefControlBase::SetVisible(visible);
  painting_wanted_ = visible;
  UpdatePainting(IsVisible());
}

void CefControl::UpdatePainting(bool visible) {
  BrowserPtr browser = GetBrowser();
  if (!browser || handler_->IsPaintingEnabled() == visible) return;
  handler_->SetPaintingEnabled(browser, visible);
}

void CefControl::OnPaint(const BrowserPtr&, const std::string& picture, const Json::Value&) {
  // A picture already on its way when the control was hidden is dropped.
  if (picture.empty() || !handler_ || !handler_->IsPaintingEnabled()) return;
  decoder_->Decode(picture);
}

void CefControl::OnPictureDecoded(FrameDecoder::Picture picture) {
  if (!handler_ || !handler_->IsPaintingEnabled()) return;
  if (!view_buffer_.valid() || view_buffer_.width() != picture.width ||
      view_buffer_.height() != picture.height) {
    if (!view_buffer_.Init(picture.width, picture.height)) return;
  }
  if (!view_buffer_.Write(picture.pixels, picture.width, picture.height)) return;
  ++painted_frames_;
  Invalidate();
}

void CefControl::PaintContent(ui::IRenderContext* render, const ui::UiRect& paint_rect) {
  CefControlBase::PaintContent(render, paint_rect);
  if (!view_buffer_.valid() || !GetBrowser()) return;
  const ui::UiRect rect = GetPos();
  // A picture smaller than the control (the view is being resized) covers
  // what it covers; the rest keeps the control's own content.
  const int width = std::min(rect.Width(), view_buffer_.width());
  const int height = std::min(rect.Height(), view_buffer_.height());
  render->BitBlt(rect.left, rect.top, width, height, view_buffer_.dc(), 0, 0, ui::SRCCOPY);
}

void CefControl::HandleEvent(ui::EventArgs& event) {
  if (BrowserPtr browser = GetBrowser()) {
    if (event.Type == ui::kEventInternalSetFocus) handler_->SendFocusEvent(browser, true);
    if (event.Type == ui::kEventInternalKillFocus) handler_->SendFocusEvent(browser, false);
  }
  CefControlBase::HandleEvent(event);
}

void CefControl::OnCursorChange(const BrowserPtr&, const std::string& cursor) {
  if (cursor == "pointer")
    cursor_ = platform::CursorKind::kHand;
  else if (cursor == "text")
    cursor_ = platform::CursorKind::kIBeam;
  else
    cursor_ = platform::CursorKind::kArrow;
}

bool CefControl::AttachDevTools(Control* /*view*/) {
  if (dev_tools_attached_) return true;
  // The engine's inspector cannot be drawn into a view: the tools are the
  // protocol on a loopback port, which a desktop browser opens.
  if (CefManager::GetInstance()->remote_debugging_port() <= 0) return false;
  SetDevToolsAttached(true);
  return true;
}

bool CefControl::Inside(platform::Point point) const {
  const ui::UiRect rect = GetPos();
  if (point.x < rect.left || point.x >= rect.right || point.y < rect.top || point.y >= rect.bottom) return false;
  // Only the view the pointer is over takes it: another control laid on top
  // (such as a second view in the same place) has the point instead.
  const ui::Window* window = GetWindow();
  return window == nullptr || window->FindControlAtPoint(ui::UiPoint{point.x, point.y}) == this;
}

void CefControl::SendMouse(const std::string& type, platform::Point client_point,
                           const std::string& button, int click_count, platform::WPARAM wparam) {
  const ui::UiRect rect = GetPos();
  const double scale = handler_->view_scale();
  const double x = (client_point.x - rect.left) / scale;
  const double y = (client_point.y - rect.top) / scale;
  handler_->DispatchInput(GetBrowser(), "Input.dispatchMouseEvent",
                          input_.MouseEvent(type, x, y, button, click_count, wparam));
}

void CefControl::SendPointerLeave(platform::WPARAM wparam) {
  // A point outside the view: the page's hover ends.
  handler_->DispatchInput(GetBrowser(), "Input.dispatchMouseEvent",
                          input_.MouseEvent("mouseMoved", -1, -1, "none", 0, wparam));
}

platform::LRESULT CefControl::MessageHandler(platform::UINT message, platform::WPARAM wparam,
                                             platform::LPARAM lparam, bool& handled) {
  handled = false;
  if (!IsVisible() || !IsEnabled() || !GetBrowser()) return 0;
  switch (message) {
    case platform::WM_SETCURSOR: {
      platform::Point cursor;
      if (!platform::GetCursorPos(&cursor) || !platform::ScreenToClient(GetWindow()->GetHWND(), &cursor))
        return 0;
      if (!Inside(cursor)) return 0;
      platform::SetCursor(cursor_);
      handled = true;
      return 0;
    }
    case platform::WM_KEYDOWN:
    case platform::WM_KEYUP:
    case platform::WM_CHAR:
    case platform::WM_SYSKEYDOWN:
    case platform::WM_SYSKEYUP:
    case platform::WM_SYSCHAR: {
      if (!IsFocused()) return 0;
      if (std::optional<Json::Value> event = input_.KeyEvent(message, wparam, lparam))
        handler_->DispatchInput(GetBrowser(), "Input.dispatchKeyEvent", *event);
      handled = true;
      return 0;
    }
    default:
      HandleMouseMessage(message, wparam, lparam, handled);
      return 0;
  }
}

bool CefControl::HandleMouseMessage(platform::UINT message, platform::WPARAM wparam,
                                    platform::LPARAM lparam, bool& handled) {
  const platform::Point point = ClientPoint(lparam);
  const bool captured = platform::GetCapture() == GetWindow()->GetHWND();
  switch (message) {
    case platform::WM_MOUSEMOVE:
      if (!Inside(point) && !captured) {
        if (pointer_inside_) {
          // Moved onto another control of the window: the page sees the
          // pointer leave.
          pointer_inside_ = false;
          SendPointerLeave(wparam);
        }
        return false;
      }
      pointer_inside_ = Inside(point);
      SendMouse("mouseMoved", point, "none", 0, wparam);
      return true;
    case platform::WM_LBUTTONDOWN:
    case platform::WM_RBUTTONDOWN:
    case platform::WM_MBUTTONDOWN: {
      if (!Inside(point)) return false;
      SetFocus();
      const char* button = message == platform::WM_LBUTTONDOWN   ? "left"
                           : message == platform::WM_RBUTTONDOWN ? "right"
                                                                 : "middle";
      last_click_count_ = 1;
      SendMouse("mousePressed", point, button, 1, wparam);
      return true;
    }
    case platform::WM_LBUTTONUP:
    case platform::WM_RBUTTONUP:
    case platform::WM_MBUTTONUP: {
      if (!Inside(point) && !captured) return false;
      const char* button = message == platform::WM_LBUTTONUP   ? "left"
                           : message == platform::WM_RBUTTONUP ? "right"
                                                               : "middle";
      SendMouse("mouseReleased", point, button, last_click_count_, wparam);
      last_click_count_ = 1;
      return true;
    }
    case platform::WM_LBUTTONDBLCLK:
    case platform::WM_RBUTTONDBLCLK:
    case platform::WM_MBUTTONDBLCLK: {
      if (!Inside(point)) return false;
      // The second press of a double click, with its own button.
      const char* button = message == platform::WM_LBUTTONDBLCLK   ? "left"
                           : message == platform::WM_RBUTTONDBLCLK ? "right"
                                                                   : "middle";
      last_click_count_ = 2;
      SendMouse("mousePressed", point, button, 2, wparam);
      handled = true;
      return true;
    }
    case platform::WM_MOUSEWHEEL:
    case platform::WM_MOUSEHWHEEL: {
      platform::Point client{platform::GetXLParam(lparam), platform::GetYLParam(lparam)};
      if (!platform::ScreenToClient(GetWindow()->GetHWND(), &client) || !Inside(client)) return false;
      const int delta = platform::GetWheelDelta(wparam);
      const ui::UiRect rect = GetPos();
      const double scale = handler_->view_scale();
      Json::Value event = input_.MouseEvent("mouseWheel", (client.x - rect.left) / scale,
                                            (client.y - rect.top) / scale, "none", 0, wparam);
      // A notch away from the user (up) scrolls up: a negative deltaY. A
      // horizontal notch to the right is a positive deltaX; with Shift the
      // vertical wheel scrolls sideways, up going left.
      const bool sideways = message == platform::WM_MOUSEHWHEEL;
      const bool shifted = !sideways && (wparam & platform::MK_SHIFT) != 0;
      event["deltaX"] = sideways ? delta : (shifted ? -delta : 0);
      event["deltaY"] = sideways || shifted ? 0 : -delta;
      handler_->DispatchInput(GetBrowser(), "Input.dispatchMouseEvent", event);
      handled = true;
      return true;
    }
    case platform::WM_MOUSELEAVE:
      // The message carries no point: the page is told the pointer left when
      // it was last seen inside. The window keeps its own hover handling.
      if (!pointer_inside_) return false;
      pointer_inside_ = false;
      SendPointerLeave(0);
      return true;
    default:
      return false;
  }
}

}  // namespace jov_comp
