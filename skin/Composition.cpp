#include "skin/Composition.h"

#include "platform/window/ImageOwners.h"
#include "platform/window/LayeredWindow.h"
#include "skin/FitInside.h"
#include "skin/SkinProperties.h"

namespace skin {
namespace {

// Anything larger than the control by more than rounding noise is cut, not scaled.
constexpr float kLargerThan = 1e-7f;

}  // namespace

void Recompose(platform::WindowHandle window) {
  const platform::Rect rect = platform::GetWindowRect(window).value_or(platform::Rect{});
  platform::OwnedImage canvas(platform::CreateBitmap(rect.Width(), rect.Height()).image);
  platform::OwnedGraphics graphics(platform::GetImageGraphics(canvas.Get()).graphics);

  if (const auto background = platform::GetProperty(window, kPropertyBackImage); background != 0) {
    const platform::SizeF size =
        platform::GetImageDimension(canvas.Get()).value_or(platform::SizeF{});
    platform::DrawImageRect(graphics.Get(), background, 0, 0, size.width, size.height);
  }

  // Later children are drawn over earlier ones: the lowest in z-order ends on top.
  for (auto child = platform::GetFirstChild(window); child != 0;
       child = platform::GetNextSibling(child)) {
    if (platform::GetProperty(child, kPropertyType) != 0) DrawChild(window, child, graphics.Get());
  }

  graphics.Release();
  Present(window, canvas.Get());
  canvas.Release();
}

void Present(platform::WindowHandle window, platform::ImageHandle image) {
  if (!platform::IsWindow(window) || image == 0) return;
  const platform::Rect rect = platform::GetWindowRect(window).value_or(platform::Rect{});
  const platform::Size size{rect.Width(), rect.Height()};

  platform::OwnedImage buffer(platform::CreateBitmap(size.width, size.height).image);
  platform::OwnedGraphics graphics(platform::GetImageGraphics(buffer.Get()).graphics);
  if (const auto own = platform::GetImagePixelSize(image)) {
    platform::DrawImageRect(graphics.Get(), image, 0, 0, static_cast<float>(own->width),
                            static_cast<float>(own->height));
  }
  graphics.Release();

  platform::UpdateLayeredWindow(
      window, size, buffer.Get(), platform::Point{0, 0},
      platform::LayeredBlend{.constantAlpha = 255, .perPixelAlpha = true});
  buffer.Release();
}

void DrawChild(platform::WindowHandle window, platform::WindowHandle child,
               platform::GraphicsHandle graphics) {
  const platform::Rect r = platform::GetWindowRect(child).value_or(platform::Rect{});
  const int w = r.Width();
  const int h = r.Height();
  const platform::Point at =
      platform::ScreenToClient(window, {r.left, r.top}).value_or(platform::Point{r.left, r.top});

  if (platform::GetProperty(child, kPropertyType) != kTypePictureBox) return;
  const auto picture = platform::GetProperty(child, kPropertyBackImage);
  if (picture == 0) return;

  const platform::SizeF natural = platform::GetImageDimension(picture).value_or(platform::SizeF{});
  const auto x = static_cast<float>(at.x);
  const auto y = static_cast<float>(at.y);
  const auto placement = platform::GetProperty(child, kPropertyBackType);
  if (placement == kPlacementStretch) {
    platform::DrawImageRect(graphics, picture, x, y, static_cast<float>(w), static_cast<float>(h));
  } else if (placement == kPlacementFitCentred) {
    const FittedSize fitted =
        FitInside(static_cast<int>(natural.width), static_cast<int>(natural.height), w, h);
    platform::DrawImageRect(graphics, picture, x + static_cast<float>((w - fitted.width) / 2),
                            y + static_cast<float>((h - fitted.height) / 2),
                            static_cast<float>(fitted.width), static_cast<float>(fitted.height));
  } else if (natural.width - static_cast<float>(w) > kLargerThan ||
             natural.height - static_cast<float>(h) > kLargerThan) {
    platform::DrawImagePart(graphics, picture, x, y, platform::Rect{0, 0, w, h});
  } else {
    platform::DrawImageRect(graphics, picture, x, y, natural.width, natural.height);
  }
}

}  // namespace skin
