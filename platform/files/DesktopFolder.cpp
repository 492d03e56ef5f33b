#include "platform/files/DesktopFolder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

namespace platform {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

// XDG_DESKTOP_DIR from user-dirs.dirs: "$HOME/Name" or an absolute path, in double quotes.
std::string XdgDesktop(const std::string& home) {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  std::ifstream file(config + "/user-dirs.dirs");
  constexpr std::string_view kKey = "XDG_DESKTOP_DIR=\"";
  for (std::string line; std::getline(file, line);) {
    if (!line.starts_with(kKey) || line.size() < kKey.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
    if (value.starts_with("$HOME")) value = home + value.substr(5);
    return value.starts_with('/') ? value : std::string();
  }
  return {};
}

}  // namespace

std::string DesktopFolder() {
  const std::string home = Environment("HOME");
  if (const std::string xdg = XdgDesktop(home); IsDirectory(xdg)) return xdg;
  if (IsDirectory(home + "/Desktop")) return home + "/Desktop";
  return home.empty() ? std::string("/") : home;
}

}  // namespace platform
