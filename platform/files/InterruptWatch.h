#pragma once

#include <functional>
#include <thread>

namespace platform {

// While alive, SIGINT, SIGTERM and SIGHUP no longer end the process at once: the handler only
// writes the signal's number to a pipe, and a thread of this object reads it and calls
// onSignal(number) outside the handler, where any function may be called.
class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void(int signal)> onSignal);
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
  // Puts the default actions back.
  ~InterruptWatch();

  // False when the pipe or the thread could not be made; the signals then act as before.
  bool Watching() const { return thread_.joinable(); }

 private:
  void Watch();

  std::function<void(int)> onSignal_;
  int pipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace platform
