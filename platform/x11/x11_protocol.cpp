#include "platform/x11/x11_protocol.h"

#include <X11/Xatom.h>

#include "platform/x11/x11_error_trap.h"

namespace platform::x11 {

namespace {

// Format-32 items travel as 32 bits; Xlib hands them back sign-extended.
uint32_t Item(const XClientMessageEvent& e, int i) { return static_cast<uint32_t>(e.data.l[i] & 0xFFFFFFFF); }
long Low(uint64_t v) { return static_cast<long>(v & 0xFFFFFFFF); }
long High(uint64_t v) { return static_cast<long>(v >> 32); }
uint64_t Join(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace

void EncodePostedMessage(const PostedMessage& m, XClientMessageEvent* event) {
  event->format = 32;
  event->data.l[0] = static_cast<long>(m.message);
  event->data.l[1] = Low(m.wparam);
  event->data.l[2] = High(m.wparam);
  event->data.l[3] = Low(static_cast<uint64_t>(m.lparam));
  event->data.l[4] = High(static_cast<uint64_t>(m.lparam));
}

PostedMessage DecodePostedMessage(const XClientMessageEvent& event) {
  PostedMessage m;
  m.message = Item(event, 0);
  m.wparam = Join(Item(event, 1), Item(event, 2));
  m.lparam = static_cast<LPARAM>(Join(Item(event, 3), Item(event, 4)));
  return m;
}

void EncodeCopyDataRequest(const CopyDataRequest& r, XClientMessageEvent* event) {
  event->format = 32;
  event->data.l[0] = static_cast<long>(r.serial);
  event->data.l[1] = Low(r.data_kind);
  event->data.l[2] = High(r.data_kind);
  event->data.l[3] = static_cast<long>(r.size);
  event->data.l[4] = static_cast<long>(r.sender);
}

CopyDataRequest DecodeCopyDataRequest(const XClientMessageEvent& event) {
  CopyDataRequest r;
  r.serial = Item(event, 0);
  r.data_kind = Join(Item(event, 1), Item(event, 2));
  r.size = Item(event, 3);
  r.sender = Item(event, 4);
  return r;
}

void EncodeCopyDataAck(const CopyDataAck& a, XClientMessageEvent* event) {
  event->format = 32;
  event->data.l[0] = static_cast<long>(a.serial);
  event->data.l[1] = a.delivered ? 1 : 0;
  event->data.l[2] = Low(static_cast<uint64_t>(a.result));
  event->data.l[3] = High(static_cast<uint64_t>(a.result));
  event->data.l[4] = 0;
}

CopyDataAck DecodeCopyDataAck(const XClientMessageEvent& event) {
  CopyDataAck a;
  a.serial = Item(event, 0);
  a.delivered = Item(event, 1) == 1;
  a.result = static_cast<LRESULT>(Join(Item(event, 2), Item(event, 3)));
  return a;
}

void SetCardinal64Property(Display* display, Window window, Atom property, uint64_t value) {
  // Xlib takes format-32 data as an array of long.
  long items[2] = {Low(value), High(value)};
  XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(items), 2);
}

bool GetCardinal64Property(Display* display, Window window, Atom property, uint64_t* value) {
  X11ErrorTrap trap(display);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, 2, False, XA_CARDINAL, &type, &format,
                                        &count, &remaining, &data);
  bool ok = false;
  if (status == Success && data && type == XA_CARDINAL && format == 32 && count >= 1) {
    const long* items = reinterpret_cast<const long*>(data);
    const uint32_t low = static_cast<uint32_t>(items[0] & 0xFFFFFFFF);
    const uint32_t high = count >= 2 ? static_cast<uint32_t>(items[1] & 0xFFFFFFFF) : 0;
    *value = Join(low, high);
    ok = true;
  }
  if (data) XFree(data);
  return ok && trap.SyncAndCheck();
}

}  // namespace platform::x11
