#include "platform/files/InterruptWatch.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <system_error>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Written to the pipe by the destructor to end the watching thread.
constexpr unsigned char kStop = 0;

volatile sig_atomic_t writeEnd = -1;

// Only async-signal-safe calls here: write, and errno kept for the interrupted code.
void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  if (writeEnd >= 0) (void)!write(writeEnd, &number, 1);
  errno = saved;
}

void SetAction(void (*action)(int)) {
  struct sigaction what {};
  what.sa_handler = action;
  sigemptyset(&what.sa_mask);
  what.sa_flags = SA_RESTART;
  for (const int signal : kSignals) sigaction(signal, &what, nullptr);
}

}  // namespace

InterruptWatch::InterruptWatch(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (pipe2(pipe_, O_CLOEXEC) != 0) return;
  try {
    thread_ = std::thread([this] { Watch(); });
  } catch (const std::system_error&) {
    return;
  }
  writeEnd = pipe_[1];
  SetAction(OnSignal);
}

InterruptWatch::~InterruptWatch() {
  if (thread_.joinable()) {
    SetAction(SIG_DFL);
    writeEnd = -1;
    (void)!write(pipe_[1], &kStop, 1);
    thread_.join();
  }
  for (const int end : pipe_) {
    if (end >= 0) close(end);
  }
}

void InterruptWatch::Watch() {
  unsigned char number = kStop;
  for (;;) {
    const ssize_t got = read(pipe_[0], &number, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got != 1 || number == kStop) return;
    onSignal_(number);
  }
}

}  // namespace platform
