#pragma once

#include <utility>

namespace platform {

// Puts one implementation of a service in charge for the binding's lifetime and gives the
// previous one back afterwards: the desktop's in the program, a test's in a test.
template <typename Service>
class ServiceBinding {
 public:
  explicit ServiceBinding(Service& service) : previous_(std::exchange(Slot(), &service)) {}
  ~ServiceBinding() { Slot() = previous_; }
  ServiceBinding(const ServiceBinding&) = delete;
  ServiceBinding& operator=(const ServiceBinding&) = delete;

  // The bound implementation, or none.
  static Service* Current() { return Slot(); }

 private:
  static Service*& Slot() {
    static Service* current = nullptr;
    return current;
  }

  Service* previous_;
};

}  // namespace platform
