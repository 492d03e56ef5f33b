#pragma once

#include <memory>

namespace platform {

// The program on the desktop: Qt's application object (named "dropshrink"), the desktop presenter
// and the desktop folder browser, both bound as the current ones while the session lives. main()
// makes it first; argc and argv must outlive it.
class DesktopSession {
 public:
  DesktopSession(int& argc, char** argv);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace platform
