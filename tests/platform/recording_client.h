// A back-end client for tests: records every message and invalidation and
// answers the hit test, WM_COPYDATA and WM_GETMINMAXINFO as the test sets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/window/window_backend.h"

namespace platform::testing {

struct RecordedMessage {
  NativeWindow window = 0;
  uint32_t message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  std::string payload;  // WM_COPYDATA data
  uint64_t data_kind = 0;
};

class RecordingClient : public BackendClient {
 public:
  LRESULT OnBackendMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) override {
    RecordedMessage m{window, message, wparam, lparam, {}, 0};
    if (message == WM_COPYDATA) {
      const auto* copy = reinterpret_cast<const CopyDataStruct*>(lparam);
      m.data_kind = copy->dwData;
      if (copy->lpData) m.payload.assign(static_cast<const char*>(copy->lpData), copy->cbData);
    }
    messages.push_back(m);
    if (message == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      if (min_track) info->ptMinTrackSize = Point{min_track->cx, min_track->cy};
      if (max_track) info->ptMaxTrackSize = Point{max_track->cx, max_track->cy};
    }
    if (message == WM_NCHITTEST) return hit_test;
    if (message == WM_COPYDATA) return copy_data_result;
    return 0;
  }
  void OnBackendInvalidate(NativeWindow window, const Rect& rect) override {
    invalidations.push_back({window, rect});
  }

  // Messages of the given numbers, in arrival order.
  std::vector<RecordedMessage> Only(std::initializer_list<uint32_t> wanted) const {
    std::vector<RecordedMessage> out;
    for (const RecordedMessage& m : messages) {
      for (uint32_t w : wanted) {
        if (m.message == w) out.push_back(m);
      }
    }
    return out;
  }
  bool Has(uint32_t message) const { return !Only({message}).empty(); }

  std::vector<RecordedMessage> messages;
  std::vector<std::pair<NativeWindow, Rect>> invalidations;
  LRESULT hit_test = HTCLIENT;
  LRESULT copy_data_result = 0;
  std::optional<Size> min_track;
  std::optional<Size> max_track;
};

}  // namespace platform::testing
