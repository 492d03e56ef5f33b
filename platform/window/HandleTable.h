#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace platform {

// Integer handles for objects the platform keeps on behalf of its callers. Numbers are never
// reused, so a handle that outlives its object can only fail, never reach another object.
template <typename T>
class HandleTable {
 public:
  std::uintptr_t Add(T value) {
    const std::uintptr_t handle = ++last_;
    entries_.emplace(handle, std::move(value));
    return handle;
  }

  T* Find(std::uintptr_t handle) {
    const auto found = entries_.find(handle);
    return found == entries_.end() ? nullptr : &found->second;
  }

  bool Remove(std::uintptr_t handle) { return entries_.erase(handle) == 1; }

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const auto& [handle, value] : entries_) visit(handle, value);
  }

 private:
  std::uintptr_t last_ = 0;
  std::unordered_map<std::uintptr_t, T> entries_;
};

}  // namespace platform
