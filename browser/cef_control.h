#pragma once
// The browser control the launcher uses: the engine renders the page off
// screen, its pictures are decoded on a thread of their own and painted into
// the control like any other content, and a message filter on the window
// turns the window's mouse and keyboard messages into the engine's input.
// The view follows the control's size and the display's scale; a hidden
// control gets no pictures.

#include <memory>
#include <string>

#include "browser/cef_control_base.h"
#include "browser/frame_decoder.h"
#include "browser/input_event_builder.h"
#include "browser/paint_buffer.h"
#include "platform/window/window_backend.h"
#include "ui/i_ui_message_filter.h"

namespace jov_comp {

class CefControl : public CefControlBase, public ui::IUIMessageFilter {
 public:
  CefControl();
  ~CefControl() override;

  // Set before the control joins its window: the page's own background is
  // cleared and the pictures keep their alpha.
  bool transparent_painting = false;

  // ui::Control
  void SetWindow(ui::Window* window, ui::Box* parent, bool init) override;
  void Init() override;
  void SetPos(ui::UiRect rect) override;
  void SetFadeVisible(bool visible) override;
  void SetInternalVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void PaintContent(ui::IRenderContext* render, const ui::UiRect& paint_rect) override;
  void HandleEvent(ui::EventArgs& event) override;

  // CefControlBase
  bool AttachDevTools(Control* view) override;
  void CreateBrowser() override;

  // BrowserHandler::HandlerDelegate
  void OnPaint(const BrowserPtr& browser, const std::string& picture,
               const Json::Value& metadata) override;
  void OnCursorChange(const BrowserPtr& browser, const std::string& cursor) override;
  void OnAfterCreated(const BrowserPtr& browser) override;

  // ui::IUIMessageFilter
  platform::LRESULT MessageHandler(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled) override;

  // Pictures painted into the control so far (a hidden control takes none).
  int painted_frame_count() const { return painted_frames_; }
  // The picture's pixel at a point of the view (premultiplied ARGB).
  uint32_t ViewPixelAt(int x, int y) { return view_buffer_.PixelAt(x, y); }

 private:
  void OnPictureDecoded(FrameDecoder::Picture picture);
  // Pictures flow while the control shows and the browser exists.
  void UpdatePainting(bool visible);
  void RemoveFilter();
  // The point lies in the view and the view is the topmost control there.
  bool Inside(platform::Point client_point) const;
  double ViewScale() const;
  void SendMouse(const std::string& type, platform::Point client_point, const std::string& button,
                 int click_count, platform::WPARAM wparam);
  void SendPointerLeave(platform::WPARAM wparam);
  bool HandleMouseMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                          bool& handled);

  PaintBuffer view_buffer_;
  std::unique_ptr<FrameDecoder> decoder_;
  InputEventBuilder input_;
  ui::Window* filter_window_ = nullptr;
  bool creating_browser_ = false;
  bool painting_wanted_ = true;
  int painted_frames_ = 0;
  platform::CursorKind cursor_ = platform::CursorKind::kArrow;
  // The last point sent inside the view, so a leave can be told to the page.
  bool pointer_inside_ = false;
  // The click count of the last press, repeated by its release.
  int last_click_count_ = 1;
};

}  // namespace jov_comp
