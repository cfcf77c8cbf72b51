#include "project/Launcher/windows/folder_dialog.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/thread/thread_registry.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/window_api.h"

namespace {

// More than any path the file system accepts; a longer answer is no folder.
constexpr size_t kAnswerLimit = 64 * 1024;

}  // namespace

FolderDialog::FolderDialog(std::u16string title, platform::HWND owner, ResultCallback result)
    : title_(std::move(title)),
      owner_(owner),
      nativeOwner_(owner != nullptr ? platform::GetNativeWindow(owner) : 0),
      result_(std::move(result)) {
  if (owner_ != nullptr) platform::EnableWindow(owner_, false);
}

FolderDialog::~FolderDialog() = default;

std::vector<std::string> FolderDialog::PickerArguments(const std::u16string& title,
                                                       uint64_t nativeOwner) {
  std::vector<std::string> argv = {"zenity", "--file-selection", "--directory", "--modal"};
  if (nativeOwner != 0) argv.push_back("--attach=" + std::to_string(nativeOwner));
  if (!title.empty()) argv.push_back("--title=" + platform::UTF16ToUTF8(title));
  return argv;
}

std::u16string FolderDialog::ChosenFolder(int exitStatus, const std::string& output) {
  if (exitStatus != 0) return {};
  std::string path = output;
  if (!path.empty() && path.back() == '\n') path.pop_back();
  if (path.empty() || path.front() != '/') return {};
  if (path.find('\n') != std::string::npos || path.find('\0') != std::string::npos) return {};
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return {};
  return platform::UTF8ToUTF16(path);
}

void FolderDialog::RunModal() {
  std::string output;
  int status = -1;
  if (picker_.Start(PickerArguments(title_, nativeOwner_)))
    status = picker_.ReadOutputAndWait(&output, kAnswerLimit);
  std::u16string folder = ChosenFolder(status, output);
  if (folder.empty())
    Report(0, std::u16string());
  else
    Report(1, std::move(folder));
}

void FolderDialog::EndModal() { picker_.Terminate(); }

void FolderDialog::OnRunFailed() { Report(0, std::u16string()); }

void FolderDialog::Report(int32_t result, std::u16string path) {
  if (reported_.exchange(true)) return;
  // The task carries its own copies: the dialog may be gone when it runs.
  kbase::ThreadRegistry::PostTask(
      kThreadUI, [owner = owner_, callback = result_, result, path = std::move(path)] {
        if (owner != nullptr && platform::IsWindow(owner)) platform::EnableWindow(owner, true);
        if (callback) callback(result, path);
      });
}
