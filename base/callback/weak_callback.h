#pragma once
// Closures that must not outlive their target. An object that receives
// deferred work derives from SupportWeakCallback (or holds a WeakCallbackFlag
// member); closures made from it through WrapWeak hold only a weak reference to
// its flag and do nothing once the flag is gone. No closure keeps its target
// alive.
//
// Rule of use: an owner dies (or cancels) on the thread that runs its weak
// closures, or after that thread stopped. Copies of closures may be made and
// destroyed on any thread.

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace kbase {

// The marker whose lifetime weak closures test. Only the owner holds a strong
// reference to it; closures hold weak ones.
struct WeakFlag {};

template <typename T>
class WeakCallback {
 public:
  WeakCallback(const std::weak_ptr<WeakFlag>& flag, const T& callable)
      : weak_flag_(flag), callable_(callable) {}
  WeakCallback(const std::weak_ptr<WeakFlag>& flag, T&& callable)
      : weak_flag_(flag), callable_(std::move(callable)) {}
  // A closure over one callable converts to one over a wider callable type
  // (a lambda's to StdClosure), keeping the same flag.
  template <typename U, typename = std::enable_if_t<!std::is_same_v<U, T> &&
                                                    std::is_constructible_v<T, const U&>>>
  WeakCallback(const WeakCallback<U>& other)  // NOLINT: implicit on purpose
      : weak_flag_(other.weak_flag()), callable_(other.callable()) {}

  // Calls the callable while the flag lives; afterwards returns the result
  // type's default value (false, null, nothing) without calling it.
  template <typename... Args>
  auto operator()(Args&&... args) const
      -> decltype(std::declval<T&>()(std::forward<Args>(args)...)) {
    using Result = decltype(std::declval<T&>()(std::forward<Args>(args)...));
    if (Expired()) {
      if constexpr (std::is_void_v<Result>)
        return;
      else
        return Result();
    }
    return callable_(std::forward<Args>(args)...);
  }

  bool Expired() const { return weak_flag_.expired(); }
  const std::weak_ptr<WeakFlag>& weak_flag() const { return weak_flag_; }
  const T& callable() const { return callable_; }

 private:
  std::weak_ptr<WeakFlag> weak_flag_;
  // Mutable so that a callable with state of its own (a mutable lambda) can
  // be called through a closure held by value in a queue.
  mutable T callable_;
};

class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  // Copies and moves of an owner start without a flag: closures made from the
  // original stay bound to the original.
  SupportWeakCallback(const SupportWeakCallback&) {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
  virtual ~SupportWeakCallback() = default;

  // The owner's flag, made on first use (and made anew after a Cancel).
  std::weak_ptr<WeakFlag> GetWeakFlag() {
    std::lock_guard<std::mutex> lock(flag_lock_);
    if (!weak_flag_)
      weak_flag_ = std::make_shared<WeakFlag>();
    return weak_flag_;
  }

  template <typename T>
  WeakCallback<std::decay_t<T>> WrapWeak(T&& callable) {
    return WeakCallback<std::decay_t<T>>(GetWeakFlag(), std::forward<T>(callable));
  }

 protected:
  // Releases the flag: every closure made so far does nothing from now on.
  void ReleaseWeakFlag() {
    std::lock_guard<std::mutex> lock(flag_lock_);
    weak_flag_.reset();
  }

 private:
  // Closures may be made from any thread (a thread being stopped hands out a
  // closure of itself to another), so the lazily made flag is guarded.
  std::mutex flag_lock_;
  std::shared_ptr<WeakFlag> weak_flag_;
};

// A flag held as a member instead of a base: its owner can silence the
// closures made from it without dying.
class WeakCallbackFlag final : public SupportWeakCallback {
 public:
  // Every closure made from this member so far does nothing from now on;
  // closures made afterwards work.
  void Cancel() { ReleaseWeakFlag(); }
};

// The closure type that queues, registries and repeating tasks carry.
using StdClosure = std::function<void()>;

}  // namespace kbase
