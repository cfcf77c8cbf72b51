#include "project/Launcher/core/launcher_store.h"

#include <gtest/gtest.h>

#include "project/Launcher/services/system_info.h"
#include "tests/core/fake_event_services.h"
#include "tests/core/store_fixture.h"

namespace {

std::string DefaultSettingsText(int languageType, const std::string& gamePath) {
  return "{\n"
         "\t\"autoUpdate\" : true,\n"
         "\t\"automaticStart\" : false,\n"
         "\t\"closeToHide\" : false,\n"
         "\t\"downloadLimit\" : false,\n"
         "\t\"downloadSpeed\" : 4096,\n"
         "\t\"gamePath\" : \"" + gamePath + "\",\n"
         "\t\"languageType\" : " + std::to_string(languageType) + ",\n"
         "\t\"predlcLimit\" : false,\n"
         "\t\"predlcSpeed\" : 4096\n"
         "}";
}

}  // namespace

TEST(LauncherStoreInitTest, FirstRunDefaultsFollowTheLocale) {
  struct Case {
    const char* locale;
    bool gameBesideProgram;
    int storedType;
    int shownType;
    const char* code;
  } cases[] = {
      {"es_ES.UTF-8", true, 9, 9, "es"},
      {"ja_JP.UTF-8", false, 2, 3, "ko"},
      {"ar_SA.UTF-8", false, 0, 0, "en"},
      {"zh_SG.UTF-8", false, 4, 4, "zh_TW"},
      {"C", true, 0, 0, "en"},
  };
  for (const Case& c : cases) {
    ScopedStoreFolder scope(c.locale);
    if (c.gameBesideProgram) scope.folder.Write("prog/KVOR.exe", "exe");
    scope.store.Init();
    std::string gamePath =
        c.gameBesideProgram ? scope.folder.File("prog") : scope.folder.File("prog/Valdrenth Game");
    EXPECT_EQ(scope.folder.Read("save/EnvConfig.json"), DefaultSettingsText(c.storedType, gamePath))
        << c.locale;
    EXPECT_EQ(scope.store.settings.languageType, c.shownType) << c.locale;
    EXPECT_EQ(scope.store.settings.languageCode, c.code) << c.locale;
    EXPECT_TRUE(scope.store.firstRun);
    EXPECT_TRUE(scope.store.closeQuestionPending);
    EXPECT_EQ(scope.folder.Read("save/Log.json"),
              "{\n"
              "\t\"downloadSize\" : 0,\n"
              "\t\"downloadSpeed\" : 0,\n"
              "\t\"downloadTime\" : 0,\n"
              "\t\"downloadVersion\" : \"\",\n"
              "\t\"firstInstall\" : true\n"
              "}");
    EXPECT_EQ(scope.store.renameMap.size(), 2u);
  }
}

TEST(LauncherStoreInitTest, WronglyTypedSettingsAreKeptAndNotRewritten) {
  ScopedStoreFolder scope;
  scope.folder.Write("save/EnvConfig.json", R"({"downloadSpeed": "100"})");
  scope.store.Init();
  EXPECT_FALSE(scope.store.firstRun);
  EXPECT_EQ(scope.store.settings.downloadSpeed, 4096);
  EXPECT_EQ(scope.store.settings.gamePath, ScopedStoreFolder::U16(scope.folder.File("prog/Valdrenth Game")));
  EXPECT_EQ(scope.folder.Read("save/EnvConfig.json"), R"({"downloadSpeed": "100"})");
}

TEST(LauncherStoreInitTest, SettingsThatAreNotJsonAreReplacedByDefaults) {
  for (const std::string& broken : std::vector<std::string>{"not json at all", "[1, 2]", "",
                                                          "{}" + std::string(2u << 20, ' ')}) {
    ScopedStoreFolder scope;
    scope.folder.Write("save/EnvConfig.json", broken);
    scope.store.Init();
    EXPECT_TRUE(scope.store.firstRun) << broken.size();
    EXPECT_EQ(scope.folder.Read("save/EnvConfig.json"),
              DefaultSettingsText(0, scope.folder.File("prog/Valdrenth Game")));
  }
}

TEST(LauncherStoreInitTest, LanguageFromOverrideOrStoredIndex) {
  struct Case {
    const char* stored;
    std::u16string override;
    int type;
    const char* code;
  } cases[] = {
      {R"({"languageType": 0})", u"de", 15, "de"},
      {R"({"languageType": 0})", u"DE", 0, "en"},
      {R"({"languageType": 40})", u"", 40, "en"},
      {R"({"languageType": -3})", u"", -3, "en"},
      {R"({"languageType": 2})", u"", 3, "ko"},
      {R"({"languageType": 5})", u"ja", 3, "ko"},
  };
  for (const Case& c : cases) {
    ScopedStoreFolder scope;
    scope.folder.Write("save/EnvConfig.json", c.stored);
    std::string channel;
    StoreHooks hooks;
    hooks.setUiChannel = [&channel](const std::string& value) { channel = value; };
    scope.store.SetHooks(hooks);
    scope.store.Init(c.override);
    EXPECT_EQ(scope.store.settings.languageType, c.type) << c.stored;
    EXPECT_EQ(scope.store.settings.languageCode, c.code) << c.stored;
    EXPECT_EQ(channel, "KR");
  }
}

// A gate settings file that is there but unusable leaves the built-in gates
// in place, and a failed gate request then says the settings were unusable
// rather than only what the built-in gate's address did.
TEST(LauncherStoreInitTest, UnusableGateSettingsAreNamedWhenTheGateFails) {
  struct Case {
    const char* name;
    const char* text;  // nullptr: no file
    bool unusable;
  };
  const Case cases[] = {{"absent", nullptr, false},
                        {"usable", R"({"GateURLs": ["a"]})", false},
                        {"not JSON", "{\"GateURLs\": [", true},
                        {"empty", "", true},
                        {"an array", "[1, 2]", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedStoreFolder scope;
    if (c.text) scope.folder.Write("save/setting.json", c.text);
    scope.store.Init();
    EXPECT_EQ(!scope.store.gateConfigProblem.empty(), c.unusable) << scope.store.gateConfigProblem;
    const std::string text = scope.store.GateRequestFailureText("Couldn't resolve host name");
    if (c.unusable) {
      EXPECT_EQ(text.rfind("Settings unusable (save/setting.json: ", 0), 0u) << text;
      EXPECT_NE(text.find("Request Failed:Couldn't resolve host name"), std::string::npos);
    } else {
      EXPECT_EQ(text, "Request Failed:Couldn't resolve host name");
    }
  }
}

TEST(LauncherStoreInitTest, SmallFilesOfTheSaveFolder) {
  ScopedStoreFolder scope;
  scope.folder.Write("save/EnvConfig.json", "{\"gamePath\": \"" + scope.folder.File("game") + "\"}");
  scope.folder.Write("save/extra_config.txt", R"({"install_package_type": "steam"})");
  scope.folder.Write("game/save/gid.txt", "from-game-folder");
  scope.folder.Write("save/setting.json", R"({"GateURLs": ["a", "b"], "QaGate": 1})");
  scope.store.Init();
  EXPECT_EQ(scope.store.installPackageType, "steam");
  EXPECT_EQ(scope.store.gid, "from-game-folder");
  EXPECT_EQ(scope.store.gateConfig.GateURLs, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(scope.store.gateConfig.QaGate);

  scope.folder.Write("save/gid.txt", "gid-1\r\n");
  scope.store.LoadGid();
  EXPECT_EQ(scope.store.gid, "gid-1\r\n");

  // A file grown past any sensible size is not read into memory.
  std::filesystem::resize_file(scope.folder.File("save/gid.txt"), 2u << 20);
  scope.store.LoadGid();
  EXPECT_EQ(scope.store.gid, "from-game-folder");

  scope.folder.Write("save/extra_config.txt", R"({"install_package_type": {"x": 1}})");
  scope.store.installPackageType = "kept";
  EXPECT_TRUE(scope.store.LoadExtraConfig());
  EXPECT_EQ(scope.store.installPackageType, "kept");
}

TEST(LauncherStoreInitTest, GameExeMustBeAFileThatOpens) {
  ScopedStoreFolder scope;
  scope.store.settings.gamePath = ScopedStoreFolder::U16(scope.folder.File("game"));
  EXPECT_FALSE(scope.store.GameExeExists());
  std::filesystem::create_directories(scope.folder.File("game/KVOR.exe"));
  EXPECT_FALSE(scope.store.GameExeExists());
  scope.folder.Write("other/KVOR.exe", "x");
  EXPECT_TRUE(scope.store.GameExeExists(ScopedStoreFolder::U16(scope.folder.File("other"))));
}

class ApplySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StoreHooks hooks;
    hooks.applySpeedLimit = [this](int32_t mode) { limitModes_.push_back(mode); };
    scope_.store.SetHooks(hooks);
    scope_.folder.Write("save/EnvConfig.json", "{}");
    scope_.store.Init();
    std::filesystem::remove(scope_.folder.File("save/EnvConfig.json"));
  }

  LauncherSettings Edited() const { return scope_.store.settings; }
  bool Saved() const { return scope_.folder.Exists("save/EnvConfig.json"); }

  ScopedStoreFolder scope_;
  FakeEventEnvironment env_;
  FakeEventTransport transport_;
  ScopedEventServices services_{&scope_.store, &env_, &transport_};
  std::vector<int32_t> limitModes_;
};

TEST_F(ApplySettingsTest, AnUnchangedCopyChangesNothing) {
  scope_.store.ApplySettings(Edited());
  EXPECT_FALSE(Saved());
  EXPECT_TRUE(limitModes_.empty());
  EXPECT_TRUE(transport_.sent.empty());
  EXPECT_FALSE(scope_.store.languageChanged);
}

TEST_F(ApplySettingsTest, ClosingToExitSavesAndReportsTwo) {
  scope_.store.settings.closeToHide = true;
  LauncherSettings edited = Edited();
  edited.closeToHide = false;
  scope_.store.ApplySettings(edited);
  EXPECT_TRUE(Saved());
  Json::Value record = transport_.OnlyRecord();
  EXPECT_EQ(record["log_type"], "ovdnlepcstartersetting");
  EXPECT_EQ(record["close_set"], "2");
  EXPECT_FALSE(record.isMember("if_autostart"));
  EXPECT_EQ(record["install_speed_limit"], "0");
  EXPECT_EQ(transport_.sent[0].route, FakeEventTransport::Sent::kQueued);
}

TEST_F(ApplySettingsTest, LimitsAndLanguage) {
  LauncherSettings edited = Edited();
  edited.downloadLimit = true;
  edited.downloadSpeed = 300;
  edited.predlcSpeed = 200;  // limit off: sent as 0
  edited.languageType = 12;
  scope_.store.ApplySettings(edited);
  EXPECT_EQ(limitModes_, (std::vector<int32_t>{0, 1}));
  EXPECT_TRUE(scope_.store.languageChanged);
  EXPECT_EQ(scope_.store.settings.languageCode, "pt_BR");
  Json::Value record = transport_.OnlyRecord();
  EXPECT_EQ(record["install_speed_limit"], "300");
  EXPECT_EQ(record["pre_install_speed_limit"], "0");
  EXPECT_EQ(record["language"], "pt_BR");
  EXPECT_FALSE(record.isMember("close_set"));

  LauncherSettings outside = Edited();
  outside.languageType = -7;
  scope_.store.ApplySettings(outside);
  EXPECT_EQ(scope_.store.settings.languageCode, "en");
}

TEST_F(ApplySettingsTest, StartingWithTheSessionWritesTheAutostartEntry) {
  LauncherSettings edited = Edited();
  edited.automaticStart = true;
  scope_.store.ApplySettings(edited);
  EXPECT_TRUE(scope_.store.settings.automaticStart);
  EXPECT_NE(scope_.folder.Read("config/autostart/VDLLauncher.desktop")
                .find("\nX-VDLLauncher-Path=" + scope_.ProgramPath() + "\n"),
            std::string::npos);
  EXPECT_EQ(transport_.OnlyRecord()["if_autostart"], "1");

  // Already there with the same program: nothing is written, the setting stays on.
  scope_.store.settings.automaticStart = false;
  scope_.store.ApplySettings(edited);
  EXPECT_TRUE(scope_.store.settings.automaticStart);
  EXPECT_EQ(SetMachineRegistryString(u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                                     u"", u"VDLLauncher", ScopedStoreFolder::U16(scope_.ProgramPath())),
            0);

  edited.automaticStart = false;
  scope_.store.ApplySettings(edited);
  EXPECT_FALSE(scope_.folder.Exists("config/autostart/VDLLauncher.desktop"));
  EXPECT_EQ(transport_.sent.back().body.find("\"if_autostart\":\"0\"") != std::string::npos, true);
}

TEST_F(ApplySettingsTest, AnAutostartEntryThatCannotBeWrittenLeavesTheSettingOff) {
  scope_.folder.Write("blocker", "a file where the config folder should be");
  ::setenv("XDG_CONFIG_HOME", scope_.folder.File("blocker").c_str(), 1);
  LauncherSettings edited = Edited();
  edited.automaticStart = true;
  scope_.store.ApplySettings(edited);
  EXPECT_FALSE(scope_.store.settings.automaticStart);
  EXPECT_EQ(transport_.OnlyRecord()["if_autostart"], "0");
  EXPECT_TRUE(Saved());
}
