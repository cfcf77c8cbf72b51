// Puts premultiplied ARGB32 pictures into one 32-bit window: through a
// shared-memory image when the server offers MIT-SHM (and it works for this
// connection), through XPutImage otherwise.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <vector>

#include "platform/window/window_backend.h"

namespace platform::x11 {

enum class PresentMode { kAuto, kSharedMemory, kPutImage };

class X11Presenter {
 public:
  X11Presenter(Display* display, Visual* visual, Window window, PresentMode mode);
  ~X11Presenter();
  X11Presenter(const X11Presenter&) = delete;
  X11Presenter& operator=(const X11Presenter&) = delete;

  // Draws the picture at the window's origin; returns whether it was sent.
  bool Present(const PresentBuffer& buffer);
  bool UsingSharedMemory() const { return use_shm_; }

 private:
  bool EnsureSharedImage(int width, int height);
  void ReleaseSharedImage();
  bool PresentShared(const PresentBuffer& buffer);
  bool PresentPut(const PresentBuffer& buffer);

  Display* display_;
  Visual* visual_;
  Window window_;
  GC gc_;
  bool use_shm_;
  XImage* shm_image_ = nullptr;
  XShmSegmentInfo shm_info_{};
  std::vector<uint32_t> staging_;
};

}  // namespace platform::x11
