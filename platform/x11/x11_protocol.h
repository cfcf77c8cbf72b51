// How window messages travel between processes over X11: a ClientMessage of
// format 32 carries five 32-bit values, exactly the message number and the two
// 64-bit parameters. WM_COPYDATA carries its payload in a property of a window
// of the sending process, and the receiver answers with an acknowledgement.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "platform/window/window_messages.h"

namespace platform::x11 {

// ClientMessage types.
inline constexpr const char kPostedMessageAtom[] = "_LAUNCHER_WINDOW_MESSAGE";
inline constexpr const char kCopyDataAtom[] = "_LAUNCHER_COPYDATA";
inline constexpr const char kCopyDataAckAtom[] = "_LAUNCHER_COPYDATA_ACK";
// The property of the sender's window that holds a WM_COPYDATA payload.
inline constexpr const char kCopyDataPayloadAtom[] = "_LAUNCHER_COPYDATA_PAYLOAD";

// The largest WM_COPYDATA payload accepted (bytes).
inline constexpr uint32_t kMaxCopyDataBytes = 1u << 20;

struct PostedMessage {
  uint32_t message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
};

// l[0] copy-data serial, l[1..2] dwData, l[3] cbData, l[4] sender window.
struct CopyDataRequest {
  uint32_t serial = 0;
  uint64_t data_kind = 0;  // dwData
  uint32_t size = 0;       // cbData
  Window sender = 0;
};

// l[0] serial, l[1] 1 when delivered, l[2..3] the receiver's result.
struct CopyDataAck {
  uint32_t serial = 0;
  bool delivered = false;
  LRESULT result = 0;
};

void EncodePostedMessage(const PostedMessage& m, XClientMessageEvent* event);
PostedMessage DecodePostedMessage(const XClientMessageEvent& event);
void EncodeCopyDataRequest(const CopyDataRequest& r, XClientMessageEvent* event);
CopyDataRequest DecodeCopyDataRequest(const XClientMessageEvent& event);
void EncodeCopyDataAck(const CopyDataAck& a, XClientMessageEvent* event);
CopyDataAck DecodeCopyDataAck(const XClientMessageEvent& event);

// 64-bit property values as two CARDINAL items (low, high).
void SetCardinal64Property(Display* display, Window window, Atom property, uint64_t value);
bool GetCardinal64Property(Display* display, Window window, Atom property, uint64_t* value);

}  // namespace platform::x11
