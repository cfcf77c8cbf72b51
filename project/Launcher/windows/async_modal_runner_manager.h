#pragma once
// Starts modal dialogs on runner threads of their own, keeps each runner
// while its dialog runs, removes it on the UI thread once the dialog ended,
// and at exit ends every dialog still open and joins its thread, each within
// a limit. The dialogs report their results themselves, by posting to the UI
// thread.

#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

#include "base/callback/weak_callback.h"
#include "project/Launcher/windows/async_modal_runner.h"

namespace jov_comp {

class AsyncModalRunnerManager : public AsyncModalRunner::Delegate,
                                public kbase::SupportWeakCallback {
 public:
  // How long the exit waits for each dialog's thread after ending it.
  static constexpr std::chrono::milliseconds kExitJoinLimit{3000};

  // The process's manager, created on first use; it ends its dialogs when
  // the process exits.
  static AsyncModalRunnerManager& GetInstance();

  AsyncModalRunnerManager() = default;
  ~AsyncModalRunnerManager() override;

  // UI thread. Runs |dialog| on a new runner thread and returns once that
  // thread runs. False for a null dialog, or when no thread could start: the
  // dialog is then told (OnRunFailed, so it still answers) and deleted.
  bool DoModal(std::unique_ptr<ModalWndBase> dialog);
  bool DoModal(ModalWndBase* dialog) { return DoModal(std::unique_ptr<ModalWndBase>(dialog)); }

  // Exit: ends every listed dialog, then joins each thread for at most
  // |limit|; a thread that does not end by then is left running, never
  // waited for without limit. Pending removals then do nothing.
  void CancelAll(std::chrono::milliseconds limit = kExitJoinLimit);

  // Runners listed now (started and not yet removed).
  size_t RunnerCount() const;
  // Runners given up at exit because their thread did not end in time.
  static size_t AbandonedCount();

  // Replaces the start of runner threads (tests: a thread that cannot start).
  using ThreadStarter = std::function<bool(AsyncModalRunner&)>;
  void SetThreadStarterForTesting(ThreadStarter starter) { starter_ = std::move(starter); }

  // AsyncModalRunner::Delegate, on the runner's thread.
  void OnThreadWillExit(AsyncModalRunner* runner) override;

 private:
  // UI thread: unlists |runner| and destroys it outside the lock.
  void RemoveRunner(AsyncModalRunner* runner);

  mutable std::mutex lock_;  // guards runners_ only; never held while joining
  std::list<std::shared_ptr<AsyncModalRunner>> runners_;
  ThreadStarter starter_;
  bool cancelled_ = false;
};

}  // namespace jov_comp
