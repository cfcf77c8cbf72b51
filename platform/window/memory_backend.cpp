#include "platform/window/memory_backend.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "platform/window/pixel_ops.h"

namespace platform {

namespace {

bool IsNonClientHit(LRESULT hit) { return hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT); }

}  // namespace

MemoryBackend::MemoryBackend() {
  event_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  MonitorInfo primary;
  primary.monitor = Rect{0, 0, 1920, 1080};
  primary.work = Rect{0, 0, 1920, 1040};
  primary.primary = true;
  monitors_.push_back(primary);
}

MemoryBackend::~MemoryBackend() {
  if (event_fd_ >= 0) close(event_fd_);
}

MemoryBackend::Window* MemoryBackend::Find(NativeWindow window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const MemoryBackend::Window* MemoryBackend::Find(NativeWindow window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

NativeWindow MemoryBackend::CreateNativeWindow(const NativeWindowParams& params) {
  const NativeWindow id = next_id_++;
  Window& w = windows_[id];
  w.params = params;
  w.rect = params.rect;
  w.restore_rect = params.rect;
  // Nobody can answer for the window yet: the defaults until it is asked.
  w.limits = AskSizeLimits(nullptr, id, monitors_);
  return id;
}

void MemoryBackend::DestroyNativeWindow(NativeWindow window) {
  if (windows_.erase(window) == 0) return;
  if (focus_ == window) focus_ = 0;
  if (capture_ == window) capture_ = 0;
  if (drag_ && drag_->window == window) drag_.reset();
  std::erase(stacking_, window);
  popups_.Disarm(window);
  tracker_.Forget(window);
  tooltips_.erase(window);
  std::lock_guard<std::mutex> lock(pending_lock_);
  std::erase_if(pending_, [window](const Event& e) { return e.window == window; });
}

bool MemoryBackend::IsNativeWindow(NativeWindow window) const { return Find(window) != nullptr; }

void MemoryBackend::ShowNativeWindow(NativeWindow window, ShowCommand command) {
  Window* w = Find(window);
  if (!w) return;
  const bool was_visible = w->visible;
  if (command == ShowCommand::kHide) {
    popups_.Disarm(window);
  } else {
    Raise(window);
    if (w->params.popup) popups_.Arm(window);
  }
  switch (command) {
    case ShowCommand::kHide:
      w->visible = false;
      if (focus_ == window) focus_ = 0;
      break;
    case ShowCommand::kShowNormal:
    case ShowCommand::kShow:
      w->visible = true;
      SetFocus(window);
      break;
    case ShowCommand::kShowNoActivate:
      w->visible = true;
      break;
    case ShowCommand::kMinimize:
      w->visible = true;
      w->minimized = true;
      if (focus_ == window) focus_ = 0;
      Queue(Event{EventKind::kMessage, window, WM_SIZE, SIZE_MINIMIZED, 0});
      break;
    case ShowCommand::kMaximize: {
      w->visible = true;
      w->minimized = false;
      if (!w->maximized) w->restore_rect = w->rect;
      w->maximized = true;
      const auto monitor = MonitorNearestPoint(
          monitors_, Point{(w->rect.left + w->rect.right) / 2, (w->rect.top + w->rect.bottom) / 2});
      if (monitor) ApplyRect(window, monitor->work, SIZE_MAXIMIZED);
      break;
    }
    case ShowCommand::kRestore:
      w->visible = true;
      if (w->minimized) {
        w->minimized = false;
        Queue(Event{EventKind::kMessage, window, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                    MakeLParam(w->rect.Width(), w->rect.Height())});
      } else if (w->maximized) {
        w->maximized = false;
        ApplyRect(window, w->restore_rect, SIZE_RESTORED);
      }
      SetFocus(window);
      break;
  }
  if (!was_visible && w->visible) InjectExpose(window, Rect{0, 0, w->rect.Width(), w->rect.Height()});
}

bool MemoryBackend::IsVisible(NativeWindow window) const {
  const Window* w = Find(window);
  return w && w->visible;
}

bool MemoryBackend::IsMinimized(NativeWindow window) const {
  const Window* w = Find(window);
  return w && w->minimized;
}

bool MemoryBackend::IsMaximized(NativeWindow window) const {
  const Window* w = Find(window);
  return w && w->maximized;
}

void MemoryBackend::ApplyRect(NativeWindow window, const Rect& rect, WPARAM size_kind) {
  Window* w = Find(window);
  if (!w) return;
  const Rect old = w->rect;
  w->rect = rect;
  if (old.left != rect.left || old.top != rect.top) {
    Queue(Event{EventKind::kMessage, window, WM_MOVE, 0, MakeLParam(rect.left, rect.top)});
  }
  if (old.Width() != rect.Width() || old.Height() != rect.Height()) {
    Queue(Event{EventKind::kMessage, window, WM_SIZE, size_kind, MakeLParam(rect.Width(), rect.Height())});
    InjectExpose(window, Rect{0, 0, rect.Width(), rect.Height()});
  }
}

void MemoryBackend::SetWindowRect(NativeWindow window, const Rect& rect) {
  Window* w = Find(window);
  if (!w) return;
  ApplyRect(window, rect, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
}

Rect MemoryBackend::GetWindowRect(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->rect : Rect{};
}

void MemoryBackend::SetTitle(NativeWindow window, const std::u16string& title) {
  if (Window* w = Find(window)) w->params.title = title;
}

void MemoryBackend::Present(NativeWindow window, const PresentBuffer& buffer) {
  Window* w = Find(window);
  if (!w || !buffer.pixels || buffer.width <= 0 || buffer.height <= 0) return;
  Picture picture;
  picture.width = buffer.width;
  picture.height = buffer.height;
  picture.constant_alpha = buffer.constant_alpha;
  picture.pixels.resize(static_cast<size_t>(buffer.width) * buffer.height);
  CopyWithConstantAlpha(buffer.pixels, buffer.stride_bytes, picture.pixels.data(), buffer.width * 4, buffer.width,
                        buffer.height, buffer.constant_alpha);
  w->picture = std::move(picture);
  ++w->present_count;
}

void MemoryBackend::SetRoundShape(NativeWindow window, Size ellipse) {
  if (Window* w = Find(window)) w->shape = ellipse;
}

void MemoryBackend::SetFocus(NativeWindow window) {
  if (focus_ == window) return;
  if (window != 0 && !Find(window)) return;
  const NativeWindow old = focus_;
  focus_ = window;
  if (old) Queue(Event{EventKind::kMessage, old, WM_KILLFOCUS, window, 0});
  if (window) Queue(Event{EventKind::kMessage, window, WM_SETFOCUS, old, 0});
}

void MemoryBackend::SetCapture(NativeWindow window) {
  if (!Find(window) || capture_ == window) return;
  const NativeWindow old = capture_;
  capture_ = window;
  if (old) Queue(Event{EventKind::kMessage, old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window)});
}

void MemoryBackend::ReleaseCapture() {
  const NativeWindow old = capture_;
  capture_ = 0;
  if (old) Queue(Event{EventKind::kMessage, old, WM_CAPTURECHANGED, 0, 0});
}

void MemoryBackend::SetCursor(NativeWindow window, CursorKind shape) {
  if (Window* w = Find(window)) w->cursor = shape;
}

void MemoryBackend::TrackMouse(NativeWindow window, uint32_t flags, int hover_ms) {
  tracker_.Arm(window, flags, hover_ms, now_ms_);
}

void MemoryBackend::BeginMoveResize(NativeWindow window, LRESULT hit_test, Point screen_point) {
  last_move_resize_ = MoveResize{window, hit_test, screen_point};
  if (!Find(window) || !IsNonClientHit(hit_test)) return;
  UpdateSizeLimits(window);
  // The answer may have destroyed the window.
  if (const Window* w = Find(window)) drag_ = Drag{window, hit_test, screen_point, w->rect};
}

void MemoryBackend::UpdateSizeLimits(NativeWindow window) {
  if (!Find(window)) return;
  const SizeLimits limits = AskSizeLimits(client_, window, monitors_);
  if (Window* w = Find(window)) w->limits = limits;
}

SizeLimits MemoryBackend::SizeLimitsOf(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->limits : SizeLimits{};
}

void MemoryBackend::Raise(NativeWindow window) {
  std::erase(stacking_, window);
  stacking_.push_back(window);
}

NativeWindow MemoryBackend::WindowAt(Point screen) const {
  for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
    const Window* w = Find(*it);
    if (w && w->visible && !w->minimized && w->rect.Contains(screen)) return *it;
  }
  return 0;
}

void MemoryBackend::SetSharedProperty(NativeWindow window, const std::string& name, uint64_t value) {
  if (Window* w = Find(window)) w->properties[name] = value;
}

void MemoryBackend::RemoveSharedProperty(NativeWindow window, const std::string& name) {
  if (Window* w = Find(window)) w->properties.erase(name);
}

std::optional<uint64_t> MemoryBackend::GetSharedProperty(NativeWindow window, const std::string& name) const {
  const Window* w = Find(window);
  if (!w) return std::nullopt;
  auto it = w->properties.find(name);
  if (it == w->properties.end()) return std::nullopt;
  return it->second;
}

void MemoryBackend::Queue(Event event) {
  {
    std::lock_guard<std::mutex> lock(pending_lock_);
    pending_.push_back(event);
  }
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(event_fd_, &one, sizeof(one));
}

void MemoryBackend::InjectMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  Queue(Event{EventKind::kMessage, window, message, wparam, lparam});
}

void MemoryBackend::InjectMouseMove(NativeWindow window, Point client) {
  Event e{EventKind::kMove, window};
  e.point = client;
  Queue(e);
}

void MemoryBackend::InjectButton(NativeWindow window, int button, bool down, Point client) {
  Event e{EventKind::kButton, window};
  e.button = button;
  e.down = down;
  e.point = client;
  Queue(e);
}

void MemoryBackend::InjectWheel(NativeWindow window, int notches, Point client) {
  Event e{EventKind::kWheel, window};
  e.button = notches;
  e.point = client;
  Queue(e);
}

void MemoryBackend::InjectButtonAt(Point screen, int button, bool down) {
  Event e{EventKind::kButton, 0};
  e.button = button;
  e.down = down;
  e.point = screen;
  e.at_screen = true;
  Queue(e);
}

void MemoryBackend::InjectMouseMoveAt(Point screen) {
  Event e{EventKind::kMove, 0};
  e.point = screen;
  e.at_screen = true;
  Queue(e);
}

void MemoryBackend::InjectMouseLeave(NativeWindow window) { Queue(Event{EventKind::kLeave, window}); }

void MemoryBackend::InjectKey(NativeWindow window, uint32_t virtual_key, bool down) {
  // Repeat count 1; a release has the previous-state and transition bits set.
  const LPARAM lparam = down ? 1 : static_cast<LPARAM>(0xC0000001u);
  Queue(Event{EventKind::kMessage, window, down ? WM_KEYDOWN : WM_KEYUP, virtual_key, lparam});
}

void MemoryBackend::InjectText(NativeWindow window, const std::u16string& text) {
  for (char16_t unit : text) Queue(Event{EventKind::kMessage, window, WM_CHAR, unit, 1});
}

void MemoryBackend::InjectCloseRequest(NativeWindow window) {
  Queue(Event{EventKind::kMessage, window, WM_SYSCOMMAND, SC_CLOSE, 0});
}

void MemoryBackend::InjectExpose(NativeWindow window, const Rect& rect) {
  Event e{EventKind::kExpose, window};
  e.rect = rect;
  Queue(e);
}

bool MemoryBackend::DispatchEvents() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t n = read(event_fd_, &count, sizeof(count));
  bool delivered = false;
  for (;;) {
    Event event;
    {
      std::lock_guard<std::mutex> lock(pending_lock_);
      if (pending_.empty()) break;
      event = pending_.front();
      pending_.pop_front();
    }
    if (!event.at_screen && !Find(event.window)) continue;
    Deliver(event.at_screen ? ResolveScreenEvent(event) : event);
    delivered = true;
  }
  if (auto hover = tracker_.TakeDueHover(now_ms_)) {
    if (const Window* w = Find(hover->window)) {
      const Point client{cursor_pos_.x - w->rect.left, cursor_pos_.y - w->rect.top};
      Send(hover->window, WM_MOUSEHOVER, ButtonState(), MakeLParam(client.x, client.y));
      delivered = true;
    }
  }
  return delivered;
}

int MemoryBackend::NextTimeoutMs() const {
  const int64_t deadline = tracker_.HoverDeadline();
  if (deadline < 0) return -1;
  return deadline <= now_ms_ ? 0 : static_cast<int>(deadline - now_ms_);
}

LRESULT MemoryBackend::Send(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  return client_ ? client_->OnBackendMessage(window, message, wparam, lparam) : 0;
}

WPARAM MemoryBackend::ButtonState() const {
  WPARAM state = 0;
  if (buttons_down_[1]) state |= MK_LBUTTON;
  if (buttons_down_[2]) state |= MK_MBUTTON;
  if (buttons_down_[3]) state |= MK_RBUTTON;
  return state;
}

void MemoryBackend::Deliver(const Event& event) {
  switch (event.kind) {
    case EventKind::kMessage:
      if (event.message == WM_KEYDOWN) keys_down_.insert(static_cast<uint32_t>(event.wparam));
      if (event.message == WM_KEYUP) keys_down_.erase(static_cast<uint32_t>(event.wparam));
      Send(event.window, event.message, event.wparam, event.lparam);
      break;
    case EventKind::kButton:
      DeliverButton(event);
      break;
    case EventKind::kMove:
      DeliverMove(event);
      break;
    case EventKind::kWheel: {
      // One notch is 120, the point on the screen.
      const Window* w = Find(event.window);
      const int delta = event.button * WHEEL_DELTA;
      Send(event.window, WM_MOUSEWHEEL, MakeWParam(static_cast<unsigned>(ButtonState()), static_cast<unsigned>(delta)),
           MakeLParam(w->rect.left + event.point.x, w->rect.top + event.point.y));
      break;
    }
    case EventKind::kLeave:
      if (tracker_.OnLeave(event.window)) Send(event.window, WM_MOUSELEAVE, 0, 0);
      break;
    case EventKind::kExpose:
      if (client_) client_->OnBackendInvalidate(event.window, event.rect);
      break;
  }
}

MemoryBackend::Event MemoryBackend::ResolveScreenEvent(const Event& event) const {
  Event resolved = event;
  resolved.at_screen = false;
  resolved.window = drag_ ? drag_->window : (capture_ ? capture_ : WindowAt(event.point));
  if (const Window* w = Find(resolved.window)) {
    resolved.point = Point{event.point.x - w->rect.left, event.point.y - w->rect.top};
  } else {
    resolved.window = 0;  // the point stays a screen point
  }
  return resolved;
}

Point MemoryBackend::ScreenPoint(const Event& event) const {
  const Window* w = Find(event.window);
  return w ? Point{w->rect.left + event.point.x, w->rect.top + event.point.y} : event.point;
}

void MemoryBackend::LeavePopups(Point screen, NativeWindow pressed) {
  PopupTracker::Windows windows;
  windows.rect = [this](NativeWindow w) { return GetWindowRect(w); };
  windows.owner = [this](NativeWindow w) { return Owner(w); };
  const std::vector<NativeWindow> left = popups_.TakeLeftBy(screen, pressed, windows);
  bool had_focus = false;
  for (NativeWindow popup : left) {
    if (focus_ == popup) {
      focus_ = 0;
      had_focus = true;
    }
    Send(popup, WM_KILLFOCUS, pressed, 0);
  }
  // The focus a pop-up held goes where the press went.
  if (had_focus && pressed) SetFocus(pressed);
}

void MemoryBackend::DeliverMove(const Event& event) {
  cursor_pos_ = ScreenPoint(event);
  if (drag_) {
    ApplyRect(drag_->window, DraggedRect(drag_->start_rect, drag_->hit_test,
                                         Point{cursor_pos_.x - drag_->start_pointer.x,
                                               cursor_pos_.y - drag_->start_pointer.y},
                                         SizeLimitsOf(drag_->window)),
              SIZE_RESTORED);
    return;
  }
  if (!Find(event.window)) return;
  tracker_.OnMove(event.window, event.point, now_ms_);
  Send(event.window, WM_MOUSEMOVE, ButtonState(), MakeLParam(event.point.x, event.point.y));
}

void MemoryBackend::DeliverButton(const Event& event) {
  const Point screen = ScreenPoint(event);
  cursor_pos_ = screen;
  const int b = event.button;
  if (b < 1 || b > 3) return;
  if (drag_ && b == 1 && !event.down) {
    // The end of a move or resize: the last point, and no button message.
    DeliverMove(event);
    drag_.reset();
    return;
  }
  if (event.down && capture_ == 0 && !popups_.empty()) LeavePopups(screen, event.window);
  // A press that no window of ours took.
  if (!Find(event.window)) return;
  static constexpr uint32_t kDown[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  static constexpr uint32_t kUp[] = {0, WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
  static constexpr uint32_t kDouble[] = {0, WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};
  const LPARAM client_point = MakeLParam(event.point.x, event.point.y);
  if (!event.down) {
    buttons_down_[b] = false;
    Send(event.window, kUp[b], ButtonState(), client_point);
    return;
  }
  const bool is_double = double_click_.OnPress(event.window, b, screen, now_ms_);
  if (b == 1 && capture_ == 0) {
    const LRESULT hit = Send(event.window, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
    if (IsNonClientHit(hit)) {
      Send(event.window, is_double ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit),
           MakeLParam(screen.x, screen.y));
      if (!is_double) BeginMoveResize(event.window, hit, screen);
      return;
    }
  }
  buttons_down_[b] = true;
  Send(event.window, is_double ? kDouble[b] : kDown[b], ButtonState(), client_point);
}

void MemoryBackend::ShowTooltip(NativeWindow owner, const std::u16string& text, Point screen_point, int max_width) {
  if (!Find(owner)) return;
  Tooltip& tip = tooltips_[owner];
  tip.text = text;
  tip.position = screen_point;
  tip.max_width = max_width;
  tip.visible = true;
  ++tip.show_count;
}

void MemoryBackend::HideTooltip(NativeWindow owner) {
  auto it = tooltips_.find(owner);
  if (it != tooltips_.end()) it->second.visible = false;
}

std::optional<MemoryBackend::Tooltip> MemoryBackend::TooltipOf(NativeWindow owner) const {
  auto it = tooltips_.find(owner);
  if (it == tooltips_.end()) return std::nullopt;
  return it->second;
}

HTOUCHINPUT MemoryBackend::InjectTouch(NativeWindow window, const std::vector<TOUCHINPUT>& inputs) {
  const HTOUCHINPUT handle = next_touch_handle_++;
  touch_inputs_[handle] = inputs;
  Queue(Event{EventKind::kMessage, window, WM_TOUCH, inputs.size(), static_cast<LPARAM>(handle)});
  return handle;
}

void MemoryBackend::InjectPointer(NativeWindow window, uint32_t message, uint32_t pointer_id, bool primary,
                                  uint32_t type, Point client, uint32_t pressure) {
  const Window* w = Find(window);
  if (!w) return;
  PointerRecord& record = pointers_[pointer_id];
  record.type = type;
  record.sample.pixel_location = Point{w->rect.left + client.x, w->rect.top + client.y};
  record.sample.pressure = pressure;
  const WPARAM wparam = MakeWParam(pointer_id & 0xFFFF, primary ? POINTER_MESSAGE_FLAG_PRIMARY : 0);
  Queue(Event{EventKind::kMessage, window, message, wparam,
              MakeLParam(record.sample.pixel_location.x, record.sample.pixel_location.y)});
}

bool MemoryBackend::GetTouchInputInfo(HTOUCHINPUT handle, uint32_t count, TOUCHINPUT* inputs) {
  auto it = touch_inputs_.find(handle);
  if (it == touch_inputs_.end() || inputs == nullptr || count > it->second.size()) return false;
  for (uint32_t i = 0; i < count; ++i) inputs[i] = it->second[i];
  return true;
}

bool MemoryBackend::CloseTouchInputHandle(HTOUCHINPUT handle) { return touch_inputs_.erase(handle) != 0; }

bool MemoryBackend::GetPointerType(uint32_t pointer_id, uint32_t* type) {
  auto it = pointers_.find(pointer_id);
  if (it == pointers_.end()) return false;
  *type = it->second.type;
  return true;
}

bool MemoryBackend::GetPointerTouchInfo(uint32_t pointer_id, PointerSample* sample) {
  auto it = pointers_.find(pointer_id);
  if (it == pointers_.end() || it->second.type != PT_TOUCH) return false;
  *sample = it->second.sample;
  return true;
}

bool MemoryBackend::GetPointerPenInfo(uint32_t pointer_id, PointerSample* sample) {
  auto it = pointers_.find(pointer_id);
  if (it == pointers_.end() || it->second.type != PT_PEN) return false;
  *sample = it->second.sample;
  return true;
}

std::optional<MemoryBackend::Picture> MemoryBackend::LastPicture(NativeWindow window) const {
  const Window* w = Find(window);
  if (!w) return std::nullopt;
  return w->picture;
}

int MemoryBackend::PresentCount(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->present_count : 0;
}

Size MemoryBackend::RoundShape(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->shape : Size{};
}

CursorKind MemoryBackend::Cursor(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->cursor : CursorKind::kArrow;
}

std::u16string MemoryBackend::Title(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->params.title : std::u16string();
}

NativeWindow MemoryBackend::Owner(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->params.owner : 0;
}

std::string MemoryBackend::ClassName(NativeWindow window) const {
  const Window* w = Find(window);
  return w ? w->params.class_name : std::string();
}

}  // namespace platform
