// The channel configuration and the public address of the launcher store.

#include <gtest/gtest.h>

#include "project/Launcher/core/launcher_store.h"
#include "tests/services/fake_event_services.h"
#include "tests/core/store_fixture.h"

namespace {

constexpr char kChannelConfig[] = R"({
  "OverwriteStrings": [
    {"key": "STRING_A", "value": "\uac00"},
    {"key": 5, "value": "skipped"},
    {"key": "STRING_B"},
    "not a pair"
  ],
  "Titles": {
    "en": {"title_main": "Main", "title_sub": "Sub"},
    "ko": {"title_main": "\uba54\uc778", "title_sub": 7}
  },
  "Privacy": {"en": "https://p/en", "ko": "https://p/ko"},
  "Service": {"en": "https://s/en", "ko": {"url": "x"}},
  "FAQ": {
    "NormalImage": "faq.png", "HotImage": "faq_hot.png",
    "en": {"url": "https://faq/en", "Tooltips": "FAQ"}
  },
  "Forum": {
    "en": [
      {"name": "discord", "url": "https://d", "NormalImage": "d.png", "HotImage": "d_hot.png",
       "Tooltips": "Discord"},
      {"name": "x", "url": "https://x", "NormalImage": "x.png"},
      {"name": "youtube", "url": "https://y", "NormalImage": "y.png", "HotImage": "y_hot.png"},
      "not an object",
      {"name": "discord", "url": "https://d2", "NormalImage": "d.png", "HotImage": "d_hot.png"}
    ]
  }
})";

class ChannelConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StoreHooks hooks;
    hooks.readResourceFile = [this](const std::string& name, std::string* bytes) {
      auto it = resources_.find(name);
      if (it == resources_.end()) return false;
      *bytes = it->second;
      return true;
    };
    hooks.addLanguageOverride = [this](const std::string& key, const std::u16string& text) {
      overrides_.emplace_back(key, text);
    };
    scope_.store.SetHooks(hooks);
  }

  ScopedStoreFolder scope_;
  std::map<std::string, std::string> resources_;
  std::vector<std::pair<std::string, std::u16string>> overrides_;
};

}  // namespace

TEST_F(ChannelConfigTest, LanguageEntriesFallBackToEnglish) {
  resources_["common_config.json"] = kChannelConfig;
  LauncherStore& store = scope_.store;
  store.settings.languageCode = "pt_BR";
  ASSERT_TRUE(store.LoadCommonConfig());
  EXPECT_EQ(store.titleTexts, (std::map<std::string, std::u16string>{{"title_main", u"Main"},
                                                                     {"title_sub", u"Sub"}}));
  EXPECT_EQ(overrides_, (std::vector<std::pair<std::string, std::u16string>>{{"STRING_A", u"\uac00"}}));

  // The Korean entry exists: its bad members are left out, not taken from English.
  store.settings.languageCode = "ko";
  ASSERT_TRUE(store.LoadCommonConfig());
  EXPECT_EQ(store.titleTexts, (std::map<std::string, std::u16string>{{"title_main", u"\uba54\uc778"}}));
  EXPECT_EQ(store.linkMap.at("Privacy"), "https://p/ko");
  EXPECT_EQ(store.linkMap.count("Service"), 0u);
}

TEST_F(ChannelConfigTest, CommunityLinksInOrderWithTheFaqLast) {
  resources_["common_config_CHANNEL_KR.json"] = kChannelConfig;
  resources_["common_config.json"] = "{}";
  LauncherStore& store = scope_.store;
  ASSERT_TRUE(store.LoadCommonConfig());
  EXPECT_EQ(store.communityLinks,
            (std::vector<CommunityLink>{{"d.png", "d_hot.png", "Discord", "Forum_discord"},
                                        {"y.png", "y_hot.png", "", "Forum_youtube"},
                                        {"d.png", "d_hot.png", "", "Forum_discord"},
                                        {"faq.png", "faq_hot.png", "FAQ", "FAQ"}}));
  EXPECT_EQ(store.linkMap, (std::map<std::string, std::string>{{"FAQ", "https://faq/en"},
                                                               {"Forum_discord", "https://d2"},
                                                               {"Forum_youtube", "https://y"},
                                                               {"Privacy", "https://p/en"},
                                                               {"Service", "https://s/en"}}));
}

TEST_F(ChannelConfigTest, AMissingOrBrokenFileKeepsWhatWasLoaded) {
  LauncherStore& store = scope_.store;
  EXPECT_FALSE(store.LoadCommonConfig());
  resources_["common_config.json"] = kChannelConfig;
  ASSERT_TRUE(store.LoadCommonConfig());
  resources_["common_config_CHANNEL_KR.json"] = "{ broken";
  EXPECT_FALSE(store.LoadCommonConfig());
  EXPECT_EQ(store.communityLinks.size(), 4u);
  EXPECT_EQ(store.titleTexts.at("title_main"), u"Main");

  // Sections of the wrong shape are skipped without harm.
  resources_["common_config_CHANNEL_KR.json"] =
      R"({"Titles": ["x"], "Forum": {"en": {"name": "a"}}, "FAQ": "faq", "OverwriteStrings": {}})";
  ASSERT_TRUE(store.LoadCommonConfig());
  EXPECT_TRUE(store.titleTexts.empty());
  EXPECT_TRUE(store.communityLinks.empty());
  EXPECT_TRUE(store.linkMap.empty());
}

TEST(PublicAddressTest, OnlyADottedAddressIsTakenFromTheEcho) {
  struct Case {
    int32_t result;
    std::string body;
    std::string address;  // empty: the local address
  } cases[] = {
      {0, "203.0.113.7\r\n", "203.0.113.7"},
      {0, " 198.51.100.1 ", "198.51.100.1"},
      {0, "<html>error</html>", ""},
      {0, "2001:db8::1", ""},
      {0, "999.1.1.1", ""},
      {0, "", ""},
      {-3, "203.0.113.7", ""},
  };
  for (const Case& c : cases) {
    ScopedStoreFolder scope;
    FakeEventEnvironment env;
    FakeEventTransport transport;
    ScopedEventServices services(&scope.store, &env, &transport);
    scope.store.PublicAddressReply(c.result, c.body);
    std::string expected = c.address.empty() ? GetLocalHostAddress() : c.address;
    EXPECT_EQ(scope.store.publicAddress, expected) << c.body;
    ASSERT_EQ(transport.sent.size(), 2u);
    EXPECT_EQ(transport.sent[0].route, FakeEventTransport::Sent::kPostedJson);
    EXPECT_NE(transport.sent[0].body.find("\"action_id\":\"13\""), std::string::npos);
    EXPECT_NE(transport.sent[0].body.find("\"ip\":\"" + expected + "\""), std::string::npos);
    EXPECT_EQ(transport.sent[1].route, FakeEventTransport::Sent::kSentNow);
    EXPECT_EQ(transport.sent[1].url, transport.AttributionUrl());
    EXPECT_NE(transport.sent[1].body.find("event_name=click_launch_start_open&"),
              std::string::npos);
  }
}

TEST(PublicAddressTest, MemoryRequestFormTakesTheBodyBytes) {
  ScopedStoreFolder scope;
  const std::string body = "192.0.2.5\n";
  scope.store.PublicAddressReply(7, 0, "https://echo.test/", body.data(),
                                 static_cast<int64_t>(body.size()), "");
  EXPECT_EQ(scope.store.publicAddress, "192.0.2.5");
  const std::string page = "192.0.2.5" + std::string(100, ' ');
  scope.store.PublicAddressReply(7, 0, "https://echo.test/", page.data(),
                                 static_cast<int64_t>(page.size()), "");
  EXPECT_EQ(scope.store.publicAddress, GetLocalHostAddress());
  scope.store.PublicAddressReply(7, 0, "https://echo.test/", nullptr, 5, "");
  EXPECT_EQ(scope.store.publicAddress, GetLocalHostAddress());
}

TEST(PublicAddressTest, DottedAddresses) {
  for (const char* good : {"0.0.0.0", "255.255.255.255", "10.1.2.3"}) {
    EXPECT_TRUE(IsDottedIpv4(good)) << good;
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", "1.2.3.4 ", "a.b.c.d",
                          "::1"}) {
    EXPECT_FALSE(IsDottedIpv4(bad)) << bad;
  }
  EXPECT_FALSE(IsDottedIpv4(std::string("1.2.3.4\0x", 9)));
}
