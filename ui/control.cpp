#include "ui/control.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/window/window_api.h"
#include "ui/attribute_value.h"
#include "ui/auto_clip.h"
#include "ui/box.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/render/i_render_context.h"
#include "ui/wide_text.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace ui {
namespace {

// The classes being applied to each control right now, innermost last: a
// class that names itself, directly or through others, is skipped instead
// of applied again. The UI thread is the only user; thread_local keeps test
// threads apart.
thread_local std::vector<std::pair<const Control*, std::u16string>> g_class_chain;

bool IsClassOnChain(const Control* control, const std::u16string& name) {
  return std::any_of(g_class_chain.begin(), g_class_chain.end(),
                     [&](const auto& entry) { return entry.first == control && entry.second == name; });
}

std::u16string SkipLeadingControlChars(const std::u16string& value) {
  size_t pos = 0;
  while (pos < value.size() && value[pos] >= 1 && value[pos] <= 32) ++pos;
  return value.substr(pos);
}

UiRect ScaledRect(UiRect rect) {
  DpiManager::GetInstance()->ScaleRect(&rect);
  return rect;
}

int Scaled(int value) { return DpiManager::GetInstance()->ScaleInt(value); }

Control* FindByName(Control* control, void* data) {
  const auto* name = static_cast<const std::u16string*>(data);
  return control->GetName() == *name ? control : nullptr;
}

}  // namespace

Control::Control()
    : color_map_(this), image_map_(this), animation_manager_(this) {}

Control::~Control() {
  if (window_ != nullptr) window_->ForgetControl(this);
}

UiSize Control::EstimateSize(UiSize available) {
  if (fixed_width_ != kSizeAuto && fixed_height_ != kSizeAuto) {
    return UiSize{fixed_width_, fixed_height_};
  }
  if (!re_estimate_size_) return estimated_size_;
  Image* image = GetEstimateImage();
  if (image != nullptr && ImageAttribute::IsRectSet(image->imageAttribute.rcSource)) {
    const UiRect& source = image->imageAttribute.rcSource;
    const int sizes[2] = {source.right - source.left, source.bottom - source.top};
    for (int i = 0; i < 2; ++i) {
      int value = sizes[i];
      if (value < 0 && value != kSizeStretch && value != kSizeAuto) continue;
      if (value > 0) value = Scaled(value);
      int& fixed = i == 0 ? fixed_width_ : fixed_height_;
      if (value != fixed) {
        fixed = value;
        ArrangeFromAncestor();
      }
    }
    return UiSize{fixed_width_, fixed_height_};
  }
  UiSize image_size;
  if (image != nullptr) {
    LoadImage(*image);
    if (image->imageCache) {
      image_size.cx = Scaled(image->imageCache->nX);
      image_size.cy = Scaled(image->imageCache->nY);
    }
  }
  re_estimate_size_ = false;
  const UiSize text = EstimateText(available, &re_estimate_size_);
  UiSize result{fixed_width_, fixed_height_};
  if (fixed_width_ == kSizeAuto) result.cx = std::max(image_size.cx, text.cx);
  if (fixed_height_ == kSizeAuto) result.cy = std::max(image_size.cy, text.cy);
  estimated_size_ = result;
  return result;
}

UiRect Control::GetPos(bool include_shadow) const {
  UiRect pos = rect_;
  if (!include_shadow && window_ != nullptr && window_->IsShadowAttached()) {
    const UiRect corner = window_->GetShadowCorner();
    pos.left -= corner.left;
    pos.right -= corner.left;
    pos.top -= corner.top;
    pos.bottom -= corner.top;
  }
  return pos;
}

void Control::SetPos(UiRect rect) {
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  if (rect == rect_) {
    need_arrange_ = false;
    return;
  }
  const UiRect old = rect_.IsEmpty() ? rect : rect_;
  rect_ = rect;
  if (window_ == nullptr) return;
  if (!in_resize_notification_) {
    // The handler may delete this control; the flag tells.
    std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
    in_resize_notification_ = true;
    EventArgs event;
    event.Type = kEventResize;
    event.pSender = this;
    event.ptMouse = window_->GetLastMousePos();
    event.dwTimestamp = platform::GetTickCount();
    DispatchEvent(event);
    if (alive.expired()) return;
    in_resize_notification_ = false;
  }
  need_arrange_ = false;
  UiRect area = platform::Union(old, rect_);
  const UiSize offset = GetAncestorScrollOffset();
  area.left -= offset.cx;
  area.right -= offset.cx;
  area.top -= offset.cy;
  area.bottom -= offset.cy;
  for (Box* ancestor = parent_; ancestor != nullptr; ancestor = ancestor->GetParent()) {
    area = IntersectRect(area, ancestor->GetPos(true));
    if (area.IsEmpty()) return;
  }
  if (window_ != nullptr) window_->InvalidateArea(area);
}

Image* Control::GetEstimateImage() {
  if (!bk_image_.imageAttribute.sImageName.empty()) return &bk_image_;
  return image_map_.GetEstimateImage(kStateImageBk);
}

CursorType Control::GetCursorType() const { return cursor_type_; }

std::u16string Control::GetToolTipText() const {
  if (tooltip_text_.empty() && !tooltip_text_id_.empty()) {
    return LanguageTable::GetInstance().GetText(tooltip_text_id_);
  }
  return tooltip_text_;
}

std::string Control::GetUtf8ToolTipText() const { return Utf16ToUtf8(GetToolTipText()); }

void Control::SetToolTipText(const std::u16string& text) {
  std::u16string stored = text;
  ReplaceAllWide(u"<n>", u"\r\n", &stored);
  tooltip_text_ = stored;
  Invalidate();
}

void Control::SetUtf8ToolTipText(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.empty()) {
    tooltip_text_.clear();
    Invalidate();
    return;
  }
  if (wide == tooltip_text_) return;
  SetToolTipText(wide);
}

void Control::SetToolTipTextId(const std::u16string& id) {
  if (id == tooltip_text_id_) return;
  tooltip_text_id_ = id;
  Invalidate();
}

void Control::SetUtf8ToolTipTextId(const std::string& id) { SetToolTipTextId(Utf8ToUtf16(id)); }

void Control::SetToolTipWidth(int width) { tooltip_width_ = Scaled(width); }

int Control::GetToolTipWidth() const { return tooltip_width_; }

bool Control::IsContextMenuUsed() const { return context_menu_used_; }

void Control::SetContextMenuUsed(bool used) { context_menu_used_ = used; }

std::u16string Control::GetDataId() const { return data_id_; }

std::string Control::GetUtf8DataId() const { return Utf16ToUtf8(data_id_); }

void Control::SetDataId(const std::u16string& id) { data_id_ = id; }

void Control::SetUtf8DataId(const std::string& id) { data_id_ = Utf8ToUtf16(id); }

UserDataBase* Control::GetUserData() { return user_data_.get(); }

void Control::SetUserData(UserDataBase* data) { user_data_.reset(data); }

void Control::SetFadeVisible(bool visible) {
  if (visible) {
    animation_manager_.Appear();
  } else {
    animation_manager_.Disappear();
  }
}

void Control::StopBkImageIfHidden() {
  if (!IsVisible() && bk_image_.imageCache && bk_image_.imageCache->IsAnimation()) {
    bk_image_.bPlaying = false;
    animation_flag_.Cancel();
    Invalidate();
  }
}

void Control::SetInternalVisible(bool visible) {
  internal_visible_ = visible;
  if (!visible && window_ != nullptr && window_->GetFocus() == this) window_->SetFocus(nullptr);
  StopBkImageIfHidden();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  const bool was_visible = IsVisible();
  visible_ = visible;
  focused_ = false;
  if (!visible && window_ != nullptr && window_->GetFocus() == this) window_->SetFocus(nullptr);
  if (IsVisible() != was_visible) ArrangeFromAncestor();
  StopBkImageIfHidden();
}

bool Control::IsEnabled() const { return enabled_; }

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) {
    hot_alpha_ = 0;
    state_ = kControlStateNormal;
  } else {
    state_ = kControlStateDisabled;
  }
  Invalidate();
}

bool Control::IsMouseEnabled() const { return mouse_enabled_; }
void Control::SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
bool Control::IsKeyboardEnabled() const { return keyboard_enabled_; }
void Control::SetKeyboardEnabled(bool enabled) { keyboard_enabled_ = enabled; }
bool Control::IsFocused() const { return focused_; }

void Control::SetFocus() {
  if (no_focus_) return;
  if (window_ != nullptr) window_->SetFocus(this);
}

bool Control::CanTabFocus() const { return true; }
bool Control::IsMouseFocused() const { return mouse_focused_; }
void Control::SetMouseFocused(bool focused) { mouse_focused_ = focused; }
bool Control::IsActivatable() const { return IsVisible() && IsEnabled(); }
void Control::Activate() {}
void Control::Deactivate() {}

Control* Control::FindControl(FindControlProc proc, void* data, unsigned flags,
                              UiPoint /*scroll_offset*/) {
  if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
  if ((flags & kFindHitTest) != 0 &&
      (!mouse_enabled_ || !rect_.Contains(*static_cast<UiPoint*>(data)))) {
    return nullptr;
  }
  return proc(this, data);
}

UiRect Control::GetMargin() const { return margin_; }

void Control::SetMargin(UiRect margin, bool dpi_scale) {
  if (dpi_scale) DpiManager::GetInstance()->ScaleRect(&margin);
  if (margin == margin_) return;
  margin_ = margin;
  ArrangeFromAncestor();
}

UiSize Control::EstimateText(UiSize /*available*/, bool* /*re_estimate*/) { return UiSize{}; }

bool Control::ContainsPoint(UiPoint point) const {
  const UiSize offset = GetAncestorScrollOffset();
  point.x += offset.cx;
  point.y += offset.cy;
  return rect_.Contains(point);
}

bool Control::RunHandlerMaps(const EventMap& map, EventArgs& event,
                             const std::weak_ptr<kbase::WeakFlag>& alive, bool* gone) {
  bool result = true;
  auto exact = map.find(event.Type);
  if (exact != map.end()) {
    result = RunEventCallbacks(exact->second, &event);
    if (alive.expired()) {
      *gone = true;
      return false;
    }
  }
  // The map may have changed while the handlers ran: look again.
  auto all = map.find(kEventAll);
  if (all != map.end()) {
    result = RunEventCallbacks(all->second, &event);
    if (alive.expired()) {
      *gone = true;
      return false;
    }
  }
  return result;
}

void Control::DispatchEvent(EventArgs& event) {
  if (IsInternalEvent(event.Type) || event.pSender != this) {
    HandleEvent(event);
    return;
  }
  std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  bool gone = false;
  bool result = RunHandlerMaps(attached_events_, event, alive, &gone);
  if (gone || !result) return;
  result = RunHandlerMaps(xml_events_, event, alive, &gone);
  if (gone || !result) return;
  HandleEvent(event);
}

bool Control::HasHotState() { return color_map_.HasHotColor() || image_map_.HasHotImage(); }

void Control::SetClass(const std::u16string& classes) {
  for (const std::u16string& name : SplitString(classes, u" ")) {
    if (IsClassOnChain(this, name)) continue;  // a class that includes itself
    std::u16string list = GlobalManager::GetClassAttributes(name);
    if (list.empty() && window_ != nullptr) list = window_->GetClassAttributes(name);
    if (list.empty()) continue;
    g_class_chain.emplace_back(this, name);
    ApplyAttributeList(list);
    g_class_chain.pop_back();
  }
}

void Control::ApplyAttributeList(const std::u16string& list) {
  size_t pos = 0;
  while (pos < list.size()) {
    const size_t equals = list.find(u'=', pos);
    if (equals == std::u16string::npos) return;
    std::u16string name = list.substr(pos, equals - pos);
    const size_t quote_pos = equals + 1;
    if (quote_pos >= list.size()) return;
    const char16_t quote = list[quote_pos];
    if (quote != u'"' && quote != u'\'') return;
    const size_t close = list.find(quote, quote_pos + 1);
    if (close == std::u16string::npos) return;
    std::u16string value = list.substr(quote_pos + 1, close - quote_pos - 1);
    SetAttribute(name, value);
    const size_t next = close + 1;
    if (next < list.size() && list[next] == u' ' && next + 1 < list.size()) {
      pos = next + 1;
    } else {
      return;
    }
  }
}

void Control::ArrangeOrInvalidateForImage() {
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto) {
    ArrangeFromAncestor();
  } else {
    Invalidate();
  }
}

void Control::SetStateImage(StateImageType type, ControlState state,
                            const std::u16string& attribute) {
  image_map_.SetImage(type, state, attribute);
}

void Control::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"class") {
    SetClass(value);
  } else if (name == u"halign") {
    if (value == u"left") hor_align_ = kHorAlignLeft;
    else if (value == u"center") hor_align_ = kHorAlignCenter;
    else if (value == u"right") hor_align_ = kHorAlignRight;
  } else if (name == u"valign") {
    if (value == u"top") ver_align_ = kVerAlignTop;
    else if (value == u"center") ver_align_ = kVerAlignCenter;
    else if (value == u"bottom") ver_align_ = kVerAlignBottom;
  } else if (name == u"margin") {
    SetMargin(ParseRectValue(value), true);
  } else if (name == u"bkcolor" || name == u"bkcolor1") {
    SetBkColor(SkipLeadingControlChars(value));
  } else if (name == u"bordersize") {
    if (value.find(u',') != std::u16string::npos) {
      border_sizes_ = ScaledRect(ParseRectValue(value));
      Invalidate();
    } else {
      const int size = Scaled(ParseIntValue(value));
      if (size != border_size_) {
        border_size_ = size;
        Invalidate();
      }
      border_sizes_ = UiRect{};
      Invalidate();
    }
  } else if (name == u"borderround") {
    SetBorderRound(ParseSizeValue(value));
  } else if (name == u"width" || name == u"height") {
    int size;
    if (value == u"stretch") size = kSizeStretch;
    else if (value == u"auto") size = kSizeAuto;
    else size = ParseIntValue(value);
    if (size < kSizeAuto) return;
    if (size > 0) size = Scaled(size);
    int& fixed = name == u"width" ? fixed_width_ : fixed_height_;
    if (size != fixed) {
      fixed = size;
      ArrangeFromAncestor();
    }
  } else if (name == u"maxwidth" || name == u"maxheight") {
    int size;
    if (value == u"stretch") size = kSizeStretch;
    else if (value == u"auto") size = kSizeAuto;
    else size = Scaled(ParseIntValue(value));
    int& bound = name == u"maxwidth" ? max_width_ : max_height_;
    if (size != bound) {
      bound = size;
      if (float_) Arrange(); else ArrangeFromAncestor();
    }
  } else if (name == u"state") {
    if (value == u"normal") {
      state_ = kControlStateNormal;
      hot_alpha_ = 0;
    } else if (value == u"hot") {
      state_ = kControlStateHot;
      hot_alpha_ = 255;
    } else if (value == u"pushed") {
      state_ = kControlStatePushed;
    } else if (value == u"disabled") {
      state_ = kControlStateDisabled;
    } else {
      return;
    }
    Invalidate();
  } else if (name == u"cursortype") {
    if (value == u"arrow") cursor_type_ = kCursorArrow;
    else if (value == u"hand") cursor_type_ = kCursorHand;
    else if (value == u"ibeam") cursor_type_ = kCursorHandIbeam;
  } else if (name == u"renderoffset") {
    const UiSize offset = ParseSizeValue(value);
    render_offset_ = UiPoint{Scaled(offset.cx), Scaled(offset.cy)};
    Invalidate();
  } else if (name == u"normalcolor") {
    SetStateColor(kControlStateNormal, value);
  } else if (name == u"hotcolor") {
    SetStateColor(kControlStateHot, value);
  } else if (name == u"pushedcolor") {
    SetStateColor(kControlStatePushed, value);
  } else if (name == u"disabledcolor") {
    SetStateColor(kControlStateDisabled, value);
  } else if (name == u"bordercolor") {
    SetBorderColor(value);
  } else if (name == u"leftbordersize") {
    border_sizes_.left = Scaled(ParseIntValue(value));
    Invalidate();
  } else if (name == u"topbordersize") {
    border_sizes_.top = Scaled(ParseIntValue(value));
    Invalidate();
  } else if (name == u"rightbordersize") {
    border_sizes_.right = Scaled(ParseIntValue(value));
    Invalidate();
  } else if (name == u"bottombordersize") {
    border_sizes_.bottom = Scaled(ParseIntValue(value));
    Invalidate();
  } else if (name == u"bkimage") {
    SetBkImage(value);
  } else if (name == u"bkimageadaptlanguage") {
    bk_image_adapt_language_ = ParseBoolValue(value);
  } else if (name == u"minwidth" || name == u"minheight") {
    const int size = Scaled(ParseIntValue(value));
    if (size < 0) return;
    int& bound = name == u"minwidth" ? min_width_ : min_height_;
    if (size != bound) {
      bound = size;
      if (float_) Arrange(); else ArrangeFromAncestor();
    }
  } else if (name == u"name") {
    SetName(value);
  } else if (name == u"tooltiptext") {
    SetToolTipText(value);
  } else if (name == u"tooltiptextid") {
    SetToolTipTextId(value);
  } else if (name == u"dataid") {
    SetDataId(value);
  } else if (name == u"enabled") {
    SetEnabled(ParseBoolValue(value));
  } else if (name == u"mouse") {
    SetMouseEnabled(ParseBoolValue(value));
  } else if (name == u"keyboard") {
    SetKeyboardEnabled(ParseBoolValue(value));
  } else if (name == u"visible") {
    SetVisible(ParseBoolValue(value));
  } else if (name == u"fadevisible") {
    SetFadeVisible(ParseBoolValue(value));
  } else if (name == u"float") {
    const bool is_float = ParseBoolValue(value);
    if (is_float != float_) {
      float_ = is_float;
      ArrangeFromAncestor();
    }
  } else if (name == u"menu") {
    SetContextMenuUsed(ParseBoolValue(value));
  } else if (name == u"cache") {
    cache_ = ParseBoolValue(value);
  } else if (name == u"nofocus") {
    no_focus_ = true;
  } else if (name == u"alpha") {
    // Clamped: the alpha is a blend factor, and a value outside 0..255 would
    // wrap when it is handed to the blend.
    SetAlpha(std::clamp(ParseIntValue(value), 0, 255));
  } else if (name == u"normalimage") {
    SetStateImage(kStateImageBk, kControlStateNormal, value);
    ArrangeOrInvalidateForImage();
  } else if (name == u"hotimage") {
    animation_manager_.SetFadeHot(true);
    SetStateImage(kStateImageBk, kControlStateHot, value);
    ArrangeOrInvalidateForImage();
  } else if (name == u"pushedimage") {
    SetStateImage(kStateImageBk, kControlStatePushed, value);
    ArrangeOrInvalidateForImage();
  } else if (name == u"disabledimage") {
    SetStateImage(kStateImageBk, kControlStateDisabled, value);
    ArrangeOrInvalidateForImage();
  } else if (name == u"forenormalimage") {
    SetStateImage(kStateImageFore, kControlStateNormal, value);
    Invalidate();
  } else if (name == u"forehotimage") {
    animation_manager_.SetFadeHot(true);
    SetStateImage(kStateImageFore, kControlStateHot, value);
    Invalidate();
  } else if (name == u"forepushedimage") {
    SetStateImage(kStateImageFore, kControlStatePushed, value);
    Invalidate();
  } else if (name == u"foredisabledimage") {
    SetStateImage(kStateImageFore, kControlStateDisabled, value);
    Invalidate();
  } else if (name == u"fadealpha") {
    animation_manager_.SetFadeAlpha(ParseBoolValue(value));
  } else if (name == u"fadehot") {
    animation_manager_.SetFadeHot(ParseBoolValue(value));
  } else if (name == u"fadewidth") {
    animation_manager_.SetFadeWidth(ParseBoolValue(value));
  } else if (name == u"fadeheight") {
    animation_manager_.SetFadeHeight(ParseBoolValue(value));
  } else if (name == u"fadeinoutxfromleft") {
    animation_manager_.SetFadeInOutX(ParseBoolValue(value), false);
  } else if (name == u"fadeinoutxfromright") {
    animation_manager_.SetFadeInOutX(ParseBoolValue(value), true);
  } else if (name == u"fadeinoutyfromtop") {
    animation_manager_.SetFadeInOutY(ParseBoolValue(value), false);
  } else if (name == u"fadeinoutyfrombottom") {
    animation_manager_.SetFadeInOutY(ParseBoolValue(value), true);
  } else if (name == u"receivepointer") {
    receive_pointer_ = ParseBoolValue(value);
  } else if (name == u"channel") {
    SetChannel(value);
  }
}

namespace {

// The lines of a border drawn side by side: each side of width s above 0 is
// the position collapsed onto a line s / 2 inside that edge; a one-pixel line
// stops one pixel short so the corners are not drawn twice.
std::vector<std::pair<int, UiRect>> BorderLines(const UiRect& pos, const UiRect& sizes) {
  std::vector<std::pair<int, UiRect>> lines;
  if (int s = sizes.left; s > 0) {
    UiRect line{pos.left + s / 2, pos.top, pos.left + s / 2, pos.bottom - (s == 1 ? 1 : 0)};
    lines.emplace_back(s, line);
  }
  if (int s = sizes.top; s > 0) {
    UiRect line{pos.left, pos.top + s / 2, pos.right - (s == 1 ? 1 : 0), pos.top + s / 2};
    lines.emplace_back(s, line);
  }
  if (int s = sizes.right; s > 0) {
    const int x = pos.right - (s + 1) / 2;
    lines.emplace_back(s, UiRect{x, pos.top, x, pos.bottom - (s == 1 ? 1 : 0)});
  }
  if (int s = sizes.bottom; s > 0) {
    const int y = pos.bottom - (s + 1) / 2;
    lines.emplace_back(s, UiRect{pos.left, y, pos.right - (s == 1 ? 1 : 0), y});
  }
  return lines;
}

}  // namespace

void Control::Paint(IRenderContext* render, const UiRect& paint_rect) {
  if (render == nullptr || alpha_ == 0 || !RectsMeet(paint_rect, rect_)) return;
  if (alpha_ < 255) {
    PaintThroughLayer(render, paint_rect, /*keep_layer=*/false);
  } else if (cache_) {
    PaintThroughLayer(render, paint_rect, /*keep_layer=*/true);
  } else {
    PaintDirect(render, paint_rect);
  }
}

bool Control::IsRounded() const { return border_round_.cx > 0 || border_round_.cy > 0; }

void Control::PaintDirect(IRenderContext* render, const UiRect& paint_rect) {
  AutoClip clip(render, rect_);
  AutoClip round_clip(render, rect_, border_round_.cx, border_round_.cy, IsRounded());
  const UiPoint old_origin = render->OffsetWindowOrg(render_offset_);
  PaintContent(render, paint_rect);
  PaintChildren(render, paint_rect);
  render->SetWindowOrg(old_origin);
}

IRenderContext* Control::GetLayerRenderContext() {
  if (GetLayer() == nullptr) {
    IRenderFactory* factory = GlobalManager::GetRenderFactory();
    if (factory == nullptr) return nullptr;
    SetLayer(factory->CreateRenderContext());
    SetLayerDirty(true);
  }
  return GetLayer();
}

// A translucent control draws itself and its children into a layer of its
// own size and blends that at its alpha, so the children fade with it. A
// cached control keeps its layer between paints and redraws it only when it
// was invalidated or resized; its children paint on top every time.
void Control::PaintThroughLayer(IRenderContext* render, const UiRect& paint_rect,
                                bool keep_layer) {
  if (!keep_layer) SetLayer(nullptr);  // each translucent paint starts afresh
  IRenderContext* layer = GetLayerRenderContext();
  if (layer == nullptr) return;
  const int width = rect_.Width();
  const int height = rect_.Height();
  if (layer->Resize(width, height, true)) SetLayerDirty(true);
  if (IsLayerDirty()) {
    layer->Clear();
    const UiRect layer_rect{0, 0, width, height};
    AutoClip clip(layer, layer_rect);
    AutoClip round_clip(layer, layer_rect, border_round_.cx, border_round_.cy, IsRounded());
    IRenderContext* window_render = window_ != nullptr ? window_->GetRenderContext() : nullptr;
    const bool old_transparent =
        window_render != nullptr && window_render->SetRenderTransparent(true);
    const UiPoint old_origin = layer->OffsetWindowOrg(
        UiPoint{render_offset_.x + rect_.left, render_offset_.y + rect_.top});
    PaintContent(layer, rect_);
    if (!keep_layer) PaintChildren(layer, IntersectRect(paint_rect, rect_));
    layer->SetWindowOrg(old_origin);
    if (window_render != nullptr) window_render->SetRenderTransparent(old_transparent);
    SetLayerDirty(false);
  }
  const UiRect area = IntersectRect(paint_rect, rect_);
  if (!area.IsEmpty()) {
    render->AlphaBlend(area.left, area.top, area.Width(), area.Height(), layer->GetDC(),
                       area.left - rect_.left, area.top - rect_.top, area.Width(), area.Height(),
                       static_cast<uint8_t>(keep_layer ? 255 : alpha_));
  }
  if (keep_layer) {
    PaintChildren(render, paint_rect);
  } else {
    SetLayer(nullptr);
  }
}

void Control::PaintContent(IRenderContext* render, const UiRect& paint_rect) {
  paint_rect_ = IntersectRect(paint_rect, rect_);
  if (paint_rect_.IsEmpty()) return;
  PaintBkColor(render);
  PaintBkImage(render);
  PaintStatusColor(render);
  PaintStatusImage(render);
  PaintText(render);
  PaintBorder(render);
}

void Control::PaintChildren(IRenderContext* /*render*/, const UiRect& /*paint_rect*/) {}

void Control::LoadImageCache() {
  if (bk_image_.imageAttribute.sImageName.empty()) return;
  const std::u16string path = ResolveImagePath(bk_image_.imageAttribute.sImageName);
  if (bk_image_.imageCache && bk_image_.imageCache->sImageFullPath == path) return;
  std::shared_ptr<ImageInfo> cached = GlobalManager::GetCachedImage(path);
  if (cached) bk_image_.imageCache = std::move(cached);
}

void Control::UnloadImageCache() { bk_image_.ClearCache(); }

void Control::ClearImageCache() {
  image_map_.ClearCache();
  bk_image_.ClearCache();
}

void Control::HandleEvent(EventArgs& event) {
  if (!mouse_enabled_ && IsMouseEvent(event.Type)) {
    if (parent_ != nullptr) parent_->DispatchEvent(event);
    return;
  }
  switch (event.Type) {
    case kEventSetCursor:
      if (cursor_type_ == kCursorHand) {
        platform::SetCursor(enabled_ ? platform::CursorKind::kHand : platform::CursorKind::kArrow);
        return;
      }
      if (cursor_type_ == kCursorArrow) {
        platform::SetCursor(platform::CursorKind::kArrow);
        return;
      }
      if (cursor_type_ == kCursorHandIbeam) {
        platform::SetCursor(platform::CursorKind::kIBeam);
        return;
      }
      break;
    case kEventInternalSetFocus:
      if (enabled_) {
        hot_alpha_ = 255;
        state_ = kControlStateHot;
        Invalidate();
        focused_ = true;
        Invalidate();
      }
      return;
    case kEventInternalKillFocus:
      if (enabled_) {
        hot_alpha_ = 0;
        state_ = kControlStateNormal;
        Invalidate();
        focused_ = false;
        Invalidate();
      }
      return;
    case kEventInternalMenu:
      if (enabled_ && IsContextMenuUsed()) {
        EventArgs menu;
        menu.Type = kEventMouseMenu;
        menu.pSender = this;
        menu.ptMouse = window_ != nullptr ? window_->GetLastMousePos() : UiPoint{};
        menu.wParam = event.wParam;
        menu.lParam = event.lParam;
        menu.dwTimestamp = platform::GetTickCount();
        DispatchEvent(menu);
        return;
      }
      break;
    case kEventMouseEnter:
      if (event.pSender != this && window_ != nullptr) {
        Control* under = window_->FindControlAtPoint(window_->GetLastMousePos());
        if (under == nullptr || !under->IsDescendantOf(this)) return;
      }
      {
        std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
        MouseEnter(event);
        if (alive.expired()) return;
      }
      break;
    case kEventMouseLeave:
      if (event.pSender != this && window_ != nullptr) {
        Control* under = window_->FindControlAtPoint(window_->GetLastMousePos());
        if (under != nullptr && under->IsDescendantOf(this)) return;
      }
      {
        std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
        MouseLeave(event);
        if (alive.expired()) return;
      }
      break;
    case kEventMouseButtonDown:
      ButtonDown(event);
      return;
    case kEventMouseButtonUp:
      ButtonUp(event);
      return;
    case kEventPointDown:
      if (receive_pointer_) {
        ButtonDown(event);
        return;
      }
      break;
    case kEventPointUp:
      if (receive_pointer_) {
        ButtonUp(event);
        return;
      }
      break;
    default:
      break;
  }
  if (parent_ != nullptr) parent_->DispatchEvent(event);
}

bool Control::MouseEnter(EventArgs& /*event*/) {
  if (!enabled_ || state_ != kControlStateNormal) return false;
  state_ = kControlStateHot;
  if (HasHotState()) {
    if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot)) {
      hot->PlayForward();
    }
  }
  Invalidate();
  return true;
}

bool Control::MouseLeave(EventArgs& /*event*/) {
  if (!enabled_ || state_ != kControlStateHot) return false;
  state_ = kControlStateNormal;
  if (HasHotState()) {
    if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot)) {
      hot->PlayBackward();
    }
  }
  Invalidate();
  return true;
}

bool Control::ButtonDown(EventArgs& /*event*/) {
  if (!enabled_) return false;
  state_ = kControlStatePushed;
  mouse_focused_ = true;
  Invalidate();
  return true;
}

bool Control::ButtonUp(EventArgs& event) {
  if (!mouse_focused_) return false;
  mouse_focused_ = false;
  if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot)) hot->Pause();
  Invalidate();
  if (ContainsPoint(event.ptMouse)) {
    if (event.Type == kEventPointUp) {
      state_ = kControlStateNormal;
      hot_alpha_ = 0;
    } else {
      state_ = kControlStateHot;
      hot_alpha_ = 255;
    }
    Activate();
    return true;
  }
  state_ = kControlStateNormal;
  hot_alpha_ = 0;
  return false;
}

void Control::PaintBkColor(IRenderContext* render) {
  if (bk_color_.empty()) return;
  const ARGB color = GlobalManager::GetTextColor(bk_color_);
  if (color == 0) return;
  // An opaque colour may be limited to the repainted part; a translucent one
  // is laid over the whole control so that it does not add up where parts of
  // it are repainted separately.
  const bool opaque = (color >> 24) == 0xFF;
  render->DrawColor(opaque ? paint_rect_ : rect_, color, 255);
}

void Control::PaintBkImage(IRenderContext* render) { DrawImage(render, bk_image_); }

void Control::PaintStatusColor(IRenderContext* render) {
  color_map_.PaintStatusColor(render, rect_, state_);
}

void Control::PaintStatusImage(IRenderContext* render) {
  image_map_.PaintStatusImage(render, kStateImageBk, state_);
  image_map_.PaintStatusImage(render, kStateImageFore, state_);
}

void Control::PaintText(IRenderContext* /*render*/) {}

void Control::PaintBorder(IRenderContext* render) {
  if (border_color_.empty()) return;
  const ARGB color = GlobalManager::GetTextColor(border_color_);
  if (color == 0) return;
  const UiRect sides = border_sizes_;
  if (sides.left > 0 || sides.top > 0 || sides.right > 0 || sides.bottom > 0) {
    const std::vector<std::pair<int, UiRect>> lines = BorderLines(rect_, sides);
    for (const auto& [width, line] : lines) render->DrawLine(line, width, color);
    return;
  }
  if (border_size_ <= 0) return;
  const int s = border_size_;
  const int extra = s % 2;
  const UiRect rect{rect_.left + s / 2, rect_.top + s / 2, rect_.right - s / 2 - extra,
                    rect_.bottom - s / 2 - extra};
  if (IsRounded()) {
    render->DrawRoundRect(rect, border_round_, s, color);
  } else {
    render->DrawRect(rect, s, color);
  }
}

void Control::AttachEvent(int type, const EventCallback& callback) {
  attached_events_[type].push_back(callback);
}

void Control::AttachXmlEvent(int type, const EventCallback& callback) {
  xml_events_[type].push_back(callback);
}

void Control::FireEvent(int type, platform::WPARAM wparam, platform::LPARAM lparam, char16_t key,
                        UiPoint mouse, float pressure) {
  EventArgs event;
  event.Type = type;
  event.pSender = this;
  event.dwTimestamp = platform::GetTickCount();
  event.ptMouse = mouse;
  if (mouse == UiPoint{} && window_ != nullptr) event.ptMouse = window_->GetLastMousePos();
  event.chKey = key;
  event.wParam = wparam;
  event.lParam = lparam;
  event.pressure = pressure;
  DispatchEvent(event);
}

bool Control::OnApplyAttributeList(const std::u16string& receiver, const std::u16string& list,
                                   EventArgs* /*event*/) {
  Control* target = nullptr;
  if (receiver.size() >= 2 && receiver[0] == u'.' && (receiver[1] == u'/' || receiver[1] == u'\\')) {
    // Only the controls below this one: the sender itself is not searched.
    std::u16string name = receiver.substr(2);
    if (Box* box = dynamic_cast<Box*>(this)) {
      for (Control* child : box->GetChildren()) {
        target = child->FindControl(FindByName, &name, 0);
        if (target != nullptr) break;
      }
    }
  } else if (window_ != nullptr) {
    target = window_->FindControlByName(receiver);
  }
  if (target != nullptr) target->ApplyAttributeList(list);
  return true;
}

void Control::SetStateColor(ControlState state, const std::u16string& color) {
  if (color_map_.GetColor(state) == color) return;
  if (state == kControlStateHot) animation_manager_.SetFadeHot(true);
  color_map_.SetColor(state, color);
  Invalidate();
}

void Control::SetChannel(const std::u16string& channels) {
  channel_ = channels;
  const std::vector<std::u16string> names = SplitString(channels, u" ");
  const std::u16string& current = GlobalManager::GetChannel();
  if (std::find(names.begin(), names.end(), current) == names.end()) SetFadeVisible(false);
  Invalidate();
}

void Control::SetBkImage(const std::u16string& attribute) {
  if (bk_image_.imageCache && bk_image_.imageCache->IsAnimation()) {
    bk_image_.bPlaying = false;
    animation_flag_.Cancel();
    Invalidate();
  }
  bk_image_.ClearCache();
  bk_image_.SetImageString(attribute);
  bk_image_animation_ = bk_image_.imageAttribute.nPlayCount != 0;
  ArrangeOrInvalidateForImage();
}

void Control::SetBorderRound(UiSize size) {
  border_round_ = UiSize{Scaled(size.cx), Scaled(size.cy)};
  Invalidate();
}

void Control::SetAlpha(int alpha) {
  alpha_ = alpha;
  Invalidate();
}

void Control::SetHotAlpha(int alpha) {
  hot_alpha_ = alpha;
  Invalidate();
}

void Control::SetRenderOffsetX(int x) {
  render_offset_.x = x;
  Invalidate();
}

void Control::SetRenderOffsetY(int y) {
  render_offset_.y = y;
  Invalidate();
}

void Control::SetBkColor(const std::u16string& color) {
  if (color == bk_color_) return;
  bk_color_ = color;
  Invalidate();
}

void Control::SetBorderColor(const std::u16string& color) {
  if (color == border_color_) return;
  border_color_ = color;
  Invalidate();
}

std::u16string Control::ResolveImagePath(const std::u16string& file) const {
  std::u16string path = file;
  // Absolute: a leading separator, or a drive as the skins may write it.
  const bool relative = !path.empty() && path[0] != u'/' && path[0] != u'\\' &&
                        !(path.size() >= 2 && path[1] == u':');
  if (relative) {
    std::u16string folder = window_ != nullptr ? window_->GetResourcePath() : std::u16string();
    path = GlobalManager::GetResourcePath() + folder + path;
  }
  return NormalizeFilePath(path);
}

void Control::LoadImage(Image& image) {
  if (image.imageCache) return;
  std::u16string path = ResolveImagePath(image.imageAttribute.sImageName);
  const std::u16string& language = GlobalManager::GetLanguage();
  if (bk_image_adapt_language_ && !language.empty()) {
    const size_t dot = path.rfind(u'.');
    if (dot != std::u16string::npos) {
      std::u16string candidate = path.substr(0, dot) + u"_" + language + path.substr(dot);
      std::shared_ptr<ImageInfo> localized = GlobalManager::GetImage(candidate);
      if (localized) {
        image.imageCache = std::move(localized);
        return;
      }
    }
  }
  image.imageCache = GlobalManager::GetImage(path);
}

bool Control::DrawImage(IRenderContext* render, Image& image, const std::u16string& modify,
                        int fade) {
  if (image.imageAttribute.sImageName.empty()) return false;
  LoadImage(image);
  if (!image.imageCache) {
    image.imageAttribute.Init();
    return false;
  }
  ImageAttribute attribute = image.imageAttribute;
  if (!modify.empty()) attribute.ApplyAttributeString(modify);
  UiRect dest = rect_;
  if (ImageAttribute::IsRectSet(attribute.rcDest)) {
    dest = attribute.rcDest;
    dest.left += rect_.left;
    dest.right += rect_.left;
    dest.top += rect_.top;
    dest.bottom += rect_.top;
  }
  UiRect source = attribute.rcSource;
  if (!ImageAttribute::IsRectSet(source)) {
    source = UiRect{0, 0, image.imageCache->nX, image.imageCache->nY};
  }
  if (&image == &bk_image_ && image.imageCache->IsAnimation() && bk_image_animation_ &&
      !image.bPlaying) {
    PlayBkImageFrames();
    return true;
  }
  if (render == nullptr) return true;
  const uint8_t alpha = fade == -1 ? attribute.bFade : static_cast<uint8_t>(std::clamp(fade, 0, 255));
  render->DrawImage(paint_rect_, image.GetCurrentHBitmap(), dest, source, attribute.rcCorner, alpha,
                    attribute.bTiledX, attribute.bTiledY);
  return true;
}

void Control::PlayBkImageFrames() {
  Image& image = bk_image_;
  auto stop = [this, &image] {
    image.bPlaying = false;
    animation_flag_.Cancel();
  };
  if (!image.imageCache || !image.imageCache->IsAnimation() ||
      (image.imageAttribute.nPlayCount > 0 &&
       image.nCycledCount >= image.imageAttribute.nPlayCount)) {
    stop();
    return;
  }
  if (!image.bPlaying) {
    image.nCurrentFrame = 0;
    animation_flag_.Cancel();
    const std::optional<int> interval = image.imageCache->GetFrameInterval(0);
    if (!interval) return;
    image.bPlaying = true;
    TimerManager::GetInstance()->AddTimer(animation_flag_.GetWeakFlag(),
                                          [this] { PlayBkImageFrames(); },
                                          static_cast<uint32_t>(*interval), -1);
    Invalidate();
    return;
  }
  const std::optional<int> current = image.imageCache->GetFrameInterval(image.nCurrentFrame);
  ++image.nCurrentFrame;
  if (image.nCurrentFrame >= image.imageCache->GetFrameCount()) {
    image.nCurrentFrame = 0;
    ++image.nCycledCount;
  }
  const std::optional<int> next = image.imageCache->GetFrameInterval(image.nCurrentFrame);
  if (image.imageAttribute.nPlayCount > 0 &&
      image.nCycledCount >= image.imageAttribute.nPlayCount) {
    EndBkImagePlayback();
    return;
  }
  if (!current || !next) {
    stop();
    return;
  }
  if (*current != *next) {
    animation_flag_.Cancel();
    TimerManager::GetInstance()->AddTimer(animation_flag_.GetWeakFlag(),
                                          [this] { PlayBkImageFrames(); },
                                          static_cast<uint32_t>(*next), -1);
  }
  Invalidate();
}

void Control::StopBkImageFrames(int frame) {
  Image& image = bk_image_;
  if (!image.imageCache || !image.imageCache->IsAnimation()) return;
  image.bPlaying = false;
  animation_flag_.Cancel();
  if (frame == 0xFFFF) {
    image.nCurrentFrame = image.imageCache->GetFrameCount() - 1;
  } else if (frame != -1) {
    image.nCurrentFrame = frame;
  }
  Invalidate();
}

void Control::EndBkImagePlayback() {
  bk_image_animation_ = false;
  StopBkImageFrames(0xFFFF);
}

bool Control::IsDescendantOf(const Control* ancestor) const {
  for (const Control* control = this; control != nullptr; control = control->GetParent()) {
    if (control == ancestor) return true;
  }
  return false;
}

}  // namespace ui
