#include "platform/x11/x11_presenter.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstdio>

#include "platform/window/pixel_ops.h"
#include "platform/x11/x11_error_trap.h"

namespace platform::x11 {

X11Presenter::X11Presenter(Display* display, Visual* visual, Window window, PresentMode mode)
    : display_(display), visual_(visual), window_(window) {
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  use_shm_ = mode != PresentMode::kPutImage && XShmQueryExtension(display_);
}

X11Presenter::~X11Presenter() {
  ReleaseSharedImage();
  XFreeGC(display_, gc_);
}

void X11Presenter::ReleaseSharedImage() {
  if (!shm_image_) return;
  {
    X11ErrorTrap trap(display_);
    XShmDetach(display_, &shm_info_);
  }
  shmdt(shm_info_.shmaddr);
  shm_image_->data = nullptr;
  XDestroyImage(shm_image_);
  shm_image_ = nullptr;
}

bool X11Presenter::EnsureSharedImage(int width, int height) {
  if (shm_image_ && shm_image_->width == width && shm_image_->height == height) return true;
  ReleaseSharedImage();
  shm_image_ = XShmCreateImage(display_, visual_, 32, ZPixmap, nullptr, &shm_info_, static_cast<unsigned>(width),
                               static_cast<unsigned>(height));
  if (!shm_image_) return false;
  const size_t size = static_cast<size_t>(shm_image_->bytes_per_line) * static_cast<size_t>(height);
  shm_info_.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (shm_info_.shmid < 0) {
    XDestroyImage(shm_image_);
    shm_image_ = nullptr;
    return false;
  }
  shm_info_.shmaddr = static_cast<char*>(shmat(shm_info_.shmid, nullptr, 0));
  // The segment goes away once both sides have detached.
  if (shm_info_.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(shm_info_.shmid, IPC_RMID, nullptr);
    XDestroyImage(shm_image_);
    shm_image_ = nullptr;
    return false;
  }
  shm_image_->data = shm_info_.shmaddr;
  shm_info_.readOnly = False;
  bool attached = false;
  {
    X11ErrorTrap trap(display_);
    XShmAttach(display_, &shm_info_);
    attached = trap.SyncAndCheck();
  }
  shmctl(shm_info_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    // A server on another machine cannot see our memory: fall back for good.
    shmdt(shm_info_.shmaddr);
    shm_image_->data = nullptr;
    XDestroyImage(shm_image_);
    shm_image_ = nullptr;
    return false;
  }
  return true;
}

bool X11Presenter::Present(const PresentBuffer& buffer) {
  if (!buffer.pixels || buffer.width <= 0 || buffer.height <= 0 || buffer.stride_bytes < buffer.width * 4) {
    return false;
  }
  if (use_shm_) {
    if (EnsureSharedImage(buffer.width, buffer.height)) return PresentShared(buffer);
    use_shm_ = false;
  }
  return PresentPut(buffer);
}

bool X11Presenter::PresentShared(const PresentBuffer& buffer) {
  CopyWithConstantAlpha(buffer.pixels, buffer.stride_bytes, reinterpret_cast<uint32_t*>(shm_image_->data),
                        shm_image_->bytes_per_line, buffer.width, buffer.height, buffer.constant_alpha);
  XShmPutImage(display_, window_, gc_, shm_image_, 0, 0, 0, 0, static_cast<unsigned>(buffer.width),
               static_cast<unsigned>(buffer.height), False);
  // The segment is written again by the next present: wait until the server
  // has read it.
  XSync(display_, False);
  return true;
}

bool X11Presenter::PresentPut(const PresentBuffer& buffer) {
  const char* data = reinterpret_cast<const char*>(buffer.pixels);
  int stride = buffer.stride_bytes;
  if (buffer.constant_alpha != 255) {
    staging_.resize(static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height));
    CopyWithConstantAlpha(buffer.pixels, buffer.stride_bytes, staging_.data(), buffer.width * 4, buffer.width,
                          buffer.height, buffer.constant_alpha);
    data = reinterpret_cast<const char*>(staging_.data());
    stride = buffer.width * 4;
  }
  // XPutImage only reads the image data, so it can point at the caller's
  // pixels when nothing needs scaling.
  XImage* image = XCreateImage(display_, visual_, 32, ZPixmap, 0, const_cast<char*>(data),
                               static_cast<unsigned>(buffer.width), static_cast<unsigned>(buffer.height), 32, stride);
  if (!image) return false;
  // Our pixels are in this machine's byte order; Xlib swaps them for a server
  // of the other order.
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  XPutImage(display_, window_, gc_, image, 0, 0, 0, 0, static_cast<unsigned>(buffer.width),
            static_cast<unsigned>(buffer.height));
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(display_);
  return true;
}

}  // namespace platform::x11
