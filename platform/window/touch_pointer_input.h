// Touch and pointer (pen, touch screen) input as the window code reads it:
// the touch inputs behind a WM_TOUCH handle, and the type, position and
// pressure of a pointer of the WM_POINTER* messages. Each back-end may have a
// source for them; one without (X11 has none) reports them missing, and the
// window code then takes its path for a system without touch and pen.
#pragma once

#include <cstdint>

#include "platform/message/message_types.h"
#include "platform/window/geometry.h"

namespace platform {

constexpr UINT WM_TOUCH = 0x0240;
constexpr UINT WM_POINTERUPDATE = 0x0245;
constexpr UINT WM_POINTERDOWN = 0x0246;
constexpr UINT WM_POINTERUP = 0x0247;
constexpr UINT WM_POINTERLEAVE = 0x024A;
constexpr UINT WM_POINTERCAPTURECHANGED = 0x024C;

// In the high word of a pointer message's wParam: the primary pointer.
constexpr uint32_t POINTER_MESSAGE_FLAG_PRIMARY = 0x2000;

// Pointer types.
constexpr uint32_t PT_POINTER = 1;
constexpr uint32_t PT_TOUCH = 2;
constexpr uint32_t PT_PEN = 3;
constexpr uint32_t PT_MOUSE = 4;

// What one touch input did.
constexpr uint32_t TOUCHEVENTF_MOVE = 0x0001;
constexpr uint32_t TOUCHEVENTF_DOWN = 0x0002;
constexpr uint32_t TOUCHEVENTF_UP = 0x0004;

// The lParam of WM_TOUCH: a handle, never a pointer.
using HTOUCHINPUT = uint64_t;

struct TOUCHINPUT {
  int32_t x = 0;  // hundredths of a screen pixel
  int32_t y = 0;
  uint32_t dwID = 0;
  uint32_t dwFlags = 0;
};

// A pen or touch pointer's sample.
struct PointerSample {
  Point pixel_location;    // screen
  uint32_t pressure = 0;   // 0 ... 1024
};

class TouchPointerSource {
 public:
  virtual ~TouchPointerSource() = default;
  // Fills `count` inputs of the handle; false for an unknown handle.
  virtual bool GetTouchInputInfo(HTOUCHINPUT handle, uint32_t count, TOUCHINPUT* inputs) = 0;
  virtual bool CloseTouchInputHandle(HTOUCHINPUT handle) = 0;
  virtual bool GetPointerType(uint32_t pointer_id, uint32_t* type) = 0;
  virtual bool GetPointerTouchInfo(uint32_t pointer_id, PointerSample* sample) = 0;
  virtual bool GetPointerPenInfo(uint32_t pointer_id, PointerSample* sample) = 0;
};

// The installed back-end's source, or null when it has none.
TouchPointerSource* GetTouchPointerSource();

}  // namespace platform
