#include "cli/OutputName.h"

#include "platform/Files.h"

namespace dropshrink::cli {

std::string OutputName(const std::string& folder, const std::string& source) {
  const std::size_t slash = source.rfind(platform::kPathSeparator);
  std::string base = slash == std::string::npos ? source : source.substr(slash + 1);
  if (const std::size_t dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);

  std::string name = folder;
  if (!name.empty() && name.back() != platform::kPathSeparator) name += platform::kPathSeparator;
  return name + base + "_压缩.jpg";
}

}  // namespace dropshrink::cli
