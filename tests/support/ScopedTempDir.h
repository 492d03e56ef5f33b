#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace dropshrink::testing {

// A fresh folder that also stands as the temporary folder ($TMPDIR) while the
// object lives, so a test sees exactly the temporary files its calls leave.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "dropshrink-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    if (const char* old = std::getenv("TMPDIR")) oldTmpdir_ = old;
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  ~ScopedTempDir() {
    if (oldTmpdir_.empty()) {
      unsetenv("TMPDIR");
    } else {
      setenv("TMPDIR", oldTmpdir_.c_str(), 1);
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  // Names of the files directly in the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
  std::string oldTmpdir_;
};

}  // namespace dropshrink::testing
