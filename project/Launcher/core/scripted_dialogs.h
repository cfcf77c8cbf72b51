#pragma once
// Message boxes and options boxes without windows: each box that opens is
// recorded with its content and answered from a script of answers given in
// advance, or stays open until Answer is called. The answer reaches the
// store on the UI thread in a later task, as a box's button does. Stands in
// for the launcher's dialog windows; UI thread only.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/core/dialog_host.h"

class ScriptedDialogs : public DialogHost {
 public:
  struct OpenedBox {
    bool optionsBox = false;
    WindowHandle owner = 0;
    MessageBoxContent message;
    OptionsBoxContent options;
  };

  // Answers for the next boxes, in order.
  void Script(std::vector<int32_t> answers);
  // Answers the oldest open box; false when none is open.
  bool Answer(int32_t answer);
  size_t open_count() const { return open_.size(); }
  const std::vector<OpenedBox>& opened() const { return opened_; }
  // Called with every box as it opens (a trace of the program).
  void SetObserver(std::function<void(const OpenedBox&)> observer) { observer_ = std::move(observer); }

  bool OpenMessageBox(WindowHandle owner, const MessageBoxContent& content, AnswerCallback answer) override;
  bool OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content, AnswerCallback answer) override;

 private:
  bool Open(OpenedBox box, AnswerCallback answer);
  static void Deliver(AnswerCallback answer, int32_t value);

  std::deque<int32_t> script_;
  std::deque<AnswerCallback> open_;
  std::vector<OpenedBox> opened_;
  std::function<void(const OpenedBox&)> observer_;
};
