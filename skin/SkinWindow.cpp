#include "skin/SkinWindow.h"

#include "skin/Composition.h"
#include "skin/ImageLoading.h"
#include "skin/SkinProperties.h"
#include "skin/WindowMove.h"

namespace skin {

bool SkinWindow::Attach(platform::WindowHandle window) {
  if (!platform::IsWindow(window)) return false;
  window_ = window;
  platform::SetWindowStyle(window, platform::StyleField::ExStyle, platform::kExStyleLayered);
  // Nothing shows until the first composition.
  return true;
}

bool SkinWindow::SetImage(platform::ImageHandle image) {
  if (!platform::IsWindow(window_) || image == 0) return false;
  platform::SetProperty(window_, kPropertyBackImage, image);
  Recompose(window_);
  return true;
}

bool SkinWindow::SetImageFromBytes(std::span<const std::uint8_t> bytes) {
  const platform::ImageHandle image = LoadImageFromBytes(bytes);
  if (SetImage(image)) return true;
  // Refused by a window that is gone: nobody else knows the image.
  if (image != 0) platform::DisposeImage(image);
  return false;
}

void SkinWindow::Refresh() {
  if (platform::IsWindow(window_)) Recompose(window_);
}

void SkinWindow::Move(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                      std::optional<int> height, bool noRedraw) {
  MoveWindow(window_, platform::GetWindowRect(window_).value_or(platform::Rect{}), left, top, width,
             height, noRedraw);
}

platform::WindowHandle SkinWindow::GetHandle() const {
  return window_;
}

bool SkinWindow::IsValid() const {
  return platform::IsWindow(window_);
}

platform::MessageResult SkinWindow::SendWindowMessage(platform::Message message,
                                                      platform::WParam wParam,
                                                      platform::LParam lParam) {
  return platform::SendMessage(window_, message, wParam, lParam);
}

}  // namespace skin
