#include "ui/global_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/fonts/font_probe.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "tests/ui/pixel_fixture.h"
#include "tests/ui/zip_fixture.h"
#include "ui/dpi_manager.h"
#include "ui/language_table.h"
#include "ui/skin_archive.h"
#include "ui/string_util.h"
#include "ui/zip_reader.h"

namespace ui {
namespace {

class GlobalManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.SetDpi(96);
    platform::InstallWindowBackend(&backend_);
    DpiManager::GetInstance()->SetAdaptDPI(false);
    DpiManager::GetInstance()->SetScaleFromDpi(96);
  }
  void TearDown() override {
    GlobalManager::Shutdown();
    GlobalManager::RemoveAllImages();
    GlobalManager::RemoveAllTextColors();
    GlobalManager::RemoveAllClasss();
    SetProbedFontFaces(FontFaceSet::kSystem, {});
    SetProbedFontFaces(FontFaceSet::kButton, {});
    platform::InstallWindowBackend(nullptr);
    DpiManager::GetInstance()->SetAdaptDPI(false);
    DpiManager::GetInstance()->SetScaleFromDpi(96);
  }

  void Start(const std::u16string& root = u"resources\\") {
    GlobalManager::Startup(root, nullptr, u"themes\\default", u"en");
  }

  // The archive reads its bytes in place, so the fixture keeps them.
  void SetArchive(const std::vector<testing::ZipMemberSpec>& members) {
    zip_bytes_ = testing::BuildZip(members);
    SkinArchive::Set(OpenZipArchive(zip_bytes_.data(), zip_bytes_.size(), kZipFromMemory, nullptr));
    ASSERT_NE(SkinArchive::Get(), nullptr);
  }

  platform::MemoryBackend backend_;
  testing::TempDir dir_;
  std::string zip_bytes_;
};

TEST_F(GlobalManagerTest, MonitorDpiSetsTheScaleAndFontSizes) {
  backend_.SetDpi(144);
  Start();
  EXPECT_TRUE(DpiManager::GetInstance()->IsAdaptDpi());
  EXPECT_EQ(DpiManager::GetInstance()->GetScale(), 150);
  GlobalManager::AddFont(u"f12", u"DejaVu Sans", 12, false, false, false, false);
  ASSERT_NE(GlobalManager::GetFont(u"f12"), nullptr);
  EXPECT_EQ(GlobalManager::GetFont(u"f12")->iSize, 18);
  backend_.SetDpi(120);
  Start();
  EXPECT_EQ(DpiManager::GetInstance()->GetScale(), 125);
  EXPECT_EQ(DpiManager::GetInstance()->ScaleInt(12), 15);
  UiRect rect{10, 10, 30, 14};
  DpiManager::GetInstance()->ScaleRect(&rect);
  EXPECT_EQ(rect, (UiRect{13, 13, 38, 18}));
}

TEST_F(GlobalManagerTest, StartupKeepsTheFactoryAndResourcePath) {
  Start();
  ASSERT_NE(GlobalManager::GetRenderFactory(), nullptr);
  EXPECT_NE(GlobalManager::GetRenderFactory()->CreateRenderContext(), nullptr);
  EXPECT_EQ(GlobalManager::GetResourcePath(), u"resources\\themes\\default\\");
  EXPECT_EQ(GlobalManager::GetLanguage(), u"en");
  const struct {
    const char16_t* in;
    const char16_t* stored;
  } paths[] = {{u"skin", u"skin\\"}, {u"skin/", u"skin/"}, {u"", u""}};
  for (const auto& p : paths) {
    GlobalManager::SetResourcePath(p.in);
    EXPECT_EQ(GlobalManager::GetResourcePath(), p.stored);
  }
  GlobalManager::Shutdown();
  EXPECT_EQ(GlobalManager::GetRenderFactory(), nullptr);
}

TEST_F(GlobalManagerTest, FontTableKeepsTheFirstAndTheLaterDefault) {
  Start();
  GlobalManager::AddFont(u"system_12", u"DejaVu Sans", 12, false, false, false, true);
  GlobalManager::AddFont(u"system_button_12", u"DejaVu Sans", 12, true, false, false, true);
  EXPECT_EQ(GlobalManager::GetDefaultFontId(), u"system_button_12");
  EXPECT_EQ(GlobalManager::GetFont(u""), GlobalManager::GetFont(u"system_button_12"));
  EXPECT_EQ(GlobalManager::AddFont(u"system_12", u"Other", 20, false, false, false, false), nullptr);
  EXPECT_EQ(GlobalManager::GetFont(u"system_12")->iSize, 12) << "the first one stays";
  EXPECT_NE(GlobalManager::AddFont(u"", u"DejaVu Sans", 9, false, false, false, false), nullptr);
  EXPECT_NE(GlobalManager::GetFont(u"2"), nullptr) << "an empty id becomes the count";
  EXPECT_EQ(GlobalManager::GetFont(u"missing"), nullptr);
  GlobalManager::RemoveAllFonts();
  EXPECT_EQ(GlobalManager::GetFont(u"system_12"), nullptr);
}

TEST_F(GlobalManagerTest, SystemFaceFallsBackWhenTheProbeFindsNothing) {
  SetProbedFontFaces(FontFaceSet::kSystem, {u"DejaVu Sans", u"No Such Face Bold", u""});
  Start();
  EXPECT_TRUE(GlobalManager::IsProbedFaceAvailable(FontFaceSet::kSystem, 0));
  EXPECT_FALSE(GlobalManager::IsProbedFaceAvailable(FontFaceSet::kSystem, 1));
  EXPECT_FALSE(GlobalManager::IsProbedFaceAvailable(FontFaceSet::kSystem, 2));
  GlobalManager::AddFont(u"regular", u"system", 12, false, false, false, false);
  GlobalManager::AddFont(u"bold", u"system", 12, true, false, false, false);
  EXPECT_EQ(GlobalManager::GetFont(u"regular")->sFontName, u"DejaVu Sans");
  EXPECT_EQ(GlobalManager::GetFont(u"bold")->sFontName, u"\u5FAE\u8F6F\u96C5\u9ED1");
  EXPECT_TRUE(GlobalManager::GetFont(u"bold")->bBold);
}

TEST_F(GlobalManagerTest, FaceProbeNeedsTheFamilyItself) {
  EXPECT_TRUE(platform::IsFontFacePresent("DejaVu Sans"));
  EXPECT_TRUE(platform::IsFontFacePresent("dejavu sans"));
  EXPECT_FALSE(platform::IsFontFacePresent("No Such Face"));
  EXPECT_FALSE(platform::IsFontFacePresent(""));
}

TEST_F(GlobalManagerTest, ColoursAndClasses) {
  EXPECT_EQ(GlobalManager::GetTextColor(u"white"), 0u);
  GlobalManager::AddTextColor(u"white", 0xFFFFFFFF);
  GlobalManager::AddTextColor(u"white", 0xFFFEFEFE);
  EXPECT_EQ(GlobalManager::GetTextColor(u"white"), 0xFFFEFEFEu);
  GlobalManager::AddClass(u"btn", u"width=\"10\"");
  EXPECT_EQ(GlobalManager::GetClassAttributes(u"btn"), u"width=\"10\"");
  EXPECT_EQ(GlobalManager::GetClassAttributes(u"none"), u"");
  GlobalManager::RemoveAllTextColors();
  EXPECT_EQ(GlobalManager::GetTextColor(u"white"), 0u);
}

TEST_F(GlobalManagerTest, ImageCacheDecodesOnceWhileHeld) {
  const std::string png = testing::GridPng(2, 1, 1, {0xFF00FF00});
  const std::string file = (dir_.path() / "bk.png").string();
  dir_.Write("bk.png", png);
  const std::u16string path = Utf8ToUtf16(file);
  std::shared_ptr<ImageInfo> first = GlobalManager::GetImage(path);
  ASSERT_NE(first, nullptr);
  std::shared_ptr<ImageInfo> second = GlobalManager::GetImage(path);
  EXPECT_EQ(first.get(), second.get()) << "one decode while held";
  EXPECT_EQ(GlobalManager::GetCachedImage(path).get(), first.get());
  first.reset();
  second.reset();
  EXPECT_EQ(GlobalManager::GetCachedImage(path), nullptr) << "the last release drops the entry";
  std::shared_ptr<ImageInfo> again = GlobalManager::GetImage(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->nX, 2);
  EXPECT_EQ(GlobalManager::GetImage(path + u".missing"), nullptr);
}

TEST_F(GlobalManagerTest, ArchiveImagesAreKeyedInArchiveForm) {
  const std::string png = testing::GridPng(3, 1, 1, {0xFF0000FF});
  SetArchive({{"resources/themes/default/public/a.png", png}});
  std::shared_ptr<ImageInfo> image =
      GlobalManager::GetImage(u"resources\\themes\\default\\main\\..\\public\\a.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->sImageFullPath, u"resources/themes/default/public/a.png");
  EXPECT_EQ(image->nX, 3);
  EXPECT_EQ(GlobalManager::GetImage(u"resources/themes/default/public/a.png").get(), image.get());
}

TEST_F(GlobalManagerTest, LayoutReadsStopAtFourMiB) {
  const std::string small(3u << 20, 'a');
  const std::string large((4u << 20) + 1, 'b');
  SetArchive({{"small.xml", small}, {"large.xml", large}});
  std::string bytes;
  EXPECT_TRUE(GlobalManager::ReadZipEntry(u"small.xml", &bytes));
  EXPECT_EQ(bytes.size(), small.size());
  EXPECT_FALSE(GlobalManager::ReadZipEntry(u"large.xml", &bytes));
  EXPECT_FALSE(GlobalManager::ReadResourceFile(u"/large.xml", &bytes));
  EXPECT_TRUE(GlobalManager::ReadZipEntry(u"large.xml", &bytes, 8u << 20)) << "a larger bound when asked";
  EXPECT_EQ(bytes.size(), large.size());
}

TEST_F(GlobalManagerTest, ReadResourceFileFallsBackToDisk) {
  dir_.Write("layout.xml", "<Window/>");
  SetArchive({{"other.xml", "x"}});
  GlobalManager::SetResourcePath(Utf8ToUtf16(dir_.path().string()));
  std::string bytes;
  ASSERT_TRUE(GlobalManager::ReadResourceFile(u"layout.xml", &bytes));
  EXPECT_EQ(bytes, "<Window/>");
  EXPECT_FALSE(GlobalManager::ReadResourceFile(u"missing.xml", &bytes));
}

TEST_F(GlobalManagerTest, StartupLoadsTheLanguageTableFromTheArchive) {
  SetArchive({{"resources/lang/en.ini", "STRING_OK=Fine\n"}});
  Start();
  EXPECT_EQ(LanguageTable::GetInstance().GetText(u"STRING_OK"), u"Fine");
}

}  // namespace
}  // namespace ui
