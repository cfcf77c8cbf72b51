// The base of the launcher's skinned windows. A subclass names its window
// class, skin folder and skin file; on WM_CREATE the window builds its tree
// from that XML, wraps it in the drop shadow, answers hit tests itself
// (resize borders inside the shadow, the caption area), bounds its size by
// the skin's "mininfo" and "maxinfo", binds the system buttons "closebtn",
// "minbtn", "maxbtn" and "restorebtn", and routes its messages to overridable
// handlers before the window's own message processing runs.
//
// A subclass object lives on the heap and deletes itself after its native
// window is destroyed (OnFinalMessage). UI thread only.
#ifndef UI_WINDOW_IMPL_BASE_H_
#define UI_WINDOW_IMPL_BASE_H_

#include <functional>
#include <string>

#include "platform/message/message_types.h"
#include "ui/i_ui_message_filter.h"
#include "ui/window.h"

namespace ui {

class Control;
struct EventArgs;

class WindowImplBase : public Window, public IUIMessageFilter {
 public:
  // Which controls are buttons and rich edits. Buttons are bound as system
  // buttons; buttons and rich edits keep their clicks inside the caption.
  // The widget library installs its own tests when it starts; until then no
  // control counts as either.
  using ControlKindTest = std::function<bool(const Control*)>;
  static void SetButtonTest(ControlKindTest test);
  static void SetRichEditTest(ControlKindTest test);

  // Shows a modal error box (caption, text); replaceable so tests see the
  // box instead of a dialog. Null restores the platform's box.
  using ErrorBoxHandler = std::function<void(const std::u16string&, const std::u16string&)>;
  static void SetErrorBoxHandler(ErrorBoxHandler handler);

  WindowImplBase() = default;
  ~WindowImplBase() override = default;

  // Window.
  std::u16string GetWindowClassName() const override = 0;
  virtual std::u16string GetSuperClassName() const { return {}; }
  uint32_t GetClassStyle() const override;
  platform::LRESULT HandleMessage(platform::UINT message, platform::WPARAM wparam,
                                  platform::LPARAM lparam) override;
  // After WM_NCDESTROY: the window forgets its root and deletes itself.
  void OnFinalMessage() override;

  // IUIMessageFilter: the window's own filter leaves every message alone.
  platform::LRESULT MessageHandler(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled) override;

  // Called once the tree is attached.
  virtual void InitWindow() {}
  // The style without the caption bits.
  virtual uint32_t GetStyle() const;
  virtual std::u16string GetResourceName() const { return {}; }
  // Controls for tags the layout builder does not know; null for none.
  virtual Control* CreateControl(const std::u16string& class_name);

  // Handlers: |handled| comes in true; clearing it hands the message on to
  // the window's message processing.
  virtual platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wparam,
                                    platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnDestroy(platform::UINT message, platform::WPARAM wparam,
                                      platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnNcActivate(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnNcCalcSize(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnWindowPosChanging(platform::UINT message, platform::WPARAM wparam,
                                                platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnNcPaint(platform::UINT message, platform::WPARAM wparam,
                                      platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnNcLButtonDblClk(platform::UINT message, platform::WPARAM wparam,
                                              platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnNcHitTest(platform::UINT message, platform::WPARAM wparam,
                                        platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnGetMinMaxInfo(platform::UINT message, platform::WPARAM wparam,
                                            platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnMouseWheel(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnMouseHover(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnDpiChanged(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnSize(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnChar(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                         platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                                      platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnKillFocus(platform::UINT message, platform::WPARAM wparam,
                                        platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnSetFocus(platform::UINT message, platform::WPARAM wparam,
                                       platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnLButtonDown(platform::UINT message, platform::WPARAM wparam,
                                          platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnLButtonUp(platform::UINT message, platform::WPARAM wparam,
                                        platform::LPARAM lparam, bool& handled);
  virtual platform::LRESULT OnMouseMove(platform::UINT message, platform::WPARAM wparam,
                                        platform::LPARAM lparam, bool& handled);
  // Restores a minimised window; shows and raises any other.
  virtual void ActivateWindow();
  virtual void SetWindowText(const std::u16string& text);
  virtual std::u16string GetSkinFolder() = 0;
  virtual std::u16string GetSkinFile() = 0;

 protected:
  // Builds the tree; -1 (no window) when the skin cannot be loaded.
  platform::LRESULT OnCreate(platform::UINT message, platform::WPARAM wparam,
                             platform::LPARAM lparam, bool& handled);

 private:
  static platform::LRESULT DefaultHandler(bool& handled);
  bool RouteToHandler(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                      platform::LRESULT* result);
  void SizeToAutoRoot();
  void BindSystemButtons();
  bool OnButtonClick(EventArgs* event);
  void SwapMaxRestore(bool maximized);
};

}  // namespace ui

#endif  // UI_WINDOW_IMPL_BASE_H_
