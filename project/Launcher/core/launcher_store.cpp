#include "project/Launcher/core/launcher_store.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/util/module_util.h"
#include "base/util/string_util.h"
#include "platform/autostart/autostart_entry.h"
#include "platform/hostaddr/host_address.h"
#include "platform/locale/user_locale.h"
#include "project/Launcher/core/bounded_file.h"
#include "project/Launcher/core/flow/pre_download_state.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_languages.h"
#include "project/Launcher/core/store_download_host.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/system_info.h"

namespace {

constexpr char kSettingsFile[] = "EnvConfig.json";
constexpr char kDownloadLogFile[] = "Log.json";
constexpr char kExtraConfigFile[] = "extra_config.txt";
constexpr char kGidFile[] = "gid.txt";
constexpr char kGateConfigFile[] = "setting.json";
constexpr char kGameExe[] = "KVOR.exe";
constexpr char kFallbackLanguage[] = "en";
constexpr char16_t kRunKeyWow64[] = u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kRunKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kAutostartValue[] = u"VDLLauncher";

// True when |path| is an existing regular file that opens for reading.
bool FileOpensForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

bool ReadJsonFile(const std::string& path, Json::Value* root) {
  std::string text;
  std::string error;
  return ReadBoundedFile(path, kMaxSmallFileBytes, &text) && ParseJson(text, *root, error);
}

void ReplaceAll(std::u16string* text, const std::u16string& from, const std::u16string& to) {
  for (size_t at = text->find(from); at != std::u16string::npos;
       at = text->find(from, at + to.size())) {
    text->replace(at, from.size(), to);
  }
}

// Substitutes |value| for the first "%ls" or "%s" of a language text; the
// text is never used as a format.
std::u16string SubstituteFirstStringPlaceholder(std::u16string text, const std::u16string& value) {
  size_t wide = text.find(u"%ls");
  size_t narrow = text.find(u"%s");
  if (wide != std::u16string::npos && (narrow == std::u16string::npos || wide <= narrow)) {
    return text.replace(wide, 3, value);
  }
  if (narrow != std::u16string::npos) return text.replace(narrow, 2, value);
  return text;
}

std::string StringMember(const Json::Value& object, const char* key) {
  if (!object.isObject()) return std::string();
  const Json::Value& value = object[key];
  return value.isString() ? value.asString() : std::string();
}

// The entry of |code| in a section, else that of "en"; found as sections are
// (FindJsonKey), so null entries do not count.
bool PickLanguageEntry(const Json::Value& section, const std::string& code, Json::Value* entry) {
  return FindJsonKey(section, code, *entry) || FindJsonKey(section, kFallbackLanguage, *entry);
}

}  // namespace

LauncherStore& LauncherStore::GetInstance() {
  static LauncherStore store;
  return store;
}

LauncherStore::LauncherStore()
    : programFolder_(kbase::GetModuleDirectory()), programPath_(kbase::GetModuleFileName()) {}

LauncherStore::~LauncherStore() = default;

void LauncherStore::SetProgramLocation(const std::u16string& folder, const std::u16string& path) {
  programFolder_ = NormalizePathW(folder, true);
  programPath_ = path;
  programLocationSet_ = true;
}

std::u16string LauncherStore::DefaultGameFolder() const {
  if (!programLocationSet_) return DefaultGameFolderW();
  return NormalizePathW(programFolder_, true) + u"Valdrenth Game";
}

std::string LauncherStore::SaveFile(const char* name) const {
  return NormalizePath(SaveFolder(), true) + name;
}

std::string LauncherStore::GameFolder() const {
  std::u16string folder;
  {
    std::lock_guard<std::mutex> hold(settingsMutex_);
    folder = settings.gamePath;
  }
  if (folder.empty()) folder = DefaultGameFolder();
  return NormalizePath(kbase::UTF16ToUTF8(folder), true);
}

LauncherSettings LauncherStore::SettingsCopy() const {
  std::lock_guard<std::mutex> hold(settingsMutex_);
  return settings;
}

void LauncherStore::SetGamePath(const std::u16string& folder) {
  std::lock_guard<std::mutex> hold(settingsMutex_);
  settings.gamePath = folder;
}

void LauncherStore::SetCloseToHide(bool hide) {
  std::lock_guard<std::mutex> hold(settingsMutex_);
  settings.closeToHide = hide;
}

std::u16string LauncherStore::LanguageText(const std::string& key) const {
  return hooks_.languageText ? hooks_.languageText(key) : std::u16string();
}

void LauncherStore::AskForMessageBox(bool viaShow, MessageBoxRequest request) {
  const auto& hook = viaShow ? hooks_.showMessageBox : hooks_.requestMessageBox;
  if (hook) {
    hook(std::move(request));
  } else if (viaShow) {
    ShowMessageBox(std::move(request));
  } else {
    RequestMessageBox(std::move(request));
  }
}

void LauncherStore::Init(const std::u16string& languageOverride) {
  if (!platform::IsFolder(SaveFolder())) platform::CreateFolders(SaveFolder());
  firstRun = false;
  closeQuestionPending = false;

  if (!LoadExtraConfig()) installPackageType.clear();

  if (!LoadSettings()) {
    firstRun = true;
    closeQuestionPending = true;
    settings.languageType = LanguageIndexForPosixLocale(platform::UserLocaleName());
    std::u16string programFolder = NormalizePathW(programFolder_, false);
    settings.gamePath = FileOpensForReading(NormalizePath(kbase::UTF16ToUTF8(programFolder), true) +
                                            kGameExe)
                            ? programFolder
                            : DefaultGameFolder();
    SaveSettings();
  }

  if (!LoadDownloadLog()) {
    downloadLog = DownloadLog{};
    SaveDownloadLog();
  }

  LoadGid();
  if (settings.gamePath.empty()) settings.gamePath = DefaultGameFolder();

  if (!languageOverride.empty()) {
    if (std::optional<int> index = LanguageIndexForCode(kbase::UTF16ToUTF8(languageOverride))) {
      settings.languageType = *index;
    }
  }

  if (hooks_.setUiChannel) hooks_.setUiChannel("KR");

  // Japanese is shown in Korean; an index outside the table shows English
  // and keeps its value.
  if (settings.languageType == 2) settings.languageType = 3;
  settings.languageCode = LanguageCodeForIndex(settings.languageType);

  LoadGateConfig();
  if (hooks_.installFonts) hooks_.installFonts();

  renameMap[u"KVOR_Data/Resources/unity_default_resources"] =
      u"KVOR_Data/Resources/unity default resources";
  renameMap[u"KVOR_Data/Plugins/x86_64/VuplexWebViewChromium/Vuplex_WebView.vuplex"] =
      u"KVOR_Data/Plugins/x86_64/VuplexWebViewChromium/Vuplex WebView.vuplex";
}

// --- User settings, download log and small files ---

bool LauncherStore::LoadSettings() {
  Json::Value root;
  if (!ReadJsonFile(SaveFile(kSettingsFile), &root) || !root.isObject()) return false;
  SettingsFromJson(root, &settings);
  return true;
}

void LauncherStore::SaveSettings() {
  WriteJsonFile(SaveFile(kSettingsFile), SettingsToJson(SettingsCopy()));
}

bool LauncherStore::LoadDownloadLog() {
  Json::Value root;
  if (!ReadJsonFile(SaveFile(kDownloadLogFile), &root) || !root.isObject()) return false;
  DownloadLogFromJson(root, &downloadLog);
  return true;
}

void LauncherStore::SaveDownloadLog() {
  WriteJsonFile(SaveFile(kDownloadLogFile), DownloadLogToJson(DownloadLogCopy()));
}

DownloadLog LauncherStore::DownloadLogCopy() const {
  std::lock_guard<std::mutex> hold(downloadLogMutex_);
  return downloadLog;
}

void LauncherStore::UpdateDownloadLog(const std::function<void(DownloadLog&)>& change) {
  std::lock_guard<std::mutex> hold(downloadLogMutex_);
  change(downloadLog);
}

bool LauncherStore::LoadExtraConfig() {
  Json::Value root;
  if (!ReadJsonFile(SaveFile(kExtraConfigFile), &root)) return false;
  if (root.isObject() && root["install_package_type"].isString()) {
    installPackageType = root["install_package_type"].asString();
  }
  return true;
}

void LauncherStore::LoadGid() {
  gid.clear();
  std::string text;
  if (ReadBoundedFile(SaveFile(kGidFile), kMaxSmallFileBytes, &text) ||
      ReadBoundedFile(GameFolder() + "save/" + kGidFile, kMaxSmallFileBytes, &text)) {
    gid = text;
  }
}

bool LauncherStore::GameExeExists(const std::u16string& folder) const {
  std::string base = folder.empty() ? GameFolder() : NormalizePath(kbase::UTF16ToUTF8(folder), true);
  return FileOpensForReading(base + kGameExe);
}

LauncherStore::SettingsChange LauncherStore::TakeChangedSettings(const LauncherSettings& edited) {
  std::lock_guard<std::mutex> hold(settingsMutex_);
  SettingsChange change;
  if (edited.languageType != settings.languageType) {
    settings.languageType = edited.languageType;
    settings.languageCode = LanguageCodeForIndex(edited.languageType);
    change.languageSwitched = change.any = true;
  }
  if (edited.gamePath != settings.gamePath) {
    settings.gamePath = edited.gamePath;
    change.any = true;
  }
  if (edited.closeToHide != settings.closeToHide) {
    settings.closeToHide = edited.closeToHide;
    change.closeText = edited.closeToHide ? '1' : '2';
    change.any = true;
  }
  if (edited.downloadSpeed != settings.downloadSpeed ||
      edited.downloadLimit != settings.downloadLimit) {
    settings.downloadSpeed = edited.downloadSpeed;
    settings.downloadLimit = edited.downloadLimit;
    change.gameLimitChanged = change.any = true;
  }
  if (edited.predlcSpeed != settings.predlcSpeed || edited.predlcLimit != settings.predlcLimit) {
    settings.predlcSpeed = edited.predlcSpeed;
    settings.predlcLimit = edited.predlcLimit;
    change.preDownloadLimitChanged = change.any = true;
  }
  if (edited.automaticStart != settings.automaticStart) {
    if (edited.automaticStart) {
      // A value that cannot be written leaves the setting off.
      settings.automaticStart =
          SetMachineRegistryString(kRunKeyWow64, kRunKey, kAutostartValue, programPath_) >= 0;
    } else {
      platform::RemoveAutostartEntry(kbase::UTF16ToUTF8(kAutostartValue));  // errors are ignored
      settings.automaticStart = false;
    }
    change.autostartText = settings.automaticStart ? '1' : '0';
    change.any = true;
  }
  if (edited.autoUpdate != settings.autoUpdate) {
    settings.autoUpdate = edited.autoUpdate;
    change.any = true;
  }
  change.gameLimit = settings.downloadLimit ? settings.downloadSpeed : 0;
  change.preDownloadLimit = settings.predlcLimit ? settings.predlcSpeed : 0;
  return change;
}

void LauncherStore::ApplySettings(const LauncherSettings& edited) {
  SettingsChange change = TakeChangedSettings(edited);
  if (!change.any) return;
  SaveSettings();
  if (hooks_.applySpeedLimit) {
    if (change.gameLimitChanged) hooks_.applySpeedLimit(0);
    if (change.preDownloadLimitChanged) hooks_.applySpeedLimit(1);
  }
  if (change.languageSwitched) languageChanged = true;
  SendSettingEvent(this, change.autostartText, change.closeText, change.gameLimit,
                   change.preDownloadLimit);
}

// --- Gate and channel configuration, public address ---

void LauncherStore::LoadGateConfig() {
  gateConfigProblem.clear();
  const std::string path = SaveFile(kGateConfigFile);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  std::string text;
  std::string error;
  Json::Value root;
  if (!ReadBoundedFile(path, kMaxSmallFileBytes, &text)) {
    gateConfigProblem = "cannot be read";
  } else if (!ParseJson(text, root, error)) {
    gateConfigProblem = error;
  } else if (!root.isObject()) {
    gateConfigProblem = "not a JSON object";
  } else {
    GateConfigFromJson(root, &gateConfig);
  }
}

std::string LauncherStore::GateRequestFailureText(const std::string& transportError) const {
  if (gateConfigProblem.empty()) return "Request Failed:" + transportError;
  return "Settings unusable (save/setting.json: " + gateConfigProblem +
         "), so the built-in gates were asked: Request Failed:" + transportError;
}

bool LauncherStore::LoadCommonConfig() {
  if (!hooks_.readResourceFile) return false;
  std::string text;
  if (!hooks_.readResourceFile("common_config_CHANNEL_KR.json", &text) &&
      !hooks_.readResourceFile("common_config.json", &text)) {
    return false;
  }
  Json::Value root;
  std::string error;
  if (!ParseJson(text, root, error)) return false;

  titleTexts.clear();
  linkMap.clear();
  communityLinks.clear();
  const std::string& code = settings.languageCode;
  Json::Value section;
  Json::Value entry;

  if (FindJsonKey(root, "OverwriteStrings", section) && section.isArray()) {
    for (const Json::Value& pair : section) {
      if (!pair.isObject() || !pair["key"].isString() || !pair["value"].isString()) continue;
      if (hooks_.addLanguageOverride) {
        hooks_.addLanguageOverride(pair["key"].asString(),
                                   kbase::UTF8ToUTF16(pair["value"].asString()));
      }
    }
  }

  if (FindJsonKey(root, "Titles", section) && PickLanguageEntry(section, code, &entry) &&
      entry.isObject()) {
    for (const char* key : {"title_main", "title_sub"}) {
      if (entry[key].isString()) titleTexts[key] = kbase::UTF8ToUTF16(entry[key].asString());
    }
  }

  for (const char* link : {"Privacy", "Service"}) {
    if (FindJsonKey(root, link, section) && PickLanguageEntry(section, code, &entry) &&
        entry.isString()) {
      linkMap[link] = entry.asString();
    }
  }

  if (FindJsonKey(root, "Forum", section) && PickLanguageEntry(section, code, &entry) &&
      entry.isArray()) {
    for (const Json::Value& element : entry) {
      std::string name = StringMember(element, "name");
      CommunityLink button{StringMember(element, "NormalImage"), StringMember(element, "HotImage"),
                           StringMember(element, "Tooltips"), "Forum_" + name};
      if (name.empty() || button.normalImage.empty() || button.hotImage.empty()) continue;
      linkMap[button.linkKey] = StringMember(element, "url");
      communityLinks.push_back(button);
    }
  }

  if (FindJsonKey(root, "FAQ", section) && section.isObject()) {
    CommunityLink faq{StringMember(section, "NormalImage"), StringMember(section, "HotImage"),
                      std::string(), "FAQ"};
    std::string url;
    if (PickLanguageEntry(section, code, &entry)) {
      url = StringMember(entry, "url");
      faq.tooltip = StringMember(entry, "Tooltips");
    }
    if (!faq.normalImage.empty() && !faq.hotImage.empty()) {
      linkMap["FAQ"] = url;
      communityLinks.push_back(faq);
    }
  }
  return true;
}

bool IsDottedIpv4(const std::string& text) {
  in_addr address;
  return text.size() <= 15 && ::inet_pton(AF_INET, text.c_str(), &address) == 1 &&
         text.find('\0') == std::string::npos;
}

std::string GetLocalHostAddress() { return platform::FirstLocalIpv4Address(); }

void LauncherStore::PublicAddressReply(int32_t resultCode, const std::string& body) {
  std::string address;
  if (resultCode >= 0) {
    for (char c : body) {
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') address += c;
    }
  }
  // Only an address is taken from the echo service; anything else (an error
  // page, a captive portal) falls back to the local address.
  if (!IsDottedIpv4(address)) address = GetLocalHostAddress();
  publicAddress = address;
  SendLauncherDetailEvent(this, "13", "0", "0", "0");
  SendInstallAttribution(this, "click_launch_start_open", "0", "0", "0");
}

void LauncherStore::PublicAddressReply(int32_t /*user*/, int32_t resultCode,
                                       const std::string& /*url*/, const char* data,
                                       int64_t length, const std::string& /*error*/) {
  // An answer longer than any address is not one; it is not copied.
  constexpr int64_t kLongestAnswer = 64;
  std::string body;
  if (data != nullptr && length > 0 && length <= kLongestAnswer) {
    body.assign(data, static_cast<size_t>(length));
  }
  PublicAddressReply(resultCode, body);
}

// --- Version maps and versions ---

VersionMap& LauncherStore::ResetVersionMap(const std::string& slot) {
  VersionMap& map = versionMaps[slot];
  map.clear();
  return map;
}

void LauncherStore::ResetAllVersionMaps() {
  for (const char* slot : kVersionMapSlots) ResetVersionMap(slot);
}

void LauncherStore::ReloadLauncherVersion() {
  ReadVersionFromFile(NormalizePath(kbase::UTF16ToUTF8(programFolder_), true) +
                          "launcher_version_map.txt",
                      &launcherVersion, "1.0.0");
}

void LauncherStore::ReloadGameVersion() {
  ReadVersionFromFile(GameFolder() + "version_map.txt", &localGameVersion, std::string());
  remoteGameVersion = localGameVersion;
  displayGameVersion = localGameVersion.empty() ? std::string() : FormatDisplayVersion(localGameVersion);
}

bool LauncherStore::IsGameUpdateAvailable() const {
  return !remoteGameVersion.empty() && !localGameVersion.empty() &&
         remoteGameVersion != localGameVersion;
}

bool LauncherStore::HasUnfinishedGameUpdate() const {
  return FileOpensForReading(GameFolder() + "tmp_version_map.txt");
}

bool LauncherStore::LoadLocalGameVersionMap() {
  std::string error;
  return LoadVersionMapFile(GameFolder() + "version_map.txt", &ResetVersionMap("_local_game_version_"),
                            &error);
}

std::string LauncherStore::PreDownloadVersionFolder(const std::string& version) const {
  if (!IsStrictVersionTriple(version)) return std::string();
  return NormalizePath(PreDownloadFolder(), true) + version + "/";
}

int32_t LauncherStore::CheckPreDownloadMap() {
  if (preDownloadVersion.empty()) return -1;
  std::string folder = PreDownloadVersionFolder(preDownloadVersion);
  if (folder.empty()) return 1;
  bool listed = false;
  for (const std::string& name : preDownloadFolders) listed = listed || name == preDownloadVersion;
  if (!listed) return 1;
  std::string error;
  VersionMap& map = ResetVersionMap("_local_predownload_version_");
  if (!LoadVersionMapFile(folder + "predownload_version_map.txt", &map, &error)) return 1;
  return GetVersionMapVersion(map) == preDownloadVersion ? 0 : 1;
}

int32_t LauncherStore::PrunePreDownloadFolders() {
  if (preDownloadFolders.empty()) return 0;
  if (localGameVersion.empty()) return -1;
  VersionTriple local;
  if (!ParseStrictVersionTriple(localGameVersion, &local)) return -2;
  std::vector<std::string> kept;
  for (const std::string& name : preDownloadFolders) {
    VersionTriple version;
    if (!ParseStrictVersionTriple(name, &version)) continue;  // dropped, left on disk
    if (version <= local) {
      platform::DeleteFolderRecursive(PreDownloadVersionFolder(name));
      continue;
    }
    kept.push_back(name);
  }
  preDownloadFolders = std::move(kept);
  return static_cast<int32_t>(preDownloadFolders.size());
}

bool LauncherStore::HasUnfinishedPreDownload() const {
  std::string folder = PreDownloadVersionFolder(preDownloadVersion);
  return !folder.empty() && FileOpensForReading(folder + "tmp_predownload_version_map.txt");
}

void LauncherStore::ReloadPreDownloadFolders() {
  preDownloadFolders.clear();
  platform::ListSubfolders(PreDownloadFolder(), preDownloadFolders);
}

// --- Disk-space checks ---

bool LauncherStore::CheckDriveSpace(const std::u16string& path, const std::u16string& message,
                                    const std::string& firstButtonKey,
                                    const std::string& secondButtonKey,
                                    const std::function<void(int32_t)>& continuation) {
  uint64_t total = 0;
  uint64_t available = 0;
  if (!GetDriveSpaceW(path, total, available)) {
    MessageBoxRequest notice;
    notice.titleKey = "STRING_ERROR_NOTICE";
    notice.contentKey = "STRING_ERROR_INVALID_DISKSPACE";
    notice.secondButtonKey = "STRING_CONFIRM";
    AskForMessageBox(true, std::move(notice));
    return true;
  }
  if (available < kRequiredDiskSpace) {
    MessageBoxRequest shortage;
    shortage.titleKey = "STRING_ERROR_NOTICE";
    shortage.contentText = message;
    shortage.firstButtonKey = firstButtonKey;
    shortage.secondButtonKey = secondButtonKey;
    shortage.continuation = continuation;
    AskForMessageBox(false, std::move(shortage));
    return false;
  }
  return true;
}

bool LauncherStore::CheckInstallDiskSpace(std::function<void(int32_t)> continuation) {
  std::u16string message = LanguageText("STRING_ERROR_NEED_DISKSPACE");
  if (!message.empty()) message = SubstituteFirstStringPlaceholder(message, kRequiredDiskSpaceText);
  std::u16string gameFolder = kbase::UTF8ToUTF16(GameFolder());
  if (!CheckDriveSpace(gameFolder, message, std::string(), "STRING_CONFIRM", continuation)) {
    return false;
  }
  return CheckDriveSpace(programPath_, message, std::string(), "STRING_CONFIRM", continuation);
}

bool LauncherStore::CheckUpdateDiskSpace(std::function<void(int32_t)> continuation) {
  std::u16string gameFolder = kbase::UTF8ToUTF16(GameFolder());
  std::u16string gameMessage = LanguageText("STRING_ERROR_NEED_DISKSPACE_R");
  std::u16string programMessage = gameMessage;
  if (!gameMessage.empty()) {
    ReplaceAll(&gameMessage, u"{p2}", kRequiredDiskSpaceText);
    ReplaceAll(&gameMessage, u"{p1}", GetPathDriveW(gameFolder));
    ReplaceAll(&programMessage, u"{p2}", kRequiredDiskSpaceText);
    ReplaceAll(&programMessage, u"{p1}", GetPathDriveW(programPath_));
  }
  if (!CheckDriveSpace(gameFolder, gameMessage, "STRING_CANCEL", "STRING_DOWNLOAD_CONTINUE",
                       continuation)) {
    return false;
  }
  return CheckDriveSpace(programPath_, programMessage, "STRING_CANCEL", "STRING_DOWNLOAD_CONTINUE",
                         continuation);
}

// --- Usage events ---

UsageEventStoreFacts LauncherStore::UsageEventFacts() const {
  UsageEventStoreFacts facts;
  LauncherSettings current = SettingsCopy();
  facts.installPackageType = installPackageType;
  facts.languageCode = current.languageCode;
  facts.publicAddress = publicAddress;
  facts.gid = gid;
  facts.localGameVersion = localGameVersion;
  facts.remoteGameVersion = remoteGameVersion;
  facts.downloadingGameVersion = downloadingGameVersion;
  facts.preDownloadVersion = preDownloadVersion;
  facts.preDownloadComparison =
      ComparePreDownloadVersion(preDownloadVersion, localGameVersion, remoteGameVersion);
  facts.gamePath = current.gamePath;
  facts.downloadSpeedSetting = current.downloadSpeed;
  return facts;
}

// --- The worker's start and stop, and the values published for the UI ---

std::unique_ptr<State> LauncherStore::MakeFirstState(int32_t mode) const {
  return machine_.MakeFirstState(mode);
}

bool LauncherStore::ChangeState(std::unique_ptr<State> next) {
  return machine_.ChangeState(std::move(next));
}

void LauncherStore::BeginFlow(std::unique_ptr<State> first, bool enterGame) {
  machine_.BeginFlow(std::move(first), enterGame);
}

void LauncherStore::PublishStateLocked() {
  std::lock_guard<std::mutex> hold(viewMutex_);
  const State* current = machine_.current();
  view_.stateType = current ? current->TypeId() : -1;
  view_.stateMode = current ? current->mode : 0;
  const auto* preDownload = dynamic_cast<const PreDownloadState*>(preDownloadState.get());
  view_.preDownloadStep = preDownload ? preDownload->step() : (preDownloadState ? 0 : -1);
}

void LauncherStore::PublishUiView() {
  PublishStateLocked();
  const DownloadManager& downloads = DownloadManager::GetInstance();
  std::lock_guard<std::mutex> hold(viewMutex_);
  if (view_.launcherVersion != launcherVersion) view_.launcherVersion = launcherVersion;
  if (view_.localGameVersion != localGameVersion) view_.localGameVersion = localGameVersion;
  if (view_.displayGameVersion != displayGameVersion) view_.displayGameVersion = displayGameVersion;
  if (view_.remoteGameVersion != remoteGameVersion) view_.remoteGameVersion = remoteGameVersion;
  view_.totalBytes = downloads.total_bytes();
  view_.downloadedBytes = downloads.downloaded_bytes();
}

StoreUiView LauncherStore::UiView() const {
  std::lock_guard<std::mutex> hold(viewMutex_);
  return view_;
}

void LauncherStore::StartWorker() {
  if (!downloadHost_) downloadHost_ = std::make_unique<StoreDownloadHost>(*this);
  DownloadManager::GetInstance().Init(downloadHost_.get());
  launcherReplaced = false;
  updateNoticePending = true;
  browserFilesChanged = false;
  fontsChanged = false;
  skinPackageChanged = 0;
  languageChanged = false;
  enterGameAfterFlow = false;
  machine_.ForgetEnterGameRequest();
  ResetAllVersionMaps();
  ReloadPreDownloadFolders();
  ReloadLauncherVersion();
  ReloadGameVersion();
  PublishUiView();
}

void LauncherStore::StopWorker() {
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.Stop();
  downloads.Shutdown();
  machine_.Stop();
  preDownloadState.reset();
  ResetAllVersionMaps();
  PublishStateLocked();
}
