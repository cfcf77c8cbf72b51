#include "project/Launcher/windows/async_modal_runner_manager.h"

#include <utility>
#include <vector>

#include "base/thread/thread_registry.h"

namespace jov_comp {
namespace {

// Runners whose thread did not end at exit: kept alive (and reachable) until
// the process is gone, since destroying one would wait for its thread.
std::mutex g_abandoned_lock;
std::vector<std::shared_ptr<AsyncModalRunner>>& Abandoned() {
  static auto* abandoned = new std::vector<std::shared_ptr<AsyncModalRunner>>();
  return *abandoned;
}

}  // namespace

AsyncModalRunnerManager& AsyncModalRunnerManager::GetInstance() {
  static AsyncModalRunnerManager manager;
  return manager;
}

AsyncModalRunnerManager::~AsyncModalRunnerManager() { CancelAll(); }

bool AsyncModalRunnerManager::DoModal(std::unique_ptr<ModalWndBase> dialog) {
  if (!dialog) return false;
  auto runner = std::make_shared<AsyncModalRunner>(this);
  ModalWndBase* handed = dialog.get();
  runner->SetDialog(std::move(dialog));
  bool cancelled;
  {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled = cancelled_;
  }
  const bool started = !cancelled && (starter_ ? starter_(*runner) : runner->Create());
  if (!started) {
    // Nothing will ever run the dialog: it answers now, and the runner goes
    // at once instead of lingering until exit.
    handed->OnRunFailed();
    return false;
  }
  runner->set_running(true);
  std::lock_guard<std::mutex> hold(lock_);
  runners_.push_back(std::move(runner));
  return true;
}

void AsyncModalRunnerManager::OnThreadWillExit(AsyncModalRunner* runner) {
  // Removal goes through the UI thread: destroying a runner joins its
  // thread, which must not happen on that thread itself.
  kbase::ThreadRegistry::PostTask(
      kThreadUI, kbase::WeakCallback<kbase::StdClosure>(GetWeakFlag(), [this, runner] {
        RemoveRunner(runner);
      }));
}

void AsyncModalRunnerManager::RemoveRunner(AsyncModalRunner* runner) {
  std::shared_ptr<AsyncModalRunner> removed;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = runners_.begin(); it != runners_.end(); ++it) {
      if (it->get() == runner) {
        removed = std::move(*it);
        runners_.erase(it);
        break;
      }
    }
  }
  // |removed| is destroyed here, outside the lock.
}

void AsyncModalRunnerManager::CancelAll(std::chrono::milliseconds limit) {
  std::list<std::shared_ptr<AsyncModalRunner>> taken;
  {
    std::lock_guard<std::mutex> hold(lock_);
    taken.swap(runners_);
    cancelled_ = true;
  }
  // Removal tasks still queued find nothing to do from now on.
  ReleaseWeakFlag();
  for (auto& runner : taken) {
    runner->ClearDelegate();
    runner->RequestEnd();
  }
  for (auto& runner : taken) {
    if (!runner->WaitForRunEnd(limit)) {
      std::lock_guard<std::mutex> hold(g_abandoned_lock);
      Abandoned().push_back(std::move(runner));
    }
  }
  // The rest are destroyed here: their threads have left Run, so each join
  // returns at once.
}

size_t AsyncModalRunnerManager::RunnerCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return runners_.size();
}

size_t AsyncModalRunnerManager::AbandonedCount() {
  std::lock_guard<std::mutex> hold(g_abandoned_lock);
  return Abandoned().size();
}

}  // namespace jov_comp
