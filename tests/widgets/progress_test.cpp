// Progress bars, sliders and circle progress: the bar painted for a value,
// the thumb and dragging, and ranges that would divide by zero or overflow.
#include "ui/controls/progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/slider.h"

namespace ui::testing {
namespace {

class ProgressTest : public WidgetTest {
 protected:
  static void Send(Control* control, int type, UiPoint point, platform::WPARAM wparam = 0) {
    EventArgs event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = point;
    event.wParam = wparam;
    control->HandleEvent(event);
  }
  // The number of columns of a row that hold the colour.
  int ColumnsOf(int y, uint32_t colour) {
    int count = 0;
    for (int x = 0; x < kCanvasWidth; ++x) count += At(x, y) == colour ? 1 : 0;
    return count;
  }
};

TEST_F(ProgressTest, BarFillsItsShareOfTheWidthOrHeight) {
  Progress bar;
  bar.SetAttribute(u"progresscolor", u" red");
  bar.SetAttribute(u"value", u"25");
  bar.SetPos(UiRect{0, 0, 200, 12});
  Paint(bar);
  EXPECT_EQ(ColumnsOf(5, kRed), 50);
  EXPECT_EQ(At(49, 5), kRed);
  EXPECT_EQ(At(50, 5), 0u);

  Progress column;
  column.SetAttribute(u"hor", u"false");
  column.SetAttribute(u"progresscolor", u"red");
  column.SetAttribute(u"min", u"100");
  column.SetAttribute(u"max", u"200");
  column.SetValue(150);
  column.SetPos(UiRect{0, 0, 10, 100});
  Paint(column);
  EXPECT_EQ(At(5, 49), 0u);
  EXPECT_EQ(At(5, 50), kRed) << "the lower half, growing upward";
  EXPECT_EQ(At(5, 99), kRed);
}

TEST_F(ProgressTest, PaintClampsTheValueAndRaisesAnEmptyRange) {
  Progress bar;
  bar.SetAttribute(u"progresscolor", u"red");
  bar.SetPos(UiRect{0, 0, 200, 12});
  bar.SetValue(150);
  Paint(bar);
  EXPECT_EQ(bar.GetValue(), 100);
  EXPECT_EQ(ColumnsOf(5, kRed), 200);
  bar.SetValue(-5);
  Paint(bar);
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(ColumnsOf(5, kRed), 0);

  Progress empty;
  empty.SetAttribute(u"progresscolor", u"red");
  empty.SetAttribute(u"min", u"10");
  empty.SetAttribute(u"max", u"10");
  empty.SetAttribute(u"value", u"10");
  empty.SetPos(UiRect{0, 0, 200, 12});
  EXPECT_EQ(empty.GetProgressPos().Width(), 0) << "before any paint";
  Paint(empty);
  EXPECT_EQ(empty.GetMaxValue(), 11);
  EXPECT_EQ(ColumnsOf(5, kRed), 0) << "nothing drawn";
}

TEST_F(ProgressTest, ForeImageIsSqueezedOrCut) {
  // A 100 x 10 picture: ten columns of 10 pixels, red then blue alternating.
  std::vector<uint32_t> cells;
  for (int i = 0; i < 10; ++i) cells.push_back(i % 2 == 0 ? kRed : kBlue);
  const std::string png = GridPng(10, 10, 1, cells);
  char folder[] = "/tmp/widgets_progress_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/fore.png";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);

  for (bool stretch : {false, true}) {
    Progress bar;
    bar.SetAttribute(u"progressimage", Utf8ToUtf16(path));
    bar.SetAttribute(u"isstretchfore", stretch ? u"true" : u"false");
    bar.SetValue(30);
    bar.SetPos(UiRect{0, 0, 100, 10});
    Paint(bar);
    EXPECT_EQ(At(35, 5), 0u) << "nothing past the bar";
    if (stretch) {
      // The whole picture in 30 columns: its ten stripes are 3 pixels wide.
      EXPECT_EQ(At(1, 5), kRed);
      EXPECT_EQ(At(4, 5), kBlue);
      EXPECT_EQ(At(28, 5), kBlue);
    } else {
      // Cut: the first three stripes at their own size.
      EXPECT_EQ(At(5, 5), kRed);
      EXPECT_EQ(At(15, 5), kBlue);
      EXPECT_EQ(At(25, 5), kRed);
    }
  }
  std::remove(path.c_str());
  rmdir(folder);
}

TEST_F(ProgressTest, SliderThumbAndBarFollowTheValue) {
  Slider slider;
  slider.SetAttribute(u"progresscolor", u"red");
  slider.SetPos(UiRect{0, 0, 110, 20});
  slider.SetValue(50);
  EXPECT_EQ(slider.GetThumbRect(), (UiRect{50, 5, 60, 15}));
  EXPECT_EQ(slider.GetProgressPos().right, 55);
  Paint(slider);
  EXPECT_EQ(ColumnsOf(10, kRed), 55);

  slider.SetAttribute(u"hor", u"false");
  slider.SetPos(UiRect{0, 0, 20, 110});
  EXPECT_EQ(slider.GetThumbRect(), (UiRect{5, 50, 15, 60}));
}

TEST_F(ProgressTest, SliderDragSetsTheValueAndReleaseFiresValueChange) {
  Window window;
  Box* root = new Box();
  Slider* slider = new Slider();
  root->Add(slider);
  window.AttachRoot(root);
  slider->SetPos(UiRect{0, 0, 110, 20});
  slider->SetValue(0);
  std::vector<double> changes;
  slider->AttachEvent(kEventValueChange, [&](EventArgs* e) {
    EXPECT_EQ(e->pSender, slider);
    return changes.push_back(slider->GetValue()), true;
  });

  Send(slider, kEventMouseButtonDown, UiPoint{5, 10});  // on the thumb
  EXPECT_TRUE(slider->IsMouseFocused());
  Send(slider, kEventMouseMove, UiPoint{55, 10});
  EXPECT_DOUBLE_EQ(slider->GetValue(), 50);
  EXPECT_TRUE(changes.empty()) << "no event while dragging";
  Send(slider, kEventMouseMove, UiPoint{500, 10});
  EXPECT_DOUBLE_EQ(slider->GetValue(), 100) << "clamped at the end";
  Send(slider, kEventMouseButtonUp, UiPoint{30, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  EXPECT_DOUBLE_EQ(slider->GetValue(), 25);
  EXPECT_EQ(changes, std::vector<double>{25});

  // A press off the thumb does not drag; a release anywhere sets the value.
  Send(slider, kEventMouseButtonDown, UiPoint{90, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  Send(slider, kEventMouseMove, UiPoint{90, 10});
  EXPECT_DOUBLE_EQ(slider->GetValue(), 25);
  Send(slider, kEventMouseButtonUp, UiPoint{105, 10});
  EXPECT_DOUBLE_EQ(slider->GetValue(), 100) << "five pixels from the right edge";
  Send(slider, kEventMouseButtonUp, UiPoint{2, 10});
  EXPECT_DOUBLE_EQ(slider->GetValue(), 0);
  EXPECT_EQ(changes.size(), 3u);

  // The wheel steps without clamping; the next paint clamps.
  slider->SetAttribute(u"step", u"5");
  slider->SetValue(98);
  Send(slider, kEventMouseScrollWheel, UiPoint{50, 10}, 120);
  EXPECT_DOUBLE_EQ(slider->GetValue(), 103);
  Paint(*slider);
  EXPECT_DOUBLE_EQ(slider->GetValue(), 100);
  EXPECT_EQ(changes.size(), 4u);
}

TEST_F(ProgressTest, SliderRangesThatWouldDivideByZeroOrOverflow) {
  Slider flat;
  flat.SetAttribute(u"min", u"10");
  flat.SetAttribute(u"max", u"10");
  flat.SetPos(UiRect{0, 0, 110, 20});
  EXPECT_EQ(flat.GetThumbRect(), (UiRect{0, 5, 10, 15}));
  EXPECT_EQ(flat.GetProgressPos().right, 5);
  Send(&flat, kEventMouseButtonUp, UiPoint{50, 10});
  EXPECT_DOUBLE_EQ(flat.GetValue(), 10);
  Paint(flat);

  // As wide as its thumb: no track to divide by.
  Slider narrow;
  narrow.SetAttribute(u"thumbsize", u"10,10");
  narrow.SetPos(UiRect{0, 0, 10, 20});
  narrow.SetValue(50);
  for (int x = -2; x <= 12; ++x) {
    Send(&narrow, kEventMouseButtonUp, UiPoint{x, 10});
    EXPECT_GE(narrow.GetValue(), 0) << x;
    EXPECT_LE(narrow.GetValue(), 100) << x;
  }
  Slider narrower;
  narrower.SetAttribute(u"hor", u"false");
  narrower.SetAttribute(u"thumbsize", u"10,30");
  narrower.SetPos(UiRect{0, 0, 20, 20});
  Send(&narrower, kEventMouseButtonUp, UiPoint{10, 10});
  EXPECT_GE(narrower.GetValue(), 0);
  Paint(narrower);

  // A range near the limits of an int: the point times the range is far
  // beyond 32 bits.
  Slider wide;
  wide.SetAttribute(u"min", u"-2000000000");
  wide.SetAttribute(u"max", u"2000000000");
  wide.SetPos(UiRect{0, 0, 110, 20});
  Send(&wide, kEventMouseButtonUp, UiPoint{80, 10});
  EXPECT_NEAR(wide.GetValue(), -2e9 + 75.0 / 100 * 4e9, 1);
  wide.SetValue(0);
  EXPECT_EQ(wide.GetThumbRect().left, 50);
}

TEST_F(ProgressTest, CircleArcSitsInTheMiddleAndSweepsWithTheValue) {
  CircleProgress circle;
  circle.SetAttribute(u"circlewidth", u"4");
  circle.SetAttribute(u"bgcolor", u"blue");
  circle.SetAttribute(u"fgcolor", u"red");
  circle.SetPos(UiRect{0, 0, 100, 60});
  circle.SetValue(50);
  EXPECT_EQ(circle.GetArcRect(), (UiRect{23, 3, 77, 57}));
  EXPECT_FLOAT_EQ(circle.GetSweepAngle(), 180);
  circle.SetAttribute(u"clockwise", u"false");
  EXPECT_FLOAT_EQ(circle.GetSweepAngle(), -180);
  circle.SetAttribute(u"clockwise", u"true");

  Paint(circle);
  // The arc runs through (50, 3) at the top and (50, 57) at the bottom, the
  // right half in the foreground colour, the left in the background.
  const uint32_t right = At(77, 30);
  const uint32_t left = At(23, 30);
  EXPECT_GT((right >> 16) & 0xFF, 0x80u) << std::hex << right;
  EXPECT_EQ(right & 0xFF, 0u);
  EXPECT_GT(left & 0xFF, 0x80u) << std::hex << left;
  EXPECT_EQ((left >> 16) & 0xFF, 0u);
  EXPECT_EQ(At(50, 30), 0u) << "the middle stays empty";

  circle.SetAttribute(u"circular", u"false");
  Paint(circle);
  EXPECT_EQ(At(77, 30), 0u);
}

TEST_F(ProgressTest, CircleGradientRunsFromTopToBottom) {
  CircleProgress circle;
  circle.SetAttribute(u"circlewidth", u"6");
  circle.SetAttribute(u"fgcolor", u"red");
  circle.SetAttribute(u"gradientcolor", u"blue");
  circle.SetPos(UiRect{0, 0, 100, 100});
  circle.SetValue(100);
  Paint(circle);
  const uint32_t top = At(50, 4);
  const uint32_t bottom = At(50, 95);
  EXPECT_GT((top >> 16) & 0xFF, top & 0xFF) << std::hex << top;
  EXPECT_GT(bottom & 0xFF, (bottom >> 16) & 0xFF) << std::hex << bottom;
}

}  // namespace
}  // namespace ui::testing
