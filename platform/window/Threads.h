#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

// Worker threads named by integer handles, so that a thread can be kept in a window property.
namespace platform {

using ThreadHandle = std::uintptr_t;

// 0 when no thread could be started.
ThreadHandle StartThread(std::function<void(std::stop_token)> work);
// Asks the work to stop; it stops where it looks at its stop token. Threads are never killed
// from outside: that would leave their locks and memory in an unknown state.
bool StopThread(ThreadHandle thread);
// Waits for the work to return and forgets the handle.
bool CloseThread(ThreadHandle thread);
bool IsThread(ThreadHandle thread);

}  // namespace platform
