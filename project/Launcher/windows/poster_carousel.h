// The main window's poster carousel, bound by control names: the page list
// "scroll_pages" (one poster a page, scrolled only by the carousel), the dot
// list "dot_list" (one dot a page, a click on a dot shows its page) and the
// optional arrows "btn_scroll_left" and "btn_scroll_right". Without either
// list every operation does nothing.
//
// The carousel advances by itself every 2 seconds on the UI thread's timer.
// A user's choice (a dot or an arrow) holds the page for four more ticks:
// the skip count becomes 3 and each tick lowers it until it is negative
// again. Everything runs on the UI thread; Stop (the window closes) ends the
// ticks, so no tick ever runs against a window that is going away.
#pragma once

#include <cstdint>
#include <vector>

#include "base/callback/weak_callback.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/link_opener.h"
#include "ui/controls/button.h"

namespace ui {
class ListBox;
class Window;
struct EventArgs;
}  // namespace ui

namespace MainComponents {

class ScrollPage;

class PosterCarousel {
 public:
  static constexpr uint32_t kTickIntervalMs = 2000;
  // Ticks skipped after a user's choice, before the next automatic advance.
  static constexpr int32_t kSkipTicksAfterChoice = 3;

  explicit PosterCarousel(LinkOpener opener) : opener_(std::move(opener)) {}
  ~PosterCarousel() { Stop(); }
  PosterCarousel(const PosterCarousel&) = delete;
  PosterCarousel& operator=(const PosterCarousel&) = delete;

  // Once, when the window's tree is built: binds the controls, starts the
  // tick and builds the pages.
  void Init(ui::Window* window, const std::vector<PosterEntry>& posters);
  // Empties the lists and makes a page and a dot for each poster; shows the
  // first page (without animation) and the arrows when there is one.
  void Build(const std::vector<PosterEntry>& posters);
  // Empties both lists; no page is current and the skip count is reset.
  void Clear();
  // Ends the tick (the window is closing).
  void Stop() { tick_flag_.Cancel(); }

  // Shows the page: its dot filled, the list scrolled to it, the arrows
  // enabled where there is a page to go to. An index out of range does
  // nothing.
  void SelectPage(int32_t index, bool animate);

  int32_t current_page() const { return current_page_; }
  int32_t skip_count() const { return skip_count_; }
  int32_t page_count() const;

 private:
  void Tick();
  void ShowNextPage();
  bool OnDotSelect(ui::EventArgs* event);
  bool OnScrollLeftClick(ui::EventArgs* event);
  bool OnScrollRightClick(ui::EventArgs* event);
  ScrollPage* PageAt(int32_t index) const;

  LinkOpener opener_;
  ui::ListBox* pages_ = nullptr;
  ui::ListBox* dots_ = nullptr;
  ui::Button* left_ = nullptr;
  ui::Button* right_ = nullptr;
  int32_t current_page_ = -1;
  int32_t skip_count_ = -1;
  // The control handlers live as long as the carousel; the tick until Stop.
  kbase::WeakCallbackFlag handler_flag_;
  kbase::WeakCallbackFlag tick_flag_;
};

}  // namespace MainComponents
