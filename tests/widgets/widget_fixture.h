// What the widget tests share: the control-tree fixture with the global
// render factory, one test font as the default font, a few named colours,
// and a canvas to paint on and read pixels from.
#ifndef TESTS_WIDGETS_WIDGET_FIXTURE_H_
#define TESTS_WIDGETS_WIDGET_FIXTURE_H_

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/render/i_render_context.h"
#include "ui/render/text_layout.h"
#include "ui/wide_text.h"

namespace ui::testing {

inline constexpr uint32_t kRed = 0xFFFF0000;
inline constexpr uint32_t kGreen = 0xFF00FF00;
inline constexpr uint32_t kBlue = 0xFF0000FF;
inline constexpr uint32_t kWhite = 0xFFFFFFFF;
inline constexpr uint32_t kBlack = 0xFF000000;

class WidgetTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    SetScale(100);
    GlobalManager::AddFont(u"text_14", u"DejaVu Sans", 14, false, false, false, true);
    GlobalManager::AddFont(u"title_24", u"DejaVu Sans", 24, false, false, false, false);
    GlobalManager::AddTextColor(u"red", kRed);
    GlobalManager::AddTextColor(u"green", kGreen);
    GlobalManager::AddTextColor(u"blue", kBlue);
    GlobalManager::AddTextColor(u"white", kWhite);
    GlobalManager::AddTextColor(u"black", kBlack);
    GlobalManager::SetDefaultTextColor(u"black");
    canvas_ = GlobalManager::GetRenderFactory()->CreateRenderContext();
    ASSERT_TRUE(canvas_->Resize(kCanvasWidth, kCanvasHeight, true));
  }
  void TearDown() override {
    canvas_.reset();
    LanguageTable::GetInstance().Clear();
    GlobalManager::RemoveAllTextColors();
    GlobalManager::Shutdown();
    ControlTreeTest::TearDown();
  }

  void Paint(Control& control) {
    canvas_->Clear();
    control.Paint(canvas_.get(), UiRect{0, 0, kCanvasWidth, kCanvasHeight});
  }
  uint32_t At(int x, int y) { return PixelAt(*canvas_, x, y); }

  // The extent of the pixels whose alpha is not 0 inside the area.
  UiRect InkBounds(const UiRect& area) { return testing::InkBounds(*canvas_, area); }

  // How many pixels of the area are exactly the colour.
  int CountColour(const UiRect& area, uint32_t colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) count += At(x, y) == colour ? 1 : 0;
    }
    return count;
  }

  // How many pixels of the area are within |tolerance| of the colour in
  // every channel (text over an opaque background blends a little).
  int CountNear(const UiRect& area, uint32_t colour, int tolerance = 4) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const uint32_t pixel = At(x, y);
        bool near = true;
        for (int shift : {24, 16, 8, 0}) {
          const int a = static_cast<int>((pixel >> shift) & 0xFF);
          const int b = static_cast<int>((colour >> shift) & 0xFF);
          if (a - b > tolerance || b - a > tolerance) near = false;
        }
        count += near ? 1 : 0;
      }
    }
    return count;
  }

  static constexpr int kCanvasWidth = 400;
  static constexpr int kCanvasHeight = 200;
  std::unique_ptr<IRenderContext> canvas_;
};

}  // namespace ui::testing

#endif  // TESTS_WIDGETS_WIDGET_FIXTURE_H_
