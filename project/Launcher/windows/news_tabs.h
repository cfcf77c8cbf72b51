// The main window's news, bound by control names: the tab label list
// "tab_labels" (one tab a news category) and the page box "tab_pages" (one
// list page a category). Without either every operation does nothing. A
// click on a tab shows its page, whether it arrives as the tab's press or
// as the list's select event. UI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "base/callback/weak_callback.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/link_opener.h"

namespace ui {
class ListBox;
class TabBox;
class Window;
struct EventArgs;
}  // namespace ui

namespace MainComponents {

class TabLabel;
class TabPage;

class NewsTabs {
 public:
  explicit NewsTabs(LinkOpener opener) : opener_(std::move(opener)) {}
  NewsTabs(const NewsTabs&) = delete;
  NewsTabs& operator=(const NewsTabs&) = delete;

  // Once, when the window's tree is built: binds the controls and builds.
  void Init(ui::Window* window, const std::vector<NewsCategory>& categories);
  // A tab and a page for each category, its entries on the page; the first
  // tab is shown when there is one.
  void Build(const std::vector<NewsCategory>& categories);
  void Clear();
  // Shows the tab's page; an index out of range does nothing.
  void SelectTab(int32_t index);

  int32_t tab_count() const;
  TabLabel* LabelAt(int32_t index) const;
  TabPage* PageAt(int32_t index) const;

 private:
  bool OnTabSelect(ui::EventArgs* event);

  LinkOpener opener_;
  ui::ListBox* labels_ = nullptr;
  ui::TabBox* pages_ = nullptr;
  kbase::WeakCallbackFlag handler_flag_;
};

}  // namespace MainComponents
