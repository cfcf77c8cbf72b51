#pragma once
// The pre-download's hover pop-up: sizes, remaining time and speed, placed
// right-aligned above the pre-download box at the main window's right edge.
// It never disables its owner and has no result.

#include <string>

#include "ui/controls/label.h"
#include "ui/window_impl_base.h"

class PreDlcPopupForm : public ui::WindowImplBase {
 public:
  static constexpr char16_t kClassName[] = u"PreDlcPopupForm";
  static constexpr int kMargin = 5;

  // Creates the pop-up owned by |owner| and shows it above |panel| (the
  // pre-download box's rectangle in the owner's client area). Null when it
  // could not be made.
  static PreDlcPopupForm* ShowAtPanel(ui::Window* owner, const ui::UiRect& panel,
                                      const std::u16string& sizeText, const std::u16string& timeText,
                                      const std::u16string& speedText);
  // Where a pop-up of |width| x |height| goes for an owner whose rectangle
  // (less its shadow) has |ownerTop| and |ownerRight|; never negative.
  static ui::UiPoint Placement(int ownerTop, int ownerRight, int panelTop, int width, int height,
                               int margin);

  std::u16string GetWindowClassName() const override { return kClassName; }
  std::u16string GetSkinFolder() override { return u"predlc"; }
  std::u16string GetSkinFile() override { return u"popup_skin.xml"; }
  void InitWindow() override;
  void Close(platform::WPARAM code = 0) override;

  void SetSizeText(const std::u16string& text);
  void SetTexts(const std::u16string& timeText, const std::u16string& speedText);

 private:
  ui::Label* size_ = nullptr;
  ui::Label* time_ = nullptr;
  ui::Label* speed_ = nullptr;
};
