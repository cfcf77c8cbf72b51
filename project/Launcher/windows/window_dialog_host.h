#pragma once
// The launcher's boxes as windows: each request of the store opens a MsgBox
// or an OptionsBox owned by the given window of this process. The box owns
// itself (it goes with its window) and answers through the callback on the
// UI thread, at most once. Install it with LauncherStore::SetDialogHost
// once the UI thread runs, and remove it before the windows go. UI thread
// only.

#include "project/Launcher/core/dialog_host.h"

class WindowDialogHost : public DialogHost {
 public:
  // False, with no answer ever, when |owner| is not a live window of this
  // process or the box's window cannot be made.
  bool OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                      AnswerCallback answer) override;
  bool OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content,
                      AnswerCallback answer) override;
};
