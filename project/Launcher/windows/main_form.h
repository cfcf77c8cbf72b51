#pragma once
// The launcher's main window: one skinned, layered top-level window built
// from the skin's "main/skin.xml". It binds its title labels, the main
// button, the two panel boxes ("tab_assets", "tab_predlc"), the web view's
// place and the link bar; owns the tray icon; registers itself with the
// store (which sets the instance property a second launcher and the game find
// it by); and receives every launcher message of the worker, the tray, other
// instances and the game. What fills the panel boxes, the web view, the
// carousel and the tray menu comes as MainFormParts (main_form_part.h).
// Closing runs the close flow (close_flow.h); the window's teardown ends the
// UI loop once the parts' children are gone or a bounded wait has passed.
// The object lives on the heap and deletes itself with its native window.
// UI thread only.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/windows/close_flow.h"
#include "project/Launcher/windows/main_form_part.h"
#include "ui/window_impl_base.h"

class LauncherStore;

namespace platform {
class TrayIcon;
class SoundPlayer;
}  // namespace platform

namespace ui {
class Box;
class HBox;
class TabBox;
template <typename InheritType>
class LabelTemplate;
template <typename InheritType>
class ButtonTemplate;
}  // namespace ui

class MainForm : public ui::WindowImplBase {
 public:
  using Label = ui::LabelTemplate<ui::Control>;
  using Button = ui::ButtonTemplate<ui::Control>;

  // What the window takes from around it; every member may be empty.
  struct Environment {
    // Makes the tray icon (X11 in the program, in memory in tests); no icon
    // when empty or when it answers null.
    std::function<std::unique_ptr<platform::TrayIcon>()> makeTrayIcon;
    // The application icon's straight ARGB pixels, for the tray icon.
    std::vector<uint32_t> iconPixels;
    int iconWidth = 0;
    int iconHeight = 0;
    // Plays a balloon request's sound; none played when null.
    platform::SoundPlayer* sound = nullptr;
    // Ends the UI loop; PostQuitMessage(0) when empty.
    std::function<void()> quit;
    // Told of every launcher message ("message N wParam lParam") and of the
    // teardown's steps.
    std::function<void(const std::string&)> record;
    // How long the teardown waits for the parts' children before the UI loop
    // ends anyway.
    std::chrono::milliseconds quitWait{5000};
  };

  // The window's class name and title; its style (caption, system menu,
  // sizing frame, minimise box).
  static constexpr char16_t kClassName[] = u"Launcher";
  static constexpr uint32_t kStyle = 0xCE0000;

  MainForm(LauncherStore& store, Environment environment);
  ~MainForm() override;

  // Before Create: a part the window attaches once its controls are bound.
  void AddPart(std::unique_ptr<MainFormPart> part);
  // Creates the window (no owner, layered), centres and shows it; false when
  // the window could not be made (the object is then deleted by the caller).
  bool CreateAndShow();

  // ui::WindowImplBase.
  std::u16string GetWindowClassName() const override { return kClassName; }
  std::u16string GetSkinFolder() override { return u"main"; }
  std::u16string GetSkinFile() override { return u"skin.xml"; }
  platform::LRESULT HandleMessage(platform::UINT message, platform::WPARAM wParam,
                                  platform::LPARAM lParam) override;
  void InitWindow() override;
  ui::Control* CreateControl(const std::u16string& className) override;
  platform::LRESULT OnClose(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                            bool& handled) override;
  platform::LRESULT OnSysCommand(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam, bool& handled) override;

  // What the parts reach: the store, the bound controls (null when the
  // layout lacks them), any control by name, and the tray icon.
  LauncherStore& store() const { return store_; }
  Button* mainButton() const { return mainButton_; }
  ui::TabBox* assetPanels() const { return assetPanels_; }
  ui::TabBox* preDownloadPanels() const { return preDownloadPanels_; }
  ui::Control* webView() const { return webView_; }
  ui::Control* debugWebView() const { return debugWebView_; }
  ui::HBox* linkBar() const { return linkBar_; }
  ui::Control* FindControl(const std::u16string& name) const;
  platform::TrayIcon* trayIcon() const { return tray_.get(); }
  CloseFlow& closeFlow() { return closeFlow_; }

  // The close button and the system menu's close.
  void RequestClose();
  // "wnd_title", "text_version", "text_title_main", "text_title_sub".
  void RefreshTitles();
  // kMsgWindowOnTop: a language change the settings left pending is applied.
  void ApplyPendingLanguage();

 private:
  bool HandleLauncherMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam);
  void Record(const std::string& line) const;
  void InitTitleBar();
  void CreateTrayIcon();
  void RemoveTrayIcon();
  bool OnClick(ui::EventArgs* event);
  void Show();
  void Hide();
  void CloseSettingsWindows();
  void OnTrayNotify(platform::LPARAM lParam);
  platform::LRESULT OnCopyData(platform::LPARAM lParam);
  // Paints; records the first paint that put the shown window on the screen.
  platform::LRESULT OnPaint(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam);
  void AnswerGameQuestion(uint32_t question);
  void EndUiLoopWhenReady();

  LauncherStore& store_;
  Environment environment_;
  CloseFlow closeFlow_;
  std::vector<std::unique_ptr<MainFormPart>> parts_;

  Button* closeButton_ = nullptr;
  Label* windowTitle_ = nullptr;
  Label* versionLabel_ = nullptr;
  Label* mainTitle_ = nullptr;
  Label* subTitle_ = nullptr;
  ui::TabBox* assetPanels_ = nullptr;
  Button* mainButton_ = nullptr;
  ui::Box* posterFrame_ = nullptr;
  ui::Control* webView_ = nullptr;
  ui::Control* debugWebView_ = nullptr;
  ui::TabBox* preDownloadPanels_ = nullptr;
  ui::HBox* linkBar_ = nullptr;
  std::unique_ptr<platform::TrayIcon> tray_;
  bool firstFrameRecorded_ = false;
};
