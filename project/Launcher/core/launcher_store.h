#pragma once
// The launcher's process-wide state: the gate configuration, the user's
// settings and download log, the identifiers of this installation, the
// versions and version maps, the configuration of the main window's pages,
// and the flags the update flow leaves for the shut-down. It mirrors the
// user's settings and the download log in small files of the "save" folder.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_settings.h"
#include "project/Launcher/core/store_hooks.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/usage_events.h"

// A button of the main window's link bar.
struct CommunityLink {
  std::string normalImage;
  std::string hotImage;
  std::string tooltip;
  std::string linkKey;

  bool operator==(const CommunityLink&) const = default;
};

// The twelve slots of the version-map table.
inline constexpr std::array<const char*, 12> kVersionMapSlots = {
    "_launcher_patch_version_",    "_local_launcher_version_",
    "_remote_launcher_version_",   "_update_launcher_version_",
    "_game_patch_version_",        "_local_game_version_",
    "_remote_game_version_",       "_update_game_version_",
    "_predownload_patch_version_", "_local_predownload_version_",
    "_remote_predownload_version_", "_update_predownload_version_"};

// Bytes each drive needs before an install or an update: 4 GiB.
inline constexpr uint64_t kRequiredDiskSpace = uint64_t{1} << 32;
// The amount as the messages show it ("%5.2fG" of 4.0).
inline constexpr char16_t kRequiredDiskSpaceText[] = u" 4.00G";

class LauncherStore : public UsageEventStore {
 public:
  // The process's store, created on first use.
  static LauncherStore& GetInstance();

  // A store of its own (tests); the program uses GetInstance.
  LauncherStore();
  ~LauncherStore() override;
  LauncherStore(const LauncherStore&) = delete;
  LauncherStore& operator=(const LauncherStore&) = delete;

  void SetHooks(StoreHooks hooks) { hooks_ = std::move(hooks); }
  // The program's folder (with its trailing separator) and full path; taken
  // from the running executable unless set.
  void SetProgramLocation(const std::u16string& folder, const std::u16string& path);
  const std::u16string& ProgramFolder() const { return programFolder_; }
  std::u16string DefaultGameFolder() const;

  // Initialisation on the UI thread: save folder, extra configuration,
  // settings (or first-run defaults), download log, game identifier, language,
  // gate configuration, fonts, rename map. |languageOverride| is the code the
  // command line gave, or empty.
  void Init(const std::u16string& languageOverride = std::u16string());

  // User settings, download log and small files.
  bool LoadSettings();
  void SaveSettings();
  bool LoadDownloadLog();
  void SaveDownloadLog();
  bool LoadExtraConfig();
  void LoadGid();
  bool GameExeExists(const std::u16string& folder = std::u16string()) const;
  void ApplySettings(const LauncherSettings& edited);

  // Gate and channel configuration, public address.
  void LoadGateConfig();
  bool LoadCommonConfig();
  void PublicAddressReply(int32_t resultCode, const std::string& body);

  // Version maps and versions.
  VersionMap& ResetVersionMap(const std::string& slot);
  void ResetAllVersionMaps();
  void ReloadLauncherVersion();
  void ReloadGameVersion();
  bool IsGameUpdateAvailable() const;
  bool HasUnfinishedGameUpdate() const;
  bool LoadLocalGameVersionMap();
  int32_t CheckPreDownloadMap();
  int32_t PrunePreDownloadFolders();
  bool HasUnfinishedPreDownload() const;
  void ReloadPreDownloadFolders();
  // The folder of a pre-download version; empty unless the version is a
  // strict triple.
  std::string PreDownloadVersionFolder(const std::string& version) const;

  // Disk-space checks.
  bool CheckInstallDiskSpace(std::function<void(int32_t)> continuation);
  bool CheckUpdateDiskSpace(std::function<void(int32_t)> continuation);
  bool CheckDriveSpace(const std::u16string& path, const std::u16string& message,
                       const std::string& firstButtonKey, const std::string& secondButtonKey,
                       const std::function<void(int32_t)>& continuation);

  // UsageEventStore.
  UsageEventStoreFacts UsageEventFacts() const override;

  // The game folder in UTF-8 with one trailing "/"; the default game folder
  // while the settings name none.
  std::string GameFolder() const;

  // The settings are written on the UI thread (ApplySettings, SetGamePath)
  // under the settings lock and read by the worker; a thread other than the
  // UI thread reads them through SettingsCopy.
  LauncherSettings SettingsCopy() const;
  void SetGamePath(const std::u16string& folder);

  // --- The record ---
  GateConfig gateConfig;
  LauncherSettings settings;
  DownloadLog downloadLog;
  std::string gid;
  std::string installPackageType;

  std::map<std::string, VersionMap> versionMaps;
  std::map<std::u16string, std::u16string> renameMap;

  bool firstTick = false;
  bool firstRun = false;
  bool closeQuestionPending = false;
  bool launcherReplaced = false;
  bool updateNoticePending = true;
  bool browserFilesChanged = false;
  bool fontsChanged = false;
  bool forceLauncherUpdate = false;
  int32_t skinPackageChanged = 0;
  bool languageChanged = false;
  bool enterGameAfterFlow = false;

  std::string launcherVersion = "1.0.0";
  std::string localGameVersion;
  std::string downloadingGameVersion;
  std::string displayGameVersion;
  std::string remoteGameVersion;

  std::vector<std::string> preDownloadFolders;
  std::string preDownloadVersion;
  uint64_t preDownloadSize = 0;
  bool preDownloadContinue = false;
  bool preDownloadPaused = false;
  bool preDownloadCheck = false;

  std::map<std::string, std::u16string> titleTexts;
  std::map<std::string, std::string> linkMap;
  std::vector<CommunityLink> communityLinks;

  std::string activityAddress;
  int32_t patchOption = 2;
  bool useWebExtraParam = false;
  std::string publicAddress;
  bool errorShown = false;
  bool messageBoxOpen = false;
  bool messageBoxRequested = false;
  bool deleteGameLog = false;

 private:
  // What ApplySettings changed, and the texts and limits of its usage event.
  struct SettingsChange {
    bool any = false;
    bool languageSwitched = false;
    bool gameLimitChanged = false;
    bool preDownloadLimitChanged = false;
    std::string closeText;
    std::string autostartText;
    int32_t gameLimit = 0;
    int32_t preDownloadLimit = 0;
  };
  SettingsChange TakeChangedSettings(const LauncherSettings& edited);

  std::string SaveFile(const char* name) const;
  std::u16string LanguageText(const std::string& key) const;
  void AskForMessageBox(bool viaShow, MessageBoxRequest request);

  mutable std::mutex settingsMutex_;  // guards writes of |settings| after Init
  StoreHooks hooks_;
  std::u16string programFolder_;
  std::u16string programPath_;
  bool programLocationSet_ = false;
};

// The machine's first IPv4 address in dotted form; empty when none.
std::string GetLocalHostAddress();

// True for a dotted IPv4 address "a.b.c.d" (decimal parts 0 to 255).
bool IsDottedIpv4(const std::string& text);
