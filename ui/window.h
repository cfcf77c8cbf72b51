// The window that holds one tree of controls: its root, the named-control
// map, option groups, classes of its own layout, its skin folder, the
// need-arrange flag, the last mouse point, focus, and the list of controls
// removed from the tree that are deleted after the current message.
//
// This is the part of the window that controls call; it works without a
// native window. The native half (creation, painting, input) extends this
// same class and reaches the tree through the same members.
#ifndef UI_WINDOW_H_
#define UI_WINDOW_H_

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/callback/weak_callback.h"
#include "platform/message/message_types.h"
#include "ui/render/render_types.h"
#include "ui/shadow.h"

namespace ui {

class Box;
class Control;
class IUIMessageFilter;
class WindowMessageHandler;

// Posted to a window: delete the controls on its delayed-destroy list.
inline constexpr platform::UINT kMsgDelayedDestroy = 0x8001;
// Sent to a window when it becomes the last of the registered windows.
inline constexpr platform::UINT kMsgWindowOnTop = platform::WM_USER + 2001;

class IRenderContext;

class Window : public virtual kbase::SupportWeakCallback {
 public:
  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The tree. A previous root goes to the delayed-destroy list; the new one
  // gets this window and its named controls are registered. False for null.
  bool AttachRoot(Control* root);
  Control* GetRoot() const { return root_; }

  // Names: one entry a name, the control registered last winning.
  void RegisterNamedControls(Control* subtree);
  Control* FindControlByName(const std::u16string& name) const;
  // A control goes away: no focus, hover, capture or name entry is left
  // pointing at it.
  void ForgetControl(Control* control);

  // The topmost visible control under a point (client coordinates), or null.
  Control* FindControlAtPoint(UiPoint point) const;

  // Moves the focus; the control that loses it gets the internal kill-focus
  // event and "killfocus", the one that gains it the internal set-focus
  // event and "setfocus". Only a visible, enabled control of this window can
  // take it; null clears it.
  void SetFocus(Control* control);
  Control* GetFocus() const { return focus_; }
  // Tab and Shift+Tab: the focus moves to the next (previous) control that
  // takes it by Tab, wrapping around. Always true.
  bool SetNextTabControl(bool forward = true);
  // Hover follows the control under the point; false when that control
  // belongs to another window.
  bool HandleMouseEnterLeave(UiPoint point, platform::WPARAM wparam, platform::LPARAM lparam);
  Control* GetHoverControl() const { return event_hover_; }
  Control* GetPushedControl() const { return event_click_; }

  // Filters see every message first, in the order they were added.
  void AddMessageFilter(IUIMessageFilter* filter);
  void RemoveMessageFilter(IUIMessageFilter* filter);
  // Turns a message into control events; |handled| false leaves it to the
  // default procedure.
  platform::LRESULT ProcessMessage(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled);

  // Option groups: false, changing nothing, when the control is a member
  // already; removing the last member erases the group.
  bool AddOptionGroup(const std::u16string& group, Control* control);
  const std::vector<Control*>* GetOptionGroup(const std::u16string& group) const;
  void RemoveOptionGroup(const std::u16string& group, Control* control);
  void RemoveAllOptionGroups() { option_groups_.clear(); }

  // Classes of the window's own layout (name -> attribute list).
  void AddClass(const std::u16string& name, const std::u16string& attributes);
  std::u16string GetClassAttributes(const std::u16string& name) const;
  const std::map<std::u16string, std::u16string>& GetClassMap() const { return classes_; }
  void RemoveAllClasses() { classes_.clear(); }

  // The window's skin folder, kept ending in a separator.
  void SetResourcePath(const std::u16string& path);
  const std::u16string& GetResourcePath() const { return resource_path_; }

  void SetArrange(bool arrange) { need_arrange_ = arrange; }
  bool IsArrangeNeeded() const { return need_arrange_; }
  bool IsFirstLayoutPending() const { return first_layout_pending_; }
  // Lays out what asked for it: the root at |client| when it needs placing,
  // else each control that needs arranging at its own rectangle.
  void ArrangePending(const UiRect& client);

  UiPoint GetLastMousePos() const { return last_mouse_point_; }
  void SetLastMousePos(UiPoint point) { last_mouse_point_ = point; }

  // Queues a control taken out of the tree for deletion after the current
  // message. One deletion is pending per window at a time, however many
  // controls are queued.
  void AddDelayedDestroy(Control* control);
  size_t GetDelayedDestroyCount() const { return delayed_destroy_.size(); }
  // How many deletions were posted so far: one a round of removals.
  size_t GetDelayedDestroyPostCount() const { return delayed_destroy_posts_; }
  // Deletes every queued control, and those queued while they go.
  void OnDelayedDestroy();

  // The drop shadow around the root: attached by default; the skin's window
  // attributes set it before the root is built, and window creation attaches
  // the root that Shadow::AttachShadow returns.
  Shadow& GetShadow() { return shadow_; }
  bool IsShadowAttached() const { return shadow_.IsShadowAttached(); }
  // The part of the window the visible area starts at, inside the shadow.
  UiRect GetShadowCorner() const { return shadow_.GetShadowCorner(); }

  // Asks for a repaint of an area of the client (window coordinates). The
  // native half repaints it; a window without one has nothing to repaint.
  void InvalidateArea(const UiRect& area);

  // The native half. Registers the class (an existing one is reused) and
  // creates the window; its procedure hands messages to HandleMessage.
  virtual std::u16string GetWindowClassName() const;
  // The class style; CS_DBLCLKS brings double clicks.
  virtual uint32_t GetClassStyle() const;
  platform::HWND Create(platform::HWND parent, const std::u16string& name, uint32_t style,
                        uint32_t ex_style, bool layered, const UiRect& rect);
  // Fades the root out and posts WM_CLOSE (wParam |code|) 300 ms later;
  // without a root posts it at once.
  virtual void Close(platform::WPARAM code = 0);
  virtual platform::LRESULT HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                          platform::LPARAM lparam);
  // Fades the window in from alpha 0 (run once after the first layout).
  virtual void FadeIn();
  // Takes the handle, makes the render context and joins the window list.
  void AttachWindowHandle(platform::HWND hwnd);
  platform::HWND GetHWND() const { return hwnd_; }
  IRenderContext* GetRenderContext() const { return render_.get(); }
  bool IsLayeredWindow() const { return layered_; }
  void SetLayeredWindow(bool layered) { layered_ = layered; }
  int GetWindowAlpha() const { return alpha_; }
  void SetWindowAlpha(int alpha) { alpha_ = alpha; }
  UiPoint GetRenderOffset() const { return render_offset_; }
  void SetRenderOffset(UiPoint offset) { render_offset_ = offset; }
  // Lays out what asked for it, paints the update area of the tree into the
  // render context and puts the picture on the screen.
  void Paint();
  void CenterWindow();
  // The size the window opens at; the shadow's corners are added to it.
  void SetInitSize(int cx, int cy, bool scale_by_dpi = true);
  UiSize GetInitSize() const { return init_size_; }
  UiRect GetAlphaFixCorner() const { return alpha_fix_corner_; }
  void SetAlphaFixCorner(const UiRect& corner) { alpha_fix_corner_ = corner; }
  // Stores a finished initial size (no scaling, no shadow added): the old
  // one is kept as the previous size, and a window without a root yet is
  // resized to it.
  void StoreInitSize(UiSize size);

  // What the skin's "Window" root sets: caption and size-box rectangles,
  // corner ellipse, minimum and maximum size, edging, the shadow's
  // attachment, image and corner, the height share of the work area.
  UiRect GetCaptionRect() const { return caption_; }
  void SetCaptionRect(const UiRect& rect) { caption_ = rect; }
  UiRect GetSizeBox() const { return size_box_; }
  void SetSizeBox(const UiRect& rect) { size_box_ = rect; }
  UiSize GetRoundCorner() const { return round_corner_; }
  void SetRoundCorner(UiSize size) { round_corner_ = size; }
  UiSize GetMinInfo() const { return min_info_; }
  void SetMinInfo(UiSize size) { min_info_ = size; }
  UiSize GetMaxInfo() const { return max_info_; }
  void SetMaxInfo(UiSize size) { max_info_ = size; }
  UiRect GetEdging() const { return edging_; }
  void SetEdging(const UiRect& rect) { edging_ = rect; }
  void SetShadowAttached(bool attached) { shadow_.SetShadowAttached(attached); }
  // Unscaled insets; the shadow keeps them DPI-scaled.
  void SetShadowCorner(const UiRect& corner) { shadow_.SetShadowCorner(corner); }
  UiRect GetShadowCornerUnscaled() const { return shadow_.GetUnscaledShadowCorner(); }
  const std::u16string& GetShadowImage() const { return shadow_.GetShadowImage(); }
  void SetShadowImage(const std::u16string& image) { shadow_.SetShadowImage(image); }
  double GetHeightPercent() const { return height_percent_; }
  void SetHeightPercent(double percent) { height_percent_ = percent; }

 protected:
  // Posts the deletion of the delayed-destroy list to the thread's loop.
  void PostDelayedDestroy();
  void ClearInputTargets();

  Control* root_ = nullptr;
  UiPoint last_mouse_point_;
  bool need_arrange_ = false;
  bool first_layout_pending_ = true;
  std::u16string resource_path_;
  std::map<std::u16string, std::u16string> classes_;
  std::map<std::u16string, std::vector<Control*>> option_groups_;
  std::vector<Control*> delayed_destroy_;
  bool delayed_destroy_posted_ = false;
  size_t delayed_destroy_posts_ = 0;
  std::map<std::u16string, Control*> named_controls_;
  // The names each control is registered under, so forgetting a renamed
  // control erases exactly its own entries.
  std::unordered_map<const Control*, std::vector<std::u16string>> names_of_;

  // Input targets; the native half sets them, ForgetControl clears them.
  Control* focus_ = nullptr;
  Control* event_hover_candidate_ = nullptr;
  Control* event_hover_ = nullptr;
  Control* event_click_ = nullptr;
  Control* event_key_ = nullptr;
  Control* event_touch_ = nullptr;
  Control* event_pointer_ = nullptr;

  Shadow shadow_;

  platform::HWND hwnd_ = nullptr;
  std::unique_ptr<IRenderContext> render_;
  bool layered_ = true;
  int alpha_ = 255;
  UiPoint render_offset_;
  UiSize init_size_;
  UiSize previous_init_size_;
  UiRect edging_;
  UiRect alpha_fix_corner_;
  UiRect caption_;
  UiRect size_box_;
  UiSize round_corner_;
  UiSize min_info_;
  UiSize max_info_;
  double height_percent_ = 0;
  // Guards the delayed close, so it does nothing once the window is gone.
  kbase::WeakCallbackFlag close_flag_;
  std::vector<IUIMessageFilter*> message_filters_;
  std::unique_ptr<WindowMessageHandler> message_handler_;

 private:
  friend class WindowMessageHandler;

  static platform::LRESULT WindowProc(platform::HWND hwnd, platform::UINT message,
                                      platform::WPARAM wparam, platform::LPARAM lparam);
  void LeaveWindowList();
  // An auto-sized root resizes the window to what it needs.
  void SizeWindowToContent();
  UiRect AlphaRestoreRect(const UiRect& update, UiRect* corner) const;
};

}  // namespace ui

#endif  // UI_WINDOW_H_
