#include "project/Launcher/core/skin_package.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/util/string_util.h"
#include "project/Launcher/services/folder_helpers.h"
#include "ui/language_table.h"
#include "ui/skin_archive.h"
#include "ui/zip_reader.h"

namespace {

constexpr char kThemeFolder[] = "resources/themes/default/";
constexpr char kLanguageFolder[] = "resources/lang/";

const void* embeddedData = nullptr;
size_t embeddedSize = 0;

bool CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  // An existing copy is replaced through a fresh file: a read-only copy that
  // cannot be replaced makes the copy fail.
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                    error) &&
         !error;
}

}  // namespace

void SetEmbeddedSkinPackage(const void* data, size_t size) {
  embeddedData = data;
  embeddedSize = size;
}

bool PrepareSkinPackage() {
  const std::filesystem::path package = "resources.zip";
  std::error_code error;
  if (std::filesystem::is_regular_file(package, error)) {
    ui::SkinArchive::Close();
    std::u16string copy = NormalizePathW(UpdateFolderW(), true) + u"tmp_resources.zip";
    if (CopyOver(package, kbase::UTF16ToUTF8(copy))) {
      ui::SkinArchive::Close();
      auto handle = ui::OpenZipArchive(copy.c_str(), 0, ui::kZipFromFileName, "");
      if (handle) ui::SkinArchive::Set(std::move(handle));
      return true;
    }
  }
  ui::SkinArchive::Close();
  if (embeddedData && embeddedSize) {
    auto handle = ui::OpenZipArchive(embeddedData, embeddedSize, ui::kZipFromMemory, "");
    if (handle) ui::SkinArchive::Set(std::move(handle));
  }
  return false;
}

bool ReadSkinThemeFile(const std::string& name, std::string* bytes) {
  const std::string path = kThemeFolder + name;
  if (ui::SkinArchive::ReadEntry(kbase::UTF8ToUTF16(path), bytes)) return true;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool LoadSkinLanguage(const std::string& code) {
  ui::LanguageTable& table = ui::LanguageTable::GetInstance();
  const std::u16string path = kbase::UTF8ToUTF16(kLanguageFolder + code + ".ini");
  if (!ui::SkinArchive::Get()) return table.LoadFromFile(path);
  std::string bytes;
  if (ui::SkinArchive::ReadEntry(path, &bytes)) return table.LoadFromMemory(bytes);
  // A package without the table: no texts, rather than those of another
  // language.
  table.Clear();
  return false;
}
