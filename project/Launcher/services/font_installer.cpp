#include "project/Launcher/services/font_installer.h"

#include <json/json.h>

#include <filesystem>
#include <fstream>

#include "base/util/string_util.h"
#include "platform/fonts/user_fonts.h"
#include "platform/system/machine_registry.h"
#include "ui/font_settings.h"
#include "project/Launcher/services/carried_fonts.h"
#include "project/Launcher/services/file_utils.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/md5_context.h"
#include "project/Launcher/services/system_info.h"
#include "project/Launcher/services/update_lists.h"

namespace fs = std::filesystem;

const std::array<CarriedFontInfo, 4> kCarriedFonts = {{
    {"LomaN.ttf", "Loma (TrueType)", 138},
    {"LomaB.ttf", "Loma Bold (TrueType)", 139},
    {"SourceHanSansCNRegular.ttf",
     "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Regular (TrueType)", 143},
    {"SourceHanSansCNBold.ttf",
     "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Bold (TrueType)", 142},
}};

namespace {

constexpr char16_t kCjkRegularFace[] = u"\u601D\u6E90\u9ED1\u4F53 CN Regular";
constexpr char16_t kCjkBoldFace[] = u"\u601D\u6E90\u9ED1\u4F53 CN Bold";

ui::ProbedFontFaces CjkFaces() { return {kCjkRegularFace, kCjkBoldFace, kCjkRegularFace}; }

std::string FontPath(const char* fileName) {
  return platform::UserFontFolder() + "/" + fileName;
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

Json::Value LoadRecord() {
  std::string text, error;
  Json::Value record;
  if (!ReadFileToString(kInstalledFontsRecord, text) || !ParseJson(text, record, error) ||
      !record.isObject()) {
    return Json::Value(Json::objectValue);
  }
  return record;
}

std::string Md5Of(const uint8_t* data, size_t size) {
  Md5Context context;
  context.Update(data, size);
  context.Final();
  return Md5DigestToHex(context.digest);
}

// Writes the carried font whole, through a temporary file; false when any
// byte is missing.
bool WriteCarriedFont(const CarriedFontInfo& font, const std::string& path) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (!FindCarriedFont(font.resource, &data, &size)) return false;
  if (!CreateFolders(platform::UserFontFolder())) return false;
  if (!WriteStringToFile(path, std::string(reinterpret_cast<const char*>(data), size))) {
    return false;
  }
  RecordInstalledFont(font.fileName, Md5Of(data, size));
  return true;
}

bool RegisterFont(const CarriedFontInfo& font, const std::string& path) {
  const int32_t result =
      SetMachineRegistryString(kFontsRegistryKey, u"", kbase::UTF8ToUTF16(font.registryName),
                               kbase::UTF8ToUTF16(font.fileName));
  if (result < 0) return false;
  return platform::RegisterFontFile(path);
}

}  // namespace

void SetDefaultFontFaces() { ui::SetProbedFontFaces(ui::FontFaceSet::kButton, CjkFaces()); }

void RecordInstalledFont(const std::string& fileName, const std::string& md5) {
  Json::Value record = LoadRecord();
  record[fileName] = md5;
  CreateFolders(SaveFolder());
  WriteJsonFile(kInstalledFontsRecord, record);
}

bool InstallFonts(const std::optional<std::u16string>& fontOverride) {
  for (const CarriedFontInfo& font : kCarriedFonts) {
    const std::string path = FontPath(font.fileName);
    // A font already there is kept, whoever put it there.
    if (!IsRegularFile(path) && !WriteCarriedFont(font, path)) return false;
    if (!RegisterFont(font, path)) return false;
  }
  ApplyFontUpdate();
  ui::SetProbedFontFaces(ui::FontFaceSet::kSystem, CjkFaces());
  SetDefaultFontFaces();
  bool antiAlias = true;
  if (fontOverride) antiAlias = *fontOverride == u"text_anti_alias" || *fontOverride == u"taa";
  ui::SetTextAntiAlias(antiAlias);
  return true;
}

void UninstallFonts() {
  platform::MachineRegistry& registry = platform::GetMachineRegistry();
  const std::string key = kbase::UTF16ToUTF8(kFontsRegistryKey);
  for (const CarriedFontInfo& font : kCarriedFonts) registry.DeleteValue(key, font.registryName);

  Json::Value record = LoadRecord();
  for (const CarriedFontInfo& font : kCarriedFonts) {
    const Json::Value written = record.get(font.fileName, Json::Value());
    if (!written.isString()) continue;
    const std::string path = FontPath(font.fileName);
    std::ifstream file(path, std::ios::binary);
    std::string md5;
    int64_t size = 0;
    // A file replaced since (by the user or a package) is not ours any more.
    if (file.is_open() && FileMd5(file, md5, size) && md5 == written.asString()) {
      std::error_code ignored;
      fs::remove(path, ignored);
    }
    record.removeMember(font.fileName);
  }
  WriteJsonFile(kInstalledFontsRecord, record);
}
