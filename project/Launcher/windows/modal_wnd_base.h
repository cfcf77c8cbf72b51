#pragma once
// A dialog that runs to its end on the thread that calls RunModal: what the
// modal runner knows of the dialogs it runs on threads of their own.

class ModalWndBase {
 public:
  virtual ~ModalWndBase() = default;

  // Runs the dialog to its end on the calling thread (the runner's).
  virtual void RunModal() = 0;
  // Any thread: makes a RunModal in progress return soon; the launcher is
  // exiting. The dialog then reports "nothing chosen", which nobody may run.
  virtual void EndModal() {}
  // UI thread: the dialog will never run (its thread could not start). A
  // dialog that promises an answer gives its "nothing chosen" one here.
  virtual void OnRunFailed() {}
};
