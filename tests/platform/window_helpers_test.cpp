#include <gtest/gtest.h>

#include "platform/window/pixel_ops.h"
#include "platform/window/size_limits.h"
#include "platform/window/window_backend.h"
#include "platform/window/window_region.h"
#include "platform/x11/x11_keys.h"

#include <X11/keysym.h>

#include <vector>

namespace platform {
namespace {

TEST(PixelOps, ConstantAlphaScalesEveryChannelWithExactRounding) {
  for (uint32_t alpha = 0; alpha < 256; ++alpha) {
    for (uint32_t c = 0; c < 256; ++c) {
      const uint32_t expected = (c * alpha + 127) / 255;
      const uint32_t pixel = (c << 24) | (c << 16) | (c << 8) | c;
      const uint32_t scaled = ScalePixel(pixel, static_cast<uint8_t>(alpha));
      ASSERT_EQ(scaled, (expected << 24) | (expected << 16) | (expected << 8) | expected)
          << "c=" << c << " alpha=" << alpha;
    }
  }
}

// The copy works several pixels at a time with a one-pixel tail: every width
// from 1 to 11 puts edge channel values in both, at every channel position,
// checked against the plain per-channel formula.
TEST(PixelOps, CopyWithConstantAlphaMatchesThePerChannelFormula) {
  const uint8_t edges[] = {0, 1, 2, 127, 128, 129, 253, 254, 255};
  std::vector<uint32_t> pixels;
  for (uint8_t a : edges) {
    for (uint8_t b : edges) {
      pixels.push_back(static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 |
                       static_cast<uint32_t>(255 - a) << 8 | static_cast<uint32_t>(255 - b));
      pixels.push_back(static_cast<uint32_t>(b) << 24 | static_cast<uint32_t>(a) << 16 |
                       static_cast<uint32_t>(b) << 8 | a);
    }
  }
  const auto expected_pixel = [](uint32_t pixel, uint32_t alpha) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t c = (pixel >> shift) & 0xFF;
      out |= ((c * alpha + 127) / 255) << shift;
    }
    return out;
  };
  for (uint32_t alpha : {0u, 1u, 2u, 127u, 128u, 129u, 200u, 253u, 254u}) {
    for (int width = 1; width <= 11; ++width) {
      const int height = static_cast<int>((pixels.size() + width - 1) / width);
      std::vector<uint32_t> src(static_cast<size_t>(width + 1) * height, 0xA5A5A5A5u);
      for (size_t i = 0; i < pixels.size(); ++i) src[i / width * (width + 1) + i % width] = pixels[i];
      std::vector<uint32_t> dst(static_cast<size_t>(width + 2) * height, 0x5A5A5A5Au);
      CopyWithConstantAlpha(src.data(), (width + 1) * 4, dst.data(), (width + 2) * 4, width, height,
                            static_cast<uint8_t>(alpha));
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width + 2; ++x) {
          const uint32_t got = dst[static_cast<size_t>(y) * (width + 2) + x];
          const uint32_t want = x < width ? expected_pixel(src[static_cast<size_t>(y) * (width + 1) + x], alpha)
                                          : 0x5A5A5A5Au;  // the padding stays untouched
          ASSERT_EQ(got, want) << "alpha=" << alpha << " width=" << width << " x=" << x << " y=" << y;
        }
      }
    }
  }
}

TEST(PixelOps, CopyHonoursBothStrides) {
  const uint32_t src[6] = {1, 2, 0xDEAD, 3, 4, 0xBEEF};  // 2 x 2 with one pixel of padding a row
  uint32_t dst[8] = {};
  CopyWithConstantAlpha(src, 12, dst, 16, 2, 2, 255);
  EXPECT_EQ(dst[0], 1u);
  EXPECT_EQ(dst[1], 2u);
  EXPECT_EQ(dst[2], 0u);
  EXPECT_EQ(dst[4], 3u);
  EXPECT_EQ(dst[5], 4u);
}

TEST(WindowRegion, RoundRectCutsTheCornersOnly) {
  const auto bands = RoundRectBands(100, 60, Size{20, 20});
  EXPECT_FALSE(BandsContain(bands, Point{0, 0}));
  EXPECT_FALSE(BandsContain(bands, Point{99, 0}));
  EXPECT_FALSE(BandsContain(bands, Point{0, 59}));
  EXPECT_FALSE(BandsContain(bands, Point{99, 59}));
  EXPECT_TRUE(BandsContain(bands, Point{50, 0}));
  EXPECT_TRUE(BandsContain(bands, Point{0, 30}));
  EXPECT_TRUE(BandsContain(bands, Point{99, 30}));
  EXPECT_TRUE(BandsContain(bands, Point{50, 59}));
  EXPECT_TRUE(BandsContain(bands, Point{5, 5}));
  // Bands are disjoint rows from top to bottom.
  for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].top, bands[i - 1].bottom);
  EXPECT_EQ(bands.front().top, 0);
  EXPECT_EQ(bands.back().bottom, 60);
}

TEST(WindowRegion, NoEllipseMeansTheWholeWindow) {
  const auto bands = RoundRectBands(30, 20, Size{0, 0});
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(bands[0], (Rect{0, 0, 30, 20}));
  EXPECT_TRUE(RoundRectBands(0, 20, Size{4, 4}).empty());
}

TEST(Monitors, NearestMonitorContainsThePointOrIsClosest) {
  const std::vector<MonitorInfo> monitors = {
      {Rect{0, 0, 100, 100}, Rect{0, 0, 100, 90}, true},
      {Rect{100, 0, 300, 100}, Rect{100, 0, 300, 100}, false},
  };
  EXPECT_EQ(MonitorNearestPoint(monitors, Point{150, 50})->monitor.left, 100);
  EXPECT_EQ(MonitorNearestPoint(monitors, Point{99, 50})->monitor.left, 0);
  EXPECT_EQ(MonitorNearestPoint(monitors, Point{500, -40})->monitor.left, 100);
  EXPECT_EQ(MonitorNearestPoint(monitors, Point{-5, 500})->monitor.left, 0);
  EXPECT_FALSE(MonitorNearestPoint({}, Point{}).has_value());
}

TEST(KeyTranslation, KeysymsBecomeWindowsVirtualKeys) {
  struct Case {
    KeySym keysym;
    uint32_t vk;
  } cases[] = {
      {XK_a, 'A'}, {XK_Z, 'Z'}, {XK_5, '5'}, {XK_F1, VK_F1}, {XK_F12, VK_F1 + 11},
      {XK_Return, VK_RETURN}, {XK_Tab, VK_TAB}, {XK_ISO_Left_Tab, VK_TAB}, {XK_Shift_R, VK_SHIFT},
      {XK_Control_L, VK_CONTROL}, {XK_Escape, VK_ESCAPE}, {XK_Left, VK_LEFT}, {XK_KP_3, VK_NUMPAD0 + 3},
      {XK_Delete, VK_DELETE}, {XK_minus, VK_OEM_MINUS}, {XK_dead_acute, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(x11::VirtualKeyFromKeysym(c.keysym), c.vk) << c.keysym;
}

// A drag from (100, 100) - (400, 300) with the track sizes 200 x 150 to
// 500 x 400: the dragged edges move, the opposite ones stay, the size stays
// within the bounds; the caption only moves.
TEST(DraggedRect, MovesTheDraggedEdgesWithinTheTrackSizes) {
  const Rect start{100, 100, 400, 300};
  SizeLimits limits;
  limits.min_track = Size{200, 150};
  limits.max_track = Size{500, 400};
  struct Case {
    LRESULT hit;
    Point delta;
    Rect expected;
  } cases[] = {
      {HTCAPTION, Point{-500, 40}, Rect{-400, 140, -100, 340}},
      {HTRIGHT, Point{50, 999}, Rect{100, 100, 450, 300}},
      {HTRIGHT, Point{999, 0}, Rect{100, 100, 600, 300}},
      {HTLEFT, Point{999, 0}, Rect{200, 100, 400, 300}},
      {HTLEFT, Point{-999, 0}, Rect{-100, 100, 400, 300}},
      {HTTOP, Point{0, -999}, Rect{100, -100, 400, 300}},
      {HTBOTTOM, Point{0, -999}, Rect{100, 100, 400, 250}},
      {HTTOPLEFT, Point{-20, 120}, Rect{80, 150, 400, 300}},
      {HTBOTTOMRIGHT, Point{-999, 999}, Rect{100, 100, 300, 500}},
  };
  for (const Case& c : cases) {
    const Rect r = DraggedRect(start, c.hit, c.delta, limits);
    EXPECT_EQ(r, c.expected) << "hit " << c.hit << " by " << c.delta.x << "," << c.delta.y;
  }
}

}  // namespace
}  // namespace platform
