#pragma once

#include <cstdint>
#include <utility>

#include "platform/window/Imaging.h"

namespace platform {

// Holds one imaging handle and gives it back, at the latest when it goes.
template <auto GiveBack>
class OwnedHandle {
 public:
  explicit OwnedHandle(std::uintptr_t handle) : handle_(handle) {}
  ~OwnedHandle() { Release(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  std::uintptr_t Get() const { return handle_; }
  void Release() {
    if (handle_ != 0) GiveBack(std::exchange(handle_, 0));
  }

 private:
  std::uintptr_t handle_;
};

using OwnedImage = OwnedHandle<DisposeImage>;
using OwnedGraphics = OwnedHandle<DeleteGraphics>;

}  // namespace platform
