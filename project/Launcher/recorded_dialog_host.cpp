#include "project/Launcher/recorded_dialog_host.h"

#include <string>

#include "base/util/string_util.h"
#include "project/Launcher/program_record.h"

DialogHost::AnswerCallback RecordedDialogHost::Recorded(AnswerCallback answer) {
  return [answer = std::move(answer)](int32_t value) {
    ProgramRecord::Get().Line("box_answer " + std::to_string(value));
    if (answer) answer(value);
  };
}

bool RecordedDialogHost::OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                                        AnswerCallback answer) {
  const bool opened = windows_.OpenMessageBox(owner, content, Recorded(std::move(answer)));
  if (opened) ProgramRecord::Get().Line("message_box " + kbase::UTF16ToUTF8(content.title.text));
  return opened;
}

bool RecordedDialogHost::OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content,
                                        AnswerCallback answer) {
  const bool opened = windows_.OpenOptionsBox(owner, content, Recorded(std::move(answer)));
  if (opened) ProgramRecord::Get().Line("options_box " + content.contentKey);
  return opened;
}
