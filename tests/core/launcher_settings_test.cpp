#include "project/Launcher/core/launcher_settings.h"

#include <gtest/gtest.h>

#include "project/Launcher/services/json_helpers.h"
#include "tests/support/temp_folder.h"

namespace {

Json::Value Parse(const std::string& text) {
  Json::Value root;
  std::string error;
  EXPECT_TRUE(ParseJson(text, root, error)) << text;
  return root;
}

// The bytes of the file the store writes for |value|.
std::string WrittenText(const Json::Value& value) {
  TempFolder folder;
  EXPECT_TRUE(WriteJsonFile(folder.File("f.json"), value));
  return folder.Read("f.json");
}

}  // namespace

TEST(LauncherSettingsTest, SettingsFileHasTheCommonStyle) {
  LauncherSettings settings;
  settings.languageType = 9;
  settings.gamePath = u"/opt/\uac8c\uc784";
  settings.downloadLimit = true;
  settings.downloadSpeed = 512;
  EXPECT_EQ(WrittenText(SettingsToJson(settings)),
            "{\n"
            "\t\"autoUpdate\" : true,\n"
            "\t\"automaticStart\" : false,\n"
            "\t\"closeToHide\" : false,\n"
            "\t\"downloadLimit\" : true,\n"
            "\t\"downloadSpeed\" : 512,\n"
            "\t\"gamePath\" : \"/opt/\\uac8c\\uc784\",\n"
            "\t\"languageType\" : 9,\n"
            "\t\"predlcLimit\" : false,\n"
            "\t\"predlcSpeed\" : 4096\n"
            "}");
}

TEST(LauncherSettingsTest, KoreanGamePathSurvivesARoundTrip) {
  LauncherSettings written;
  written.gamePath = u"/home/\uc0ac\uc6a9\uc790/\uac8c\uc784";
  LauncherSettings read;
  SettingsFromJson(Parse(WrittenText(SettingsToJson(written))), &read);
  EXPECT_EQ(read, written);
}

TEST(LauncherSettingsTest, WronglyTypedMembersKeepTheirFieldsOneByOne) {
  struct Case {
    const char* json;
    LauncherSettings expected;
  };
  auto with = [](auto change) {
    LauncherSettings s;
    change(s);
    return s;
  };
  const Case cases[] = {
      {R"({"downloadSpeed": "100"})", LauncherSettings{}},
      {R"({"downloadSpeed": 100.0})", LauncherSettings{}},
      {R"({"downloadSpeed": 2147483648})", LauncherSettings{}},
      {R"({"downloadSpeed": -5})", with([](auto& s) { s.downloadSpeed = -5; })},
      {R"({"languageType": {"a": 1}, "closeToHide": true})",
       with([](auto& s) { s.closeToHide = true; })},
      {R"({"languageType": -3})", with([](auto& s) { s.languageType = -3; })},
      {R"({"gamePath": ["x"], "autoUpdate": 0})", LauncherSettings{}},
      {R"({"gamePath": 12, "predlcLimit": "true"})", LauncherSettings{}},
      {R"({"gamePath": "", "predlcSpeed": 7})", with([](auto& s) { s.predlcSpeed = 7; })},
      {R"({"automaticStart": null, "unknown": true})", LauncherSettings{}},
      {R"([1, 2, 3])", LauncherSettings{}},
      {R"("text")", LauncherSettings{}},
  };
  for (const Case& c : cases) {
    LauncherSettings settings;
    SettingsFromJson(Parse(c.json), &settings);
    EXPECT_EQ(settings, c.expected) << c.json;
  }
}

TEST(LauncherSettingsTest, DownloadLogFileAndItsCounters) {
  DownloadLog log;
  log.firstInstall = false;
  log.downloadSize = 5000000000;
  log.downloadSpeed = 1048576;
  log.downloadTime = 77;
  log.downloadVersion = "10077_0_1";
  EXPECT_EQ(WrittenText(DownloadLogToJson(log)),
            "{\n"
            "\t\"downloadSize\" : 5000000000,\n"
            "\t\"downloadSpeed\" : 1048576,\n"
            "\t\"downloadTime\" : 77,\n"
            "\t\"downloadVersion\" : \"10077_0_1\",\n"
            "\t\"firstInstall\" : false\n"
            "}");

  DownloadLog read;
  DownloadLogFromJson(Parse(WrittenText(DownloadLogToJson(log))), &read);
  EXPECT_EQ(read, log);

  DownloadLog skipped;
  DownloadLogFromJson(Parse(R"({"downloadSize": -1, "downloadSpeed": 1.5,
      "downloadTime": 18446744073709551615, "downloadVersion": 3, "firstInstall": 1})"),
                      &skipped);
  EXPECT_EQ(skipped, DownloadLog{});
}

TEST(LauncherSettingsTest, SpeedLimitNeverOverflows) {
  EXPECT_EQ(SpeedLimitBytesPerSecond(false, 4096), 0);
  EXPECT_EQ(SpeedLimitBytesPerSecond(true, 4096), 4096 * 204);
  EXPECT_EQ(SpeedLimitBytesPerSecond(true, INT32_MAX), int64_t{INT32_MAX} * 204);
  EXPECT_EQ(SpeedLimitBytesPerSecond(true, 0), 0);
  EXPECT_EQ(SpeedLimitBytesPerSecond(true, -1), 0);
}
