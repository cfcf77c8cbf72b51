#pragma once
// What the end-to-end tests do with the launcher's windows: ask a running
// launcher for its UI dump (SIGUSR1; the launcher writes the file named by
// its $LAUNCHER_UI_DUMP through a rename, which is waited for with inotify),
// find a control in it by name, click the centre of its screen rectangle
// and turn the wheel or type keys with XTest, and save the screen as a PNG when a test fails.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>
#include <json/json.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace ui_driver {

using Dump = std::vector<Json::Value>;

// Parses the dump's lines; empty when the closing line is missing.
inline Dump ReadDump(const std::string& path) {
  std::ifstream in(path);
  Dump lines;
  std::string line;
  Json::CharReaderBuilder builder;
  while (std::getline(in, line)) {
    Json::Value value;
    std::string error;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(line.data(), line.data() + line.size(), &value, &error)) return {};
    lines.push_back(value);
  }
  if (lines.empty() || !lines.back()["end"].asBool()) return {};
  return lines;
}

// Asks |pid| for a dump into |path| and waits until it lands there (the
// launcher renames a complete file over the name). Empty on time-out.
inline Dump RequestDump(pid_t pid, const std::string& path, std::chrono::milliseconds timeout) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::remove(path, ignored);
  const fs::path file(path);
  int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch < 0) return {};
  if (inotify_add_watch(watch, file.parent_path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0 ||
      ::kill(pid, SIGUSR1) != 0) {
    ::close(watch);
    return {};
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  Dump dump;
  while (dump.empty()) {
    if (fs::exists(file)) {
      dump = ReadDump(path);
      if (!dump.empty()) break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{watch, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) > 0) {
      char events[4096];
      while (::read(watch, events, sizeof events) > 0) {
      }
    }
  }
  ::close(watch);
  return dump;
}

// The control named |name| in |window| (a window class), if the dump has it.
inline std::optional<Json::Value> FindControl(const Dump& dump, const std::string& name,
                                              const std::string& window = "Launcher") {
  for (const Json::Value& line : dump) {
    if (line["name"].asString() == name && line["window"].asString() == window) return line;
  }
  return std::nullopt;
}

// The first control of |window| whose text id is |textId| (controls made
// by code, such as a box's options, have no name).
inline std::optional<Json::Value> FindControlByTextId(const Dump& dump, const std::string& textId,
                                                      const std::string& window) {
  for (const Json::Value& line : dump) {
    if (line["text_id"].asString() == textId && line["window"].asString() == window) return line;
  }
  return std::nullopt;
}

// Moves the pointer to the centre of the control's rectangle and clicks the
// left button there.
inline bool ClickCentre(const Json::Value& control) {
  const Json::Value& rect = control["rect"];
  if (rect.size() != 4) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const int x = (rect[0].asInt() + rect[2].asInt()) / 2;
  const int y = (rect[1].asInt() + rect[3].asInt()) / 2;
  bool sent = XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime) &&
              XTestFakeButtonEvent(display, 1, True, CurrentTime) &&
              XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XSync(display, False);
  XCloseDisplay(display);
  return sent;
}

// Turns the mouse wheel |notches| times over the centre of the control's
// rectangle: down for positive, up for negative.
inline bool WheelOver(const Json::Value& control, int notches) {
  const Json::Value& rect = control["rect"];
  if (rect.size() != 4) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const int x = (rect[0].asInt() + rect[2].asInt()) / 2;
  const int y = (rect[1].asInt() + rect[3].asInt()) / 2;
  const unsigned button = notches > 0 ? 5 : 4;
  bool sent = XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
  for (int i = 0; sent && i < (notches > 0 ? notches : -notches); ++i) {
    sent = XTestFakeButtonEvent(display, button, True, CurrentTime) &&
           XTestFakeButtonEvent(display, button, False, CurrentTime);
  }
  XSync(display, False);
  XCloseDisplay(display);
  return sent;
}

// Presses and releases the key of |keysym| ("a", "5", "Return", "Escape")
// with XTest, |modifier| ("Control_L") held around it when given. The key
// goes to the window that has the input focus.
inline bool PressKey(const std::string& keysym, const std::string& modifier = {}) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(keysym.c_str()));
  const KeyCode held = modifier.empty() ? 0 : XKeysymToKeycode(display, XStringToKeysym(modifier.c_str()));
  bool sent = key != 0 && (modifier.empty() || held != 0);
  if (sent && held != 0) sent = XTestFakeKeyEvent(display, held, True, CurrentTime);
  if (sent) sent = XTestFakeKeyEvent(display, key, True, CurrentTime) && XTestFakeKeyEvent(display, key, False, CurrentTime);
  if (held != 0) XTestFakeKeyEvent(display, held, False, CurrentTime);
  XSync(display, False);
  XCloseDisplay(display);
  return sent;
}

// Types |text| key by key; each character must have a key of its own
// (digits and lower-case letters).
inline bool TypeText(const std::string& text) {
  for (char c : text) {
    if (!PressKey(std::string(1, c))) return false;
  }
  return true;
}

// The whole screen as a PNG at |path|.
inline bool SaveScreenshot(const std::string& path) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  bool saved = false;
  if (image != nullptr) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image->width, image->height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    cairo_surface_flush(surface);
    for (int y = 0; y < image->height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
      for (int x = 0; x < image->width; ++x) row[x] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
    }
    cairo_surface_mark_dirty(surface);
    saved = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return saved;
}

}  // namespace ui_driver
