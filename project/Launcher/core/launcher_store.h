#pragma once
// The launcher's process-wide state: the gate configuration, the user's
// settings and download log, the identifiers of this installation, the
// versions and version maps, the configuration of the main window's pages,
// and the flags the update flow leaves for the shut-down. It mirrors the
// user's settings and the download log in small files of the "save" folder.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "project/Launcher/core/dialog_host.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/game_window_list.h"
#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_settings.h"
#include "project/Launcher/core/store_game_services.h"
#include "project/Launcher/core/store_hooks.h"
#include "project/Launcher/core/store_relay.h"
#include "project/Launcher/core/store_state_machine.h"
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

// An entry of the main window's poster carousel.
struct PosterEntry {
  std::string image;
  std::string linkKey;
};

// A tab of the main window's news, with its entries.
struct NewsEntry {
  std::string text;
  std::string date;
  std::string tooltip;
  std::string linkKey;
};
struct NewsCategory {
  std::string name;
  std::vector<NewsEntry> entries;
};

class State;
class StoreDownloadHost;

// What the UI thread reads of the values the worker writes: published by the
// worker (whenever the current state changes, and after every tick) and read
// as one copy, so the UI never touches an object the worker may delete.
struct StoreUiView {
  int32_t stateType = -1;  // TypeId of the current state, -1 when none
  int32_t stateMode = 0;
  // Step of the pre-download state, -1 while none runs.
  int32_t preDownloadStep = -1;
  std::string launcherVersion;
  std::string localGameVersion;
  std::string displayGameVersion;
  std::string remoteGameVersion;
  int64_t totalBytes = 0;       // the download job's bytes
  int64_t downloadedBytes = 0;

  // As LauncherStore::IsGameUpdateAvailable, from the published copy.
  bool GameUpdateAvailable() const {
    return !remoteGameVersion.empty() && !localGameVersion.empty() &&
           remoteGameVersion != localGameVersion;
  }
  bool operator==(const StoreUiView&) const = default;
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
  void SetWindowHooks(WindowHooks hooks) { relay_.SetWindowHooks(std::move(hooks)); }
  // The boxes' opener (UI thread); without one every box request is answered
  // 0 at once.
  void SetDialogHost(DialogHost* host) { relay_.SetDialogHost(host); }
  // The first state of a flow; until one is set, flows start no state.
  void SetFirstStateFactory(FirstStateFactory factory) {
    machine_.SetFirstStateFactory(std::move(factory));
  }
  std::unique_ptr<State> MakeFirstState(int32_t mode) const;
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
  // Writes a copy taken under the download log's lock: the worker records its
  // statistics while the UI thread saves.
  void SaveDownloadLog();
  DownloadLog DownloadLogCopy() const;
  void UpdateDownloadLog(const std::function<void(DownloadLog&)>& change);
  bool LoadExtraConfig();
  void LoadGid();
  bool GameExeExists(const std::u16string& folder = std::u16string()) const;
  void ApplySettings(const LauncherSettings& edited);

  // Gate and channel configuration, public address.
  void LoadGateConfig();
  // The error of a failed gate request: says first when the gate settings
  // were unusable, since the built-in gates were asked in their place.
  std::string GateRequestFailureText(const std::string& transportError) const;
  bool LoadCommonConfig();
  // The echo service's answer: the address, or a negative result code. Then
  // the launcher's start report (a detail record and an attribution).
  void PublicAddressReply(int32_t resultCode, const std::string& body);
  // The same in the form of the download manager's memory-request callback.
  void PublicAddressReply(int32_t user, int32_t resultCode, const std::string& url,
                          const char* data, int64_t length, const std::string& error);

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

  // --- Worker start and stop (worker thread) ---
  void StartWorker();
  void StopWorker();

  // --- The parts of the store, each a class of its own ---
  // The update state machine (worker thread).
  StoreStateMachine& stateMachine() { return machine_; }
  // The relay to the main window and the requests across threads.
  StoreRelay& relay() { return relay_; }
  // The game's launch and windows, the skin reload, the repair, the links.
  StoreGameServices& gameServices() { return game_; }
  // What the UI framework hands the store (for its parts).
  const StoreHooks& hooks() const { return hooks_; }

  // --- The main window and the relay (store_relay.h) ---
  void RegisterMainWindow(WindowHandle window) { relay_.RegisterMainWindow(window); }
  WindowHandle mainWindow() const { return relay_.mainWindow(); }
  void PostToMainWindow(uint32_t message, uint64_t wParam, int64_t lParam) {
    relay_.PostToMainWindow(message, wParam, lParam);
  }

  // --- The update state machine (store_state_machine.h, worker thread) ---
  bool ChangeState(std::unique_ptr<State> next);
  void SetStateTrace(std::function<void(const std::string&)> trace) {
    machine_.SetTrace(std::move(trace));
  }
  void BeginFlow(std::unique_ptr<State> first, bool enterGame);
  bool TakeEnterGameRequest() { return machine_.TakeEnterGameRequest(); }
  State* currentState() const { return machine_.current(); }
  void RouteFileDone(int32_t token, int32_t code, std::string url, std::string errorText) {
    machine_.RouteFileDone(token, code, std::move(url), std::move(errorText));
  }
  void RouteRequestDone(int32_t token, int32_t code, std::string url, const char* body,
                        int64_t length, std::string errorText) {
    machine_.RouteRequestDone(token, code, std::move(url), body, length, std::move(errorText));
  }
  void RouteProbeDone(int32_t token, int32_t code, std::string url, bool exists,
                      std::string errorText) {
    machine_.RouteProbeDone(token, code, std::move(url), exists, std::move(errorText));
  }
  void RouteProgress(int32_t token, double bytesPerSecond) {
    machine_.RouteProgress(token, bytesPerSecond);
  }
  // Worker: publishes the current values for the UI thread. UI thread: reads
  // them.
  void PublishUiView();
  StoreUiView UiView() const;

  // --- Flow and dialog requests (store_relay.h) ---
  void StartLauncherCheck() { relay_.StartLauncherCheck(); }
  void StartGameCheck(bool enterGame, bool honourDisableAutoEnter) {
    relay_.StartGameCheck(enterGame, honourDisableAutoEnter);
  }
  // UI thread, for kMsgShowLauncher: wParam 1 starts the game flow (entering
  // the game when lParam is 1), wParam 2 the launcher check, and only while
  // no flow runs (no current state, or an idle game-flow state). True when a
  // flow was started.
  bool StartFlowOnShowRequest(uint64_t wParam, int64_t lParam) {
    return relay_.StartFlowOnShowRequest(wParam, lParam);
  }
  // Any thread: a message box is opened on the UI thread. ShowMessageBox also
  // sets the box-requested flag and counts the box as open until it answers
  // or turns out unable to open. A box that cannot open answers kBoxNotShown.
  void ShowMessageBox(MessageBoxRequest request) { relay_.ShowMessageBox(std::move(request)); }
  void RequestMessageBox(MessageBoxRequest request) { relay_.RequestMessageBox(std::move(request)); }
  // The error box of a failed flow: a message box with a detail line.
  void RequestErrorBox(MessageBoxRequest request) { relay_.RequestErrorBox(std::move(request)); }
  // The chosen index, or nothing when the box is dismissed; kBoxNotShown
  // when it cannot open.
  void ShowOptionsBox(OptionsBoxRequest request) { relay_.ShowOptionsBox(std::move(request)); }

  // --- The game, the skin, repair and links (store_game_services.h) ---
  // The platform argument of the game's launch ("set_platform" replaces it
  // at start-up, before the worker runs).
  std::string platformName = kDefaultGamePlatform;
  GameWindowList& gameWindows() { return game_.gameWindows(); }
  void FindGameWindows() { game_.FindGameWindows(); }
  void PostToGameWindows(uint32_t message, uint64_t wParam, int64_t lParam) {
    game_.PostToGameWindows(message, wParam, lParam);
  }
  bool ActivateGameWindow() { return game_.ActivateGameWindow(); }
  void OnGameRegister(GameWindow window) { game_.OnGameRegister(window); }
  bool HandleGameMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    return game_.HandleGameMessage(message, wParam, lParam);
  }
  bool LaunchGame(const std::string& launchParameter, int32_t slot) {
    return game_.LaunchGame(launchParameter, slot);
  }
  void ReloadSkinPackage(std::function<void()> continuation) {
    game_.ReloadSkinPackage(std::move(continuation));
  }
  void RepairGame() { game_.RepairGame(); }
  void OpenLink(const std::string& link, bool lookUp) { game_.OpenLink(link, lookUp); }

  // The current language table's text of a key (empty when missing).
  std::u16string LanguageText(const std::string& key) const;

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
  // The close button's choice (UI thread), written under the settings lock.
  void SetCloseToHide(bool hide);

  // --- The record ---
  GateConfig gateConfig;
  // Why "save/setting.json" is there but unusable (then the built-in gate
  // configuration holds); empty when it is usable or absent.
  std::string gateConfigProblem;
  LauncherSettings settings;
  DownloadLog downloadLog;
  std::string gid;
  std::string installPackageType;

  std::map<std::string, VersionMap> versionMaps;
  // Runs beside the current state (worker only).
  std::unique_ptr<State> preDownloadState;
  std::map<std::u16string, std::u16string> renameMap;
  // Worker only: files whose patch made something other than the map's file;
  // they are fetched whole until an apply succeeds.
  std::set<std::string> wholeFileOnly;

  bool firstTick = false;  // worker only
  bool firstRun = false;
  bool closeQuestionPending = false;
  std::atomic<bool> launcherReplaced{false};
  bool updateNoticePending = true;
  std::atomic<bool> browserFilesChanged{false};
  std::atomic<bool> fontsChanged{false};
  bool forceLauncherUpdate = false;
  int32_t skinPackageChanged = 0;
  bool languageChanged = false;
  // The last request of the UI thread; the flow it starts carries its own
  // copy (BeginFlow).
  std::atomic<bool> enterGameAfterFlow{false};

  std::string launcherVersion = "1.0.0";
  std::string localGameVersion;
  std::string downloadingGameVersion;
  std::string displayGameVersion;
  std::string remoteGameVersion;

  std::vector<std::string> preDownloadFolders;
  std::string preDownloadVersion;
  uint64_t preDownloadSize = 0;
  // The pre-download is to be (re)started when the update flow allows it.
  bool preDownloadRequested = false;
  // The user paused the pre-download; it is not restarted by itself.
  bool preDownloadPausedByUser = false;
  bool preDownloadCheck = false;

  std::map<std::string, std::u16string> titleTexts;
  std::map<std::string, std::string> linkMap;
  std::vector<CommunityLink> communityLinks;
  // The carousel and the news tabs: nothing in the launcher fills them.
  std::vector<PosterEntry> posters;
  std::vector<NewsCategory> newsCategories;

  std::string activityAddress;
  int32_t patchOption = 2;
  bool useWebExtraParam = false;
  std::string publicAddress;
  std::atomic<bool> errorShown{false};
  // Message boxes opened through ShowMessageBox and not answered yet: one
  // closing leaves "a box is open" while another still is.
  std::atomic<int32_t> openMessageBoxes{0};
  bool messageBoxOpen() const { return openMessageBoxes.load() > 0; }
  std::atomic<bool> messageBoxRequested{false};
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
  void AskForMessageBox(bool viaShow, MessageBoxRequest request);
  void PublishStateLocked();

  mutable std::mutex settingsMutex_;  // guards writes of |settings| after Init
  mutable std::mutex downloadLogMutex_;  // guards |downloadLog| once the worker runs
  std::unique_ptr<StoreDownloadHost> downloadHost_;
  StoreStateMachine machine_{[this] { PublishStateLocked(); }};
  StoreRelay relay_{*this};
  StoreGameServices game_{*this};
  mutable std::mutex viewMutex_;
  StoreUiView view_;
  StoreHooks hooks_;
  std::u16string programFolder_;
  std::u16string programPath_;
  bool programLocationSet_ = false;
};

// The machine's first IPv4 address in dotted form; empty when none.
std::string GetLocalHostAddress();

// True for a dotted IPv4 address "a.b.c.d" (decimal parts 0 to 255).
bool IsDottedIpv4(const std::string& text);
