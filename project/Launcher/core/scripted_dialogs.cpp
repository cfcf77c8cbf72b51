#include "project/Launcher/core/scripted_dialogs.h"

#include "base/thread/thread_registry.h"

void ScriptedDialogs::Script(std::vector<int32_t> answers) {
  script_.insert(script_.end(), answers.begin(), answers.end());
}

bool ScriptedDialogs::Answer(int32_t answer) {
  if (open_.empty()) return false;
  DialogHost::AnswerCallback callback = std::move(open_.front());
  open_.pop_front();
  Deliver(std::move(callback), answer);
  return true;
}

bool ScriptedDialogs::OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                                     DialogHost::AnswerCallback answer) {
  OpenedBox box;
  box.owner = owner;
  box.message = content;
  return Open(std::move(box), std::move(answer));
}

bool ScriptedDialogs::OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content,
                                     DialogHost::AnswerCallback answer) {
  OpenedBox box;
  box.optionsBox = true;
  box.owner = owner;
  box.options = content;
  return Open(std::move(box), std::move(answer));
}

bool ScriptedDialogs::Open(OpenedBox box, DialogHost::AnswerCallback answer) {
  if (box.owner == 0) return false;  // a box needs an owner window
  opened_.push_back(box);
  if (observer_) observer_(opened_.back());
  if (!script_.empty()) {
    int32_t value = script_.front();
    script_.pop_front();
    Deliver(std::move(answer), value);
  } else {
    open_.push_back(std::move(answer));
  }
  return true;
}

void ScriptedDialogs::Deliver(DialogHost::AnswerCallback answer, int32_t value) {
  // A box posts its result to the UI thread rather than answering inside the
  // call that opened it.
  kbase::ThreadRegistry::PostTask(kThreadUI, [answer = std::move(answer), value] {
    if (answer) answer(value);
  });
}
