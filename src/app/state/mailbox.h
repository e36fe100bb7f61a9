#pragma once
// A mailbox that holds at most one value between a worker thread and the window:
// a new value replaces one that nobody took.

#include <mutex>
#include <optional>
#include <utility>

namespace app {

template <class T>
class Mailbox {
 public:
  void put(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }

  std::optional<T> take() {
    std::lock_guard lock(mutex_);
    std::optional<T> taken = std::move(value_);
    value_.reset();
    return taken;
  }

 private:
  std::mutex mutex_;
  std::optional<T> value_;
};

}  // namespace app
