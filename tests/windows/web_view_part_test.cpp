// The web view's page address and the link bar's usage-event action.
#include <gtest/gtest.h>

#include "project/Launcher/windows/web_view_part.h"

namespace {

TEST(WebViewPartTest, ActivityPageAddressTakesTheLanguage) {
  struct Case {
    const char* activity_url;
    const char* address;
    const char* language;
    const char* expected;
  };
  const Case cases[] = {
      // A fixed page is shown as it stands.
      {"http://127.0.0.1:8000/dev.html", "http://x/a?b=1", "ko", "http://127.0.0.1:8000/dev.html"},
      {"", "https://pub.example/act?id=3", "ko", "https://pub.example/act?id=3&lang=ko"},
      {"", "https://pub.example/act?id=3", "", "https://pub.example/act?id=3&lang=en"},
      // An address without a query gets one; one ending in "?" or "&" is
      // continued; a fragment stays last.
      {"", "https://pub.example/act", "en", "https://pub.example/act?lang=en"},
      {"", "https://pub.example/act?", "en", "https://pub.example/act?lang=en"},
      {"", "https://pub.example/act?a=1&", "en", "https://pub.example/act?a=1&lang=en"},
      {"", "https://pub.example/act?a=1#top", "zh_CN", "https://pub.example/act?a=1&lang=zh_CN#top"},
      // Before the gate has answered, or with an address that is not a web
      // page, nothing is loaded.
      {"", "", "ko", ""},
      {"", "file:///etc/passwd", "ko", ""},
      {"", "javascript:alert(1)", "ko", ""},
      {"ftp://x/", "", "ko", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WebViewPart::ComposeActivityUrl(c.activity_url, c.address, c.language), c.expected)
        << c.activity_url << " | " << c.address << " | " << c.language;
  }
}

TEST(WebViewPartTest, LinkActionDropsTheForumPrefix) {
  EXPECT_EQ(WebViewPart::LinkAction("Forum_facebook"), "facebook");
  EXPECT_EQ(WebViewPart::LinkAction("FAQ"), "FAQ");
  EXPECT_EQ(WebViewPart::LinkAction("MyForum_x"), "MyForum_x");
}

}  // namespace
