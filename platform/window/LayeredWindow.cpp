#include "platform/window/LayeredWindow.h"

#include "platform/window/Presenter.h"

namespace platform {
namespace {

std::uint32_t Blend(std::uint32_t pixel, const LayeredBlend& blend) {
  const std::uint32_t alpha = blend.perPixelAlpha ? pixel >> 24 : 255;
  return (alpha * blend.constantAlpha / 255) << 24 | (pixel & 0x00FFFFFF);
}

}  // namespace

bool UpdateLayeredWindow(WindowHandle window, Size size, ImageHandle source, Point sourceOrigin,
                         const LayeredBlend& blend) {
  if ((GetWindowStyle(window, StyleField::ExStyle) & kExStyleLayered) == 0) return false;
  const std::optional<Picture> whole = ReadPicture(source);
  if (!whole || size.width <= 0 || size.height <= 0 || sourceOrigin.x < 0 || sourceOrigin.y < 0 ||
      size.width > whole->width - sourceOrigin.x || size.height > whole->height - sourceOrigin.y) {
    return false;
  }

  Picture picture{size.width, size.height, {}};
  picture.pixels.reserve(static_cast<std::size_t>(size.width) * size.height);
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      picture.pixels.push_back(Blend(whole->At(sourceOrigin.x + x, sourceOrigin.y + y), blend));
    }
  }

  const Rect rect = GetWindowRect(window).value_or(Rect{});
  if (rect.Width() != size.width || rect.Height() != size.height) {
    SetWindowPosition(window, 0, 0, size.width, size.height, kPositionNoMove | kPositionNoRedraw);
  }
  if (Presenter* presenter = CurrentPresenter()) presenter->Present(window, picture);
  return true;
}

}  // namespace platform
