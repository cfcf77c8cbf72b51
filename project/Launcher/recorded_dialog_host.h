#pragma once
// The program's boxes: the window-backed dialog host, with every box that
// opens and every answer written to the program record ("message_box
// <title>", "options_box <content key>", "box_answer <n>"), so end-to-end
// tests can follow what the user was asked. UI thread only.

#include "project/Launcher/windows/window_dialog_host.h"

class RecordedDialogHost : public DialogHost {
 public:
  bool OpenMessageBox(WindowHandle owner, const MessageBoxContent& content, AnswerCallback answer) override;
  bool OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content, AnswerCallback answer) override;

 private:
  static AnswerCallback Recorded(AnswerCallback answer);
  WindowDialogHost windows_;
};
