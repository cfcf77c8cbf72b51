#pragma once
// The launcher's settings window: three tab labels on the left and the three
// settings pages (general, game resources, versions) one below the other in
// a scrolling list on the right. Choosing a tab scrolls to its page;
// scrolling the pages moves the tab marking. The pages edit a private copy
// of the user settings: confirming (the button or Enter) hands the copy to
// the store and answers 1; cancelling (its buttons, Esc, the system close)
// drops it and answers 0.
//
// The answer is given once, in a task posted to the UI thread after the
// window has started to close; a window that is closing ignores any further
// confirm or cancel (the main window may ask a closing window to close again
// while it hides itself). UI thread only; the object deletes itself when its
// window is gone.

#include <cstdint>
#include <functional>
#include <string>

#include "project/Launcher/core/launcher_settings.h"
#include "ui/window_impl_base.h"

class LauncherStore;

namespace ui {
class ListBox;
}

namespace SettingComponents {
class TabLabel;
class TabPage;
}  // namespace SettingComponents

class SettingForm : public ui::WindowImplBase {
 public:
  static constexpr char16_t kClassName[] = u"SettingForm";
  static constexpr int kPageCount = 3;
  using ResultCallback = std::function<void(int32_t)>;

  explicit SettingForm(LauncherStore& store);
  ~SettingForm() override;

  // Creates the window owned by |owner| (style 0xCE0000, layered), keeps the
  // callback, disables the owner, centres the window and shows it with the
  // focus. Null when the window could not be made (the callback is then
  // never called).
  static SettingForm* Open(platform::HWND owner, LauncherStore& store, ResultCallback callback);
  // The open settings window of this thread, if any.
  static SettingForm* FindOpen();

  // WindowImplBase.
  std::u16string GetWindowClassName() const override { return kClassName; }
  std::u16string GetSkinFolder() override { return u"setting"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }
  void InitWindow() override;
  // The dialog close: the owner is enabled and focused again, then the
  // window fades out and closes.
  void Close(platform::WPARAM code = 0) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                 platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnKeyDown(platform::UINT message, platform::WPARAM wparam,
                              platform::LPARAM lparam, bool& handled) override;
  platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam, bool& handled) override;

  void SetResultCallback(ResultCallback callback) { result_callback_ = std::move(callback); }
  // Applies the edited settings and closes with the answer 1.
  void Confirm();
  // Drops the edited settings and closes with the answer 0.
  void Cancel();
  bool IsClosing() const { return closing_; }

  // Marks tab |index| (0..2) and scrolls its page to the top, animated.
  void SelectPage(int index);
  int GetCurrentPage() const { return current_page_; }
  // Refresh of every page (the main window's kMsgRefreshState).
  void RefreshPages();

  LauncherSettings& EditedSettings() { return edited_; }
  LauncherStore& Store() { return store_; }
  ui::ListBox* TabList() const { return tab_list_; }
  ui::ListBox* PageList() const { return page_list_; }
  SettingComponents::TabPage* Page(int index) const;

 private:
  bool OnClick(ui::EventArgs* event);
  bool OnTabSelect(ui::EventArgs* event);
  bool OnPagesScroll(ui::EventArgs* event);
  void MarkTab(int index);
  SettingComponents::TabLabel* Tab(int index) const;
  // Starts the close and posts the one answer; false when already closing.
  bool Finish(int32_t result);

  LauncherStore& store_;
  ResultCallback result_callback_;
  LauncherSettings edited_;
  ui::ListBox* tab_list_ = nullptr;
  ui::ListBox* page_list_ = nullptr;
  int current_page_ = -1;
  bool closing_ = false;
};
