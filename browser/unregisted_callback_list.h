#pragma once
// Closures that run once, later, when their owner says so, each of which can
// be withdrawn before that. The browser event handler keeps one: work that
// needs a browser the engine is still creating (a deferred page load) waits
// here and runs on the UI thread right after the browser exists.
//
// Single-threaded: every operation runs on the owner's thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>

#include "base/callback/weak_callback.h"

namespace jov_comp {

template <typename Closure>
class UnregistedCallbackList : public virtual kbase::SupportWeakCallback {
 public:
  UnregistedCallbackList() : entries_(std::make_shared<Map>()) {
    entries_->reserve(8);
    entries_->max_load_factor(1.0f);
  }
  ~UnregistedCallbackList() override { entries_->clear(); }
  UnregistedCallbackList(const UnregistedCallbackList&) = delete;
  UnregistedCallbackList& operator=(const UnregistedCallbackList&) = delete;

  // Stores a copy of |callback| and returns the closure that withdraws it.
  // An empty closure is refused (the run would call it): the returned
  // withdrawal then does nothing. Keys come from a counter, so every live
  // entry has its own.
  std::function<void()> AddCallback(const Closure& callback) {
    if (!callback) return [] {};
    const uint32_t key = next_key_++;
    entries_->emplace(key, std::make_shared<Closure>(callback));
    std::weak_ptr<Map> entries = entries_;
    return kbase::WeakCallback<std::function<void()>>(GetWeakFlag(), [entries, key] {
      if (auto map = entries.lock()) map->erase(key);
    });
  }

  // Calls every stored closure once, in no guaranteed order, then empties
  // the list. The entries are taken out first, so a closure that adds to the
  // list is kept for the next run and one that withdraws finds nothing.
  void RunCallbacks() {
    Map running;
    running.swap(*entries_);
    for (auto& entry : running) (*entry.second)();
  }

  size_t size() const { return entries_->size(); }

 private:
  using Map = std::unordered_map<uint32_t, std::shared_ptr<Closure>>;
  std::shared_ptr<Map> entries_;
  uint32_t next_key_ = 0;
};

}  // namespace jov_comp
