#include "platform/window/Threads.h"

#include <memory>
#include <system_error>
#include <thread>

#include "platform/window/HandleTable.h"

namespace platform {
namespace {

HandleTable<std::unique_ptr<std::jthread>>& Threads() {
  static HandleTable<std::unique_ptr<std::jthread>> threads;
  return threads;
}

}  // namespace

ThreadHandle StartThread(std::function<void(std::stop_token)> work) {
  try {
    return Threads().Add(std::make_unique<std::jthread>(std::move(work)));
  } catch (const std::system_error&) {
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

bool StopThread(ThreadHandle thread) {
  const auto* found = Threads().Find(thread);
  if (found == nullptr) return false;
  (*found)->request_stop();
  return true;
}

bool CloseThread(ThreadHandle thread) {
  return Threads().Remove(thread);
}

bool IsThread(ThreadHandle thread) {
  return Threads().Find(thread) != nullptr;
}

}  // namespace platform
