#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/window/Imaging.h"
#include "platform/window/WindowTable.h"

namespace skin {

inline constexpr const char* kPictureBoxText = "霓波真彩控件.图片框";

// A child control that shows a picture with per-pixel alpha over its parent. It never paints:
// everything it knows lives in properties of its window, which the skin window's composition
// reads. A plain value: copies drive the same window, and the window outlives the object.
class PngPictureBox {
 public:
  // Takes the sibling clipping off the window and the child clipping off its parent, and makes
  // the window transparent. False, holding the handle before, for a handle that is no window.
  bool Attach(platform::WindowHandle window);
  platform::WindowHandle GetHandle() const;
  bool SetProperty(std::string_view name, platform::PropertyValue value);
  platform::PropertyValue GetProperty(std::string_view name) const;
  platform::MessageResult SendControlMessage(platform::Message message, platform::WParam wParam,
                                             platform::LParam lParam);
  // One tooltip window serves every box. The tip shows at the pointer, or centred below the
  // control; a later call for the same control only replaces the text.
  void SetToolTip(std::string_view text, bool atPointer = true);
  // Left and top in the parent's client coordinates; values not given stay.
  void Move(std::optional<int> left = std::nullopt, std::optional<int> top = std::nullopt,
            std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
            bool noRedraw = false);
  // Another name for GetHandle.
  platform::WindowHandle GetWindowHandle() const;
  bool IsValid() const;
  void Invalidate();
  // Another name for SendControlMessage.
  platform::MessageResult SendWindowMessage(platform::Message message, platform::WParam wParam,
                                            platform::LParam lParam);
  // Creates a visible "Static" child and makes it a picture box; 0 when creation fails.
  platform::WindowHandle Create(platform::WindowHandle parent, int left, int top, int width,
                                int height);
  // Attaches and turns the window into a picture box, showing the image when one other than 0
  // is given.
  void AttachPictureBox(platform::WindowHandle window,
                        std::optional<platform::ImageHandle> image = std::nullopt);
  // Stores the picture (none when not given; the one before is kept, not disposed) and marks
  // the control and the parent area under it for repainting. The skin window's next composition
  // shows it.
  void SetImage(std::optional<platform::ImageHandle> image = std::nullopt);
  // Bytes that are no picture leave the box without one.
  void SetImageFromBytes(std::span<const std::uint8_t> bytes);
  // 1 stretch, 2 fit inside and centre, anything else natural size at the top-left.
  void SetBackType(platform::PropertyValue type);

 private:
  platform::WindowHandle window_ = 0;
};

}  // namespace skin
