#include "app/OutputPath.h"

#include "platform/files/Files.h"

namespace app {

std::string MakeOutputPath(std::string_view folder, std::string_view source) {
  // In UTF-8 no byte of a multi-byte character equals '/' or '.', so plain byte searches never
  // split a character.
  const std::size_t slash = source.rfind(platform::kPathSeparator);
  std::string_view base = slash == std::string_view::npos ? source : source.substr(slash + 1);
  if (const std::size_t dot = base.rfind('.'); dot != std::string_view::npos) {
    base = base.substr(0, dot);
  }

  std::string path(folder);
  if (!path.empty() && path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
  path += base;
  path += kOutputSuffix;
  return path;
}

}  // namespace app
