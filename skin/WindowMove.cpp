#include "skin/WindowMove.h"

namespace skin {

void MoveWindow(platform::WindowHandle window, const platform::Rect& current,
                std::optional<int> left, std::optional<int> top, std::optional<int> width,
                std::optional<int> height, bool noRedraw) {
  std::uint32_t flags = 0;
  if (noRedraw) flags |= platform::kPositionNoRedraw;
  if (!left && !top) flags |= platform::kPositionNoMove;
  if (!width && !height) flags |= platform::kPositionNoSize;
  platform::SetWindowPosition(window, left.value_or(current.left), top.value_or(current.top),
                              width.value_or(current.Width()), height.value_or(current.Height()),
                              flags);
}

}  // namespace skin
