#include "ui/image_attribute.h"

#include <gtest/gtest.h>

#include "ui/dpi_manager.h"
#include "ui/image.h"

namespace ui {
namespace {

class ImageAttributeTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDpi(96); }
  void TearDown() override { SetDpi(96); }
  static void SetDpi(int dpi) {
    DpiManager::GetInstance()->SetAdaptDPI(dpi != 96);
    DpiManager::GetInstance()->SetScaleFromDpi(dpi);
  }
};

TEST_F(ImageAttributeTest, DestIsScaledUnlessDestscaleFalseCameBefore) {
  SetDpi(192);
  const struct {
    const char16_t* text;
    UiRect dest;
  } cases[] = {
      {u"dest='0,0,10,10'", {0, 0, 20, 20}},
      {u"destscale='false' dest='0,0,10,10'", {0, 0, 10, 10}},
      {u"dest='0,0,10,10' destscale='false'", {0, 0, 20, 20}},
      {u"destscale='true' dest='1,2,3,4'", {2, 4, 6, 8}},
  };
  for (const auto& c : cases) {
    ImageAttribute attribute;
    attribute.ApplyAttributeString(c.text);
    EXPECT_EQ(attribute.rcDest, c.dest);
  }
}

TEST_F(ImageAttributeTest, PairsAndTheirValues) {
  ImageAttribute attribute;
  attribute.ApplyAttributeString(
      u"file='bk.png' source='1,2,3,4' corner='5,6,7,8' fade='300' xtiled='true' ytiled='yes' "
      u"playcount='2'");
  EXPECT_EQ(attribute.sImageName, u"bk.png");
  EXPECT_EQ(attribute.rcSource, (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(attribute.rcCorner, (UiRect{5, 6, 7, 8}));
  EXPECT_EQ(attribute.bFade, 255);  // 300 is clamped, not wrapped to 44
  EXPECT_TRUE(attribute.bTiledX);
  EXPECT_FALSE(attribute.bTiledY);
  EXPECT_EQ(attribute.nPlayCount, 2);
  EXPECT_FALSE(ImageAttribute::IsRectSet(attribute.rcDest));
}

TEST_F(ImageAttributeTest, MalformedPairsEndTheParseKeepingEarlierOnes) {
  const struct {
    const char16_t* text;
    const char16_t* file;
    uint8_t fade;
  } cases[] = {
      {u"res='a.png' fade='10'", u"a.png", 10},
      {u"file='a.png'  fade='10'", u"a.png", 10},     // blanks skipped before a name
      {u"file='a.png',fade='10'", u"a.png", 255},     // no blank after the quote
      {u"file=\"a.png\" fade='10'", u"", 255},        // double quotes delimit nothing
      {u"file='a.png' fade'10'", u"a.png", 255},      // no "="
      {u"file='a.png' fade='10", u"a.png", 255},      // no closing quote
      {u"file='' fade='10'", u"", 10},                // an empty value changes nothing
      {u"colour='red' fade='7'", u"", 7},             // unknown names are ignored
      {u"file = 'a.png'", u"a.png", 255},
  };
  for (const auto& c : cases) {
    ImageAttribute attribute;
    attribute.ApplyAttributeString(c.text);
    EXPECT_EQ(attribute.sImageName, c.file) << std::string(c.text, c.text + 5);
    EXPECT_EQ(attribute.bFade, c.fade);
  }
}

TEST_F(ImageAttributeTest, ImageKeepsAPlainPathAsItsFile) {
  Image image;
  image.SetImageString(u"public/bk.png");
  EXPECT_EQ(image.imageAttribute.sImageName, u"public/bk.png");
  image.SetImageString(u"file=\"a.png\"");
  EXPECT_EQ(image.imageAttribute.sImageName, u"file=\"a.png\"");
  image.SetImageString(u"file='b.png' fade='9'");
  EXPECT_EQ(image.imageAttribute.sImageName, u"b.png");
  EXPECT_EQ(image.imageAttribute.simageString, u"file='b.png' fade='9'");
  image.SetImageString(u"c.png");
  EXPECT_EQ(image.imageAttribute.bFade, 255) << "reset first";
}

}  // namespace
}  // namespace ui
