#include "skin/StyleChange.h"

namespace skin {
namespace {

bool Change(platform::WindowHandle window, platform::StyleField field, std::uint32_t clearBits,
            std::uint32_t setBits) {
  const std::uint32_t old = platform::GetWindowStyle(window, field);
  const std::uint32_t changed = (old & ~clearBits) | setBits;
  if (changed == old) return false;
  platform::SetWindowStyle(window, field, changed);
  return true;
}

}  // namespace

bool ChangeStyle(platform::WindowHandle window, std::uint32_t clearBits, std::uint32_t setBits) {
  return Change(window, platform::StyleField::Style, clearBits, setBits);
}

bool ChangeExStyle(platform::WindowHandle window, std::uint32_t clearBits, std::uint32_t setBits) {
  return Change(window, platform::StyleField::ExStyle, clearBits, setBits);
}

}  // namespace skin
