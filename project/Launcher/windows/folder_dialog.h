#pragma once
// The folder picker: the desktop's folder chooser (zenity) run on a modal
// runner thread, modal to and attached to its owner window, which stays
// disabled while it is open. Its answer reaches the UI thread exactly once,
// as a posted call of the result closure: (1, folder) for an absolute folder
// that exists, (0, empty) for anything else — Escape, a closed chooser, a
// chooser that failed or is not installed, or the launcher exiting.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message/message_types.h"
#include "platform/process/output_process.h"
#include "project/Launcher/windows/modal_wnd_base.h"

class FolderDialog : public ModalWndBase {
 public:
  using ResultCallback = std::function<void(int32_t result, const std::u16string& path)>;

  // UI thread. Disables |owner| until the answer is delivered.
  FolderDialog(std::u16string title, platform::HWND owner, ResultCallback result);
  ~FolderDialog() override;

  void RunModal() override;
  void EndModal() override;
  void OnRunFailed() override;

  // The chooser's argument vector for |title| and the owner's native window
  // (0: none to attach to).
  static std::vector<std::string> PickerArguments(const std::u16string& title,
                                                  uint64_t nativeOwner);
  // The folder the chooser answered, or empty when its answer does not name
  // an absolute, existing folder (or it did not end with status 0).
  static std::u16string ChosenFolder(int exitStatus, const std::string& output);

 private:
  void Report(int32_t result, std::u16string path);

  const std::u16string title_;
  const platform::HWND owner_;
  const uint64_t nativeOwner_;
  const ResultCallback result_;
  platform::OutputProcess picker_;
  std::atomic<bool> reported_{false};
};
