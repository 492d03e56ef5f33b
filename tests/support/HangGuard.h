#pragma once

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace dropshrink::testing {

// Ends the process with a message naming the guarded work when it outlasts `seconds`: work that
// hangs fails the suite at once instead of holding it until the test driver's time-out.
class HangGuard {
 public:
  HangGuard(unsigned seconds, std::string_view what) {
    length_ = std::min(what.size(), sizeof message_ - 1);
    std::memcpy(message_, what.data(), length_);
    message_[length_++] = '\n';
    struct sigaction action {};
    action.sa_handler = OnAlarm;
    sigaction(SIGALRM, &action, &previous_);
    alarm(seconds);
  }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;
  ~HangGuard() {
    alarm(0);
    sigaction(SIGALRM, &previous_, nullptr);
  }

 private:
  static void OnAlarm(int) {
    constexpr char kHung[] = "did not end in time: ";
    [[maybe_unused]] ssize_t ignored = write(STDERR_FILENO, kHung, sizeof kHung - 1);
    ignored = write(STDERR_FILENO, message_, length_);
    _exit(1);
  }

  static inline char message_[256];
  static inline std::size_t length_ = 0;
  struct sigaction previous_ {};
};

}  // namespace dropshrink::testing
