#include "platform/files/PartialFiles.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::string> paths;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

PartialFilesLock::PartialFilesLock() : lock_(TheRegistry().mutex) {}

void PartialFilesLock::Add(const std::string& path) {
  TheRegistry().paths.push_back(path);
}

void PartialFilesLock::Forget(const std::string& path) {
  std::vector<std::string>& paths = TheRegistry().paths;
  const auto found = std::find(paths.begin(), paths.end(), path);
  if (found != paths.end()) paths.erase(found);
}

void RemovePartialFilesAndExit(int status) {
  Registry& registry = TheRegistry();
  // Held until the process ends: no other thread creates or commits a file after this.
  registry.mutex.lock();
  for (const std::string& path : registry.paths) unlink(path.c_str());
  _exit(status);
}

}  // namespace platform
