#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/window/Imaging.h"
#include "platform/window/WindowTable.h"

namespace skin {

// Turns a top-level window into a layered window whose whole appearance is composed from its
// background picture and its skinned children. A plain value: copies drive the same window, and
// the window and its properties outlive the object.
class SkinWindow {
 public:
  // Leaves the layered style as the window's only extended style. False, with nothing changed,
  // for a handle that is no window.
  bool Attach(platform::WindowHandle window);
  // The image becomes the background (the one before is kept, not disposed) and the window is
  // composed. False, with nothing changed, for image 0 or a window that is gone.
  bool SetImage(platform::ImageHandle image);
  bool SetImageFromBytes(std::span<const std::uint8_t> bytes);
  // Composes the window again, after a child's picture changed.
  void Refresh();
  // Screen coordinates; values not given stay. Nothing is composed.
  void Move(std::optional<int> left = std::nullopt, std::optional<int> top = std::nullopt,
            std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
            bool noRedraw = false);
  platform::WindowHandle GetHandle() const;
  bool IsValid() const;
  platform::MessageResult SendWindowMessage(platform::Message message, platform::WParam wParam,
                                            platform::LParam lParam);

 private:
  platform::WindowHandle window_ = 0;
};

}  // namespace skin
