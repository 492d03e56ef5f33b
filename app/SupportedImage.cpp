#include "app/SupportedImage.h"

#include <algorithm>
#include <array>

namespace app {
namespace {

constexpr std::array<std::string_view, 8> kSuffixes = {".jpg", ".jpeg", ".bmp", ".tiff",
                                                       ".tif", ".png",  ".pcx", ".pcd"};

// ASCII only: the suffixes are ASCII, and a byte of a multi-byte character never equals one.
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsSupportedImage(std::string_view path) {
  return std::ranges::any_of(kSuffixes, [path](std::string_view suffix) {
    return path.size() >= suffix.size() &&
           std::ranges::equal(path.substr(path.size() - suffix.size()), suffix,
                              [](char a, char b) { return Lower(a) == b; });
  });
}

}  // namespace app
