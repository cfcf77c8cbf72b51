// The base of every visible element: interaction state (normal, hot, pushed,
// disabled), the enabled, mouse, keyboard and focus flags, tooltips, a data
// id and an owned user-data object, the event handler maps and dispatch, the
// named attributes and classes, background colour and image, state colours
// and images, and the per-control animations. Every widget and container
// derives from it and overrides some of its virtual operations, whose order
// continues the place holder's. UI thread only.
#ifndef UI_CONTROL_H_
#define UI_CONTROL_H_

#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/animation_manager.h"
#include "ui/event_args.h"
#include "ui/image.h"
#include "ui/place_holder.h"
#include "ui/state_color_map.h"
#include "ui/state_image_map.h"

namespace ui {

enum ControlState { kControlStateNormal = 0, kControlStateHot = 1, kControlStatePushed = 2,
                    kControlStateDisabled = 3 };
enum CursorType { kCursorArrow = 0, kCursorHand = 1, kCursorHandIbeam = 2 };

// The base of what a control owns for its application (deleted with it).
class UserDataBase {
 public:
  virtual ~UserDataBase() = default;
};

// FindControl flags.
inline constexpr unsigned kFindVisible = 0x00000001;
inline constexpr unsigned kFindEnabled = 0x00000002;
inline constexpr unsigned kFindHitTest = 0x00000004;
inline constexpr unsigned kFindTopFirst = 0x00000008;
inline constexpr unsigned kFindMeFirst = 0x80000000;

class Control;
using FindControlProc = Control* (*)(Control* control, void* data);

class Control : public PlaceHolder {
 public:
  Control();
  ~Control() override;

  // Overrides of the place holder.
  UiSize EstimateSize(UiSize available) override;
  UiRect GetPos(bool include_shadow = true) const override;
  void SetPos(UiRect rect) override;

  // Control's own virtual operations, in order.
  virtual Image* GetEstimateImage();
  virtual CursorType GetCursorType() const;
  virtual std::u16string GetToolTipText() const;
  virtual std::string GetUtf8ToolTipText() const;
  virtual void SetToolTipText(const std::u16string& text);
  virtual void SetUtf8ToolTipText(const std::string& text);
  virtual void SetToolTipTextId(const std::u16string& id);
  virtual void SetUtf8ToolTipTextId(const std::string& id);
  virtual void SetToolTipWidth(int width);
  virtual int GetToolTipWidth() const;
  virtual bool IsContextMenuUsed() const;
  virtual void SetContextMenuUsed(bool used);
  virtual std::u16string GetDataId() const;
  virtual std::string GetUtf8DataId() const;
  virtual void SetDataId(const std::u16string& id);
  virtual void SetUtf8DataId(const std::string& id);
  virtual UserDataBase* GetUserData();
  virtual void SetUserData(UserDataBase* data);
  virtual void SetFadeVisible(bool visible);
  virtual void SetInternalVisible(bool visible);
  virtual void SetVisible(bool visible);
  virtual bool IsEnabled() const;
  virtual void SetEnabled(bool enabled);
  virtual bool IsMouseEnabled() const;
  virtual void SetMouseEnabled(bool enabled);
  virtual bool IsKeyboardEnabled() const;
  virtual void SetKeyboardEnabled(bool enabled);
  virtual bool IsFocused() const;
  virtual void SetFocus();
  virtual bool CanTabFocus() const;
  virtual bool IsMouseFocused() const;
  virtual void SetMouseFocused(bool focused);
  virtual bool IsActivatable() const;
  virtual void Activate();
  virtual void Deactivate();
  virtual Control* FindControl(FindControlProc proc, void* data, unsigned flags,
                               UiPoint scroll_offset = UiPoint{});
  virtual UiRect GetMargin() const;
  virtual void SetMargin(UiRect margin, bool dpi_scale = true);
  virtual UiSize EstimateText(UiSize available, bool* re_estimate);
  virtual bool ContainsPoint(UiPoint point) const;
  virtual void DispatchEvent(EventArgs& event);
  virtual bool HasHotState();
  virtual void SetAttribute(const std::u16string& name, const std::u16string& value);
  virtual void Paint(IRenderContext* render, const UiRect& paint_rect);
  virtual void PaintContent(IRenderContext* render, const UiRect& paint_rect);
  virtual void PaintChildren(IRenderContext* render, const UiRect& paint_rect);
  virtual void LoadImageCache();
  virtual void UnloadImageCache();
  virtual void ClearImageCache();
  virtual void HandleEvent(EventArgs& event);
  virtual bool MouseEnter(EventArgs& event);
  virtual bool MouseLeave(EventArgs& event);
  virtual bool ButtonDown(EventArgs& event);
  virtual bool ButtonUp(EventArgs& event);
  virtual void PaintBkColor(IRenderContext* render);
  virtual void PaintBkImage(IRenderContext* render);
  virtual void PaintStatusColor(IRenderContext* render);
  virtual void PaintStatusImage(IRenderContext* render);
  virtual void PaintText(IRenderContext* render);
  virtual void PaintBorder(IRenderContext* render);

  // Events.
  void AttachEvent(int type, const EventCallback& callback);
  void AttachXmlEvent(int type, const EventCallback& callback);
  void AttachAllEvents(const EventCallback& callback) { AttachEvent(kEventAll, callback); }
  void AttachClick(const EventCallback& callback) { AttachEvent(kEventClick, callback); }
  void AttachResize(const EventCallback& callback) { AttachEvent(kEventResize, callback); }
  // Builds a record with this control as sender and dispatches it. A point
  // of (0, 0) means none: the window's last mouse point is taken instead.
  void FireEvent(int type, platform::WPARAM wparam = 0, platform::LPARAM lparam = 0,
                 char16_t key = 0, UiPoint mouse = UiPoint{}, float pressure = 0.0f);
  // The action of a layout "Event" element: applies the list to the control
  // named (below this one for "./name" or ".\name", else in the window).
  bool OnApplyAttributeList(const std::u16string& receiver, const std::u16string& list,
                            EventArgs* event);

  // Attributes.
  void SetClass(const std::u16string& classes);
  void ApplyAttributeList(const std::u16string& list);

  // State, look and animation setters.
  ControlState GetState() const { return state_; }
  void SetState(ControlState state) { state_ = state; }
  void SetStateColor(ControlState state, const std::u16string& color);
  std::u16string GetStateColor(ControlState state) const { return color_map_.GetColor(state); }
  void SetChannel(const std::u16string& channels);
  const std::u16string& GetChannel() const { return channel_; }
  void SetBkImage(const std::u16string& attribute);
  const std::u16string& GetBkImage() const { return bk_image_.imageAttribute.simageString; }
  void SetStateImage(StateImageType type, ControlState state, const std::u16string& attribute);
  void SetBorderRound(UiSize size);
  UiSize GetBorderRound() const { return border_round_; }
  int GetAlpha() const { return alpha_; }
  void SetAlpha(int alpha);
  int GetHotAlpha() const { return hot_alpha_; }
  void SetHotAlpha(int alpha);
  UiPoint GetRenderOffset() const { return render_offset_; }
  void SetRenderOffsetX(int x);
  void SetRenderOffsetY(int y);
  const std::u16string& GetBkColor() const { return bk_color_; }
  void SetBkColor(const std::u16string& color);
  const std::u16string& GetBorderColor() const { return border_color_; }
  void SetBorderColor(const std::u16string& color);
  int GetBorderSize() const { return border_size_; }
  UiRect GetBorderSizes() const { return border_sizes_; }
  void SetCursorType(CursorType type) { cursor_type_ = type; }
  bool IsNoFocus() const { return no_focus_; }
  void SetNoFocus() { no_focus_ = true; }
  bool IsReceivePointer() const { return receive_pointer_; }
  void SetReceivePointer(bool receive) { receive_pointer_ = receive; }
  bool IsReleaseOnFocusLoss() const { return release_on_focus_loss_; }
  void SetReleaseOnFocusLoss(bool release) { release_on_focus_loss_ = release; }
  bool IsBkImageAdaptLanguage() const { return bk_image_adapt_language_; }
  bool IsBkImageAnimationOn() const { return bk_image_animation_; }
  UiSize GetEstimatedSize() const { return estimated_size_; }
  const UiRect& GetPaintRect() const { return paint_rect_; }

  AnimationManager& GetAnimationManager() { return animation_manager_; }
  StateImageMap& GetStateImageMap() { return image_map_; }
  StateColorMap& GetColorMap() { return color_map_; }
  Image& GetBkImageRecord() { return bk_image_; }

  // Images: resolve and load one (relative paths under the resource path
  // and the window's folder), and draw one relative to this control.
  void LoadImage(Image& image);
  bool DrawImage(IRenderContext* render, Image& image, const std::u16string& modify = u"",
                 int fade = -1);
  // The path an image file resolves to, before the language variant.
  std::u16string ResolveImagePath(const std::u16string& file) const;

  // Background frame playback of a multi-frame background image.
  void PlayBkImageFrames();
  void StopBkImageFrames(int frame);
  void EndBkImagePlayback();

  // The off-screen layer a translucent or cached control paints into; made
  // by the global render factory on first use, null when it has none.
  IRenderContext* GetLayerRenderContext();

  // True while |ancestor| is this control or one of its ancestors.
  bool IsDescendantOf(const Control* ancestor) const;

 protected:
  // The re-layout or repaint after a background state image changed.
  void ArrangeOrInvalidateForImage();
  void StopBkImageIfHidden();
  bool IsRounded() const;
  void PaintDirect(IRenderContext* render, const UiRect& paint_rect);
  void PaintThroughLayer(IRenderContext* render, const UiRect& paint_rect, bool keep_layer);
  bool RunHandlerMaps(const EventMap& map, EventArgs& event,
                      const std::weak_ptr<kbase::WeakFlag>& alive, bool* gone);

  EventMap xml_events_;
  EventMap attached_events_;
  std::unique_ptr<UserDataBase> user_data_;
  bool context_menu_used_ = false;
  bool enabled_ = true;
  bool mouse_enabled_ = true;
  bool keyboard_enabled_ = true;
  bool focused_ = false;
  bool mouse_focused_ = false;
  bool in_resize_notification_ = false;
  bool no_focus_ = false;
  bool bk_image_animation_ = true;
  bool receive_pointer_ = true;
  bool release_on_focus_loss_ = false;
  bool bk_image_adapt_language_ = false;
  int border_size_ = 0;
  int tooltip_width_ = 300;
  int alpha_ = 255;
  int hot_alpha_ = 0;
  UiSize estimated_size_;
  UiPoint render_offset_;
  UiSize border_round_;
  UiRect margin_;
  UiRect paint_rect_;
  UiRect border_sizes_;
  CursorType cursor_type_ = kCursorArrow;
  ControlState state_ = kControlStateNormal;
  std::u16string tooltip_text_;
  std::u16string tooltip_text_id_;
  std::u16string data_id_;
  std::u16string bk_color_;
  StateColorMap color_map_;
  Image bk_image_;
  StateImageMap image_map_;
  std::u16string border_color_;
  kbase::WeakCallbackFlag animation_flag_;
  AnimationManager animation_manager_;
  std::u16string channel_ = u"AppStore";
};

}  // namespace ui

#endif  // UI_CONTROL_H_
