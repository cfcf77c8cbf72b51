#pragma once
// One thread that runs one modal dialog (ModalWndBase) to its end, so that
// the dialog's own wait never stalls the UI thread's task queue. The runner
// owns the dialog; it tells its delegate when the dialog has ended.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "base/thread/thread.h"
#include "project/Launcher/windows/modal_wnd_base.h"

namespace jov_comp {

class AsyncModalRunner : public kbase::Thread {
 public:
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // On the runner's thread, when its Run is about to return.
    virtual void OnThreadWillExit(AsyncModalRunner* runner) = 0;
  };

  explicit AsyncModalRunner(Delegate* delegate);
  // Ends the dialog if it still runs, then joins the thread; never called on
  // the runner's own thread.
  ~AsyncModalRunner() override;

  // Hands the dialog over before the thread starts.
  void SetDialog(std::unique_ptr<ModalWndBase> dialog);
  ModalWndBase* dialog() const { return dialog_.get(); }

  bool running() const { return running_; }
  void set_running(bool running) { running_ = running; }

  // Stops telling the delegate (it is going away); returns once no call to
  // it is in progress.
  void ClearDelegate();
  // Asks the dialog to end (once): the launcher is exiting.
  void RequestEnd();
  // Waits at most |limit| for Run to return; true when it has (the thread can
  // then be joined at once).
  bool WaitForRunEnd(std::chrono::milliseconds limit);

  void Run() override;

 private:
  bool running_ = false;
  bool end_requested_ = false;
  std::mutex delegate_lock_;
  Delegate* delegate_;
  std::unique_ptr<ModalWndBase> dialog_;
  std::mutex finish_lock_;
  std::condition_variable finished_cv_;
  bool finished_ = false;
};

}  // namespace jov_comp
