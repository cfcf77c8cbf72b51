#include "platform/image/image_decoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "tests/ui/pixel_fixture.h"
#include "ui/image_info.h"

namespace platform {
namespace {

// A GIF of 1 x 1 frames, one palette index and delay (hundredths) a frame,
// with a palette of red, green, blue and white, looping forever.
std::string OnePixelGif(const std::vector<std::pair<int, int>>& frames) {
  std::string gif = "GIF89a";
  gif += std::string("\x01\x00\x01\x00\x81\x00\x00", 7);
  gif += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
  gif += std::string("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01\x00\x00\x00", 19);
  for (const auto& [index, delay] : frames) {
    gif += std::string("\x21\xF9\x04\x04", 4);
    gif += static_cast<char>(delay & 0xFF);
    gif += static_cast<char>(delay >> 8);
    gif += std::string("\x00\x00", 2);
    gif += std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
    // LZW, code size 2: clear (4), the index, end (5), three bits each.
    const unsigned bits = 4u | (static_cast<unsigned>(index) << 3) | (5u << 6);
    gif += std::string("\x02\x02", 2);
    gif += static_cast<char>(bits & 0xFF);
    gif += static_cast<char>(bits >> 8);
    gif += '\0';
  }
  gif += '\x3B';
  return gif;
}

std::string SaveWithGdkPixbuf(const char* type, int width, int height, uint32_t rgba) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  gdk_pixbuf_fill(pixbuf, rgba);
  gchar* buffer = nullptr;
  gsize size = 0;
  GError* error = nullptr;
  const bool saved = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, &error, nullptr);
  g_clear_error(&error);
  g_object_unref(pixbuf);
  std::string bytes = saved ? std::string(buffer, size) : std::string();
  g_free(buffer);
  return bytes;
}

TEST(ImageDecoderTest, GifGivesEveryFrameWithItsDelay) {
  const std::string gif = OnePixelGif({{0, 2}, {1, 4}, {2, 10}});
  std::optional<DecodedImage> image = DecodeImage(gif);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 1);
  EXPECT_EQ(image->height, 1);
  ASSERT_EQ(image->frames.size(), 3u);
  EXPECT_EQ(image->frame_delays, (std::vector<uint32_t>{2, 4, 10}));
  EXPECT_EQ(image->frames[0][0], 0xFFFF0000u);
  EXPECT_EQ(image->frames[1][0], 0xFF00FF00u);
  EXPECT_EQ(image->frames[2][0], 0xFF0000FFu);
  EXPECT_FALSE(image->has_alpha);

  std::unique_ptr<ui::ImageInfo> info = ui::ImageInfo::FromBytes(gif, u"anim.gif");
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->IsAnimation());
  // 20 ms plays at 100 ms, 40 ms at 50 ms, 100 ms as it is.
  EXPECT_EQ(info->GetFrameInterval(0), 100);
  EXPECT_EQ(info->GetFrameInterval(1), 50);
  EXPECT_EQ(info->GetFrameInterval(2), 100);
  EXPECT_FALSE(info->GetFrameInterval(3).has_value());
}

TEST(ImageDecoderTest, StillImageHasOneFrameAndNoDelays) {
  std::optional<DecodedImage> image = DecodeImage(OnePixelGif({{3, 0}}));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->frames.size(), 1u);
  EXPECT_TRUE(image->frame_delays.empty());
  EXPECT_EQ(image->frames[0][0], 0xFFFFFFFFu);
}

TEST(ImageDecoderTest, EachFormatDecodesToPremultipliedPixels) {
  const struct {
    const char* type;
    uint32_t rgba;
    uint32_t expected;
    int tolerance;
  } cases[] = {
      {"png", 0xFF000080, 0x80800000, 0},   // red at half alpha, premultiplied
      {"png", 0x00FF00FF, 0xFF00FF00, 0},   // opaque green
      {"jpeg", 0x0000FFFF, 0xFF0000FF, 8},  // lossy
      {"bmp", 0x102030FF, 0xFF102030, 0},
      {"ico", 0x80FF40FF, 0xFF80FF40, 0},
  };
  for (const auto& c : cases) {
    const std::string bytes = SaveWithGdkPixbuf(c.type, 16, 16, c.rgba);
    ASSERT_FALSE(bytes.empty()) << c.type;
    std::optional<DecodedImage> image = DecodeImage(bytes);
    ASSERT_TRUE(image.has_value()) << c.type;
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->height, 16);
    const uint32_t pixel = image->frames[0][8 * 16 + 8];
    for (int shift = 0; shift < 32; shift += 8) {
      EXPECT_NEAR(static_cast<int>((pixel >> shift) & 0xFF), static_cast<int>((c.expected >> shift) & 0xFF),
                  c.tolerance)
          << c.type << " channel " << shift;
    }
    EXPECT_EQ(image->has_alpha, (c.expected >> 24) != 0xFF) << c.type;
  }
}

TEST(ImageDecoderTest, CorruptBytesAreRefused) {
  const std::string png = ui::testing::GridPng(4, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  ASSERT_TRUE(DecodeImage(png).has_value());
  const std::string cases[] = {
      "",
      "not an image at all",
      png.substr(0, png.size() / 2),
      png.substr(0, 40),
      OnePixelGif({{0, 2}}).substr(0, 30),
  };
  for (const std::string& bytes : cases) EXPECT_FALSE(DecodeImage(bytes).has_value()) << bytes.size();
}

// The PNG's header rewritten to claim a size; its CRC made right again.
std::string WithClaimedSize(std::string png, uint32_t width, uint32_t height) {
  auto put32 = [&png](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(value >> (24 - 8 * i));
  };
  put32(16, width);
  put32(20, height);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
  put32(29, static_cast<uint32_t>(crc));
  return png;
}

TEST(ImageDecoderTest, OversizedImagesAreRefusedBeforeDecoding) {
  const std::string png = ui::testing::GridPng(4, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  EXPECT_FALSE(DecodeImage(WithClaimedSize(png, 60000, 60000)).has_value());
  EXPECT_FALSE(DecodeImage(WithClaimedSize(png, 20000, 1)).has_value());

  ImageDecodeLimits small;
  small.max_side = 7;
  EXPECT_FALSE(DecodeImage(png, small).has_value());
  ImageDecodeLimits few_bytes;
  few_bytes.max_decoded_bytes = 63;  // 8 x 8 x 4 = 256 needed
  EXPECT_FALSE(DecodeImage(png, few_bytes).has_value());
  ImageDecodeLimits short_input;
  short_input.max_input_bytes = png.size() - 1;
  EXPECT_FALSE(DecodeImage(png, short_input).has_value());
  ImageDecodeLimits two_frames;
  two_frames.max_frames = 2;
  EXPECT_FALSE(DecodeImage(OnePixelGif({{0, 2}, {1, 2}, {2, 2}}), two_frames).has_value());
  EXPECT_TRUE(DecodeImage(OnePixelGif({{0, 2}, {1, 2}}), two_frames).has_value());
}

}  // namespace
}  // namespace platform
