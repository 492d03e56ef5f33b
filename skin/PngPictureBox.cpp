#include "skin/PngPictureBox.h"

#include "platform/window/ToolTips.h"
#include "skin/ImageLoading.h"
#include "skin/SkinProperties.h"
#include "skin/StyleChange.h"
#include "skin/WindowMove.h"

namespace skin {
namespace {

constexpr int kMaxTipWidth = 1024;

// The tooltip window every picture box shares; made again only if something destroyed it.
platform::WindowHandle SharedToolTip() {
  static platform::WindowHandle toolTip = 0;
  if (!platform::IsWindow(toolTip)) {
    toolTip = platform::CreateWindow({.exStyle = platform::kExStyleTopmost,
                                      .className = platform::kToolTipClass,
                                      .text = "",
                                      .style = platform::kStylePopup,
                                      .rect = {},
                                      .parent = 0});
    platform::SetMaxTipWidth(toolTip, kMaxTipWidth);
  }
  return toolTip;
}

// Where the window stands in its parent's client area.
platform::Rect RectInParent(platform::WindowHandle window) {
  const platform::Rect r = platform::GetWindowRect(window).value_or(platform::Rect{});
  const platform::WindowHandle parent = platform::GetParent(window);
  const platform::Point at =
      platform::ScreenToClient(parent, {r.left, r.top}).value_or(platform::Point{r.left, r.top});
  return {at.x, at.y, at.x + r.Width(), at.y + r.Height()};
}

}  // namespace

bool PngPictureBox::Attach(platform::WindowHandle window) {
  if (!platform::IsWindow(window)) return false;
  const platform::WindowHandle parent = platform::GetParent(window);
  ChangeStyle(window, platform::kStyleClipSiblings, 0);
  ChangeExStyle(window, 0, platform::kExStyleTransparent);
  ChangeStyle(parent, platform::kStyleClipChildren, 0);
  window_ = window;
  return true;
}

platform::WindowHandle PngPictureBox::GetHandle() const {
  return window_;
}

bool PngPictureBox::SetProperty(std::string_view name, platform::PropertyValue value) {
  return platform::SetProperty(window_, name, value);
}

platform::PropertyValue PngPictureBox::GetProperty(std::string_view name) const {
  return platform::GetProperty(window_, name);
}

platform::MessageResult PngPictureBox::SendControlMessage(platform::Message message,
                                                          platform::WParam wParam,
                                                          platform::LParam lParam) {
  return platform::SendMessage(window_, message, wParam, lParam);
}

void PngPictureBox::SetToolTip(std::string_view text, bool atPointer) {
  const platform::WindowHandle toolTip = SharedToolTip();
  if (platform::SetToolText(toolTip, window_, text)) return;
  platform::AddTool(toolTip, {.control = window_,
                              .area = platform::GetClientRect(window_).value_or(platform::Rect{}),
                              .text = std::string(text),
                              .placement = atPointer ? platform::TipPlacement::AtPointer
                                                     : platform::TipPlacement::CentredBelow});
}

void PngPictureBox::Move(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                         std::optional<int> height, bool noRedraw) {
  MoveWindow(window_, RectInParent(window_), left, top, width, height, noRedraw);
}

platform::WindowHandle PngPictureBox::GetWindowHandle() const {
  return GetHandle();
}

bool PngPictureBox::IsValid() const {
  return platform::IsWindow(window_);
}

void PngPictureBox::Invalidate() {
  platform::InvalidateRect(window_, std::nullopt, false);
}

platform::MessageResult PngPictureBox::SendWindowMessage(platform::Message message,
                                                         platform::WParam wParam,
                                                         platform::LParam lParam) {
  return SendControlMessage(message, wParam, lParam);
}

platform::WindowHandle PngPictureBox::Create(platform::WindowHandle parent, int left, int top,
                                             int width, int height) {
  const platform::WindowHandle window = platform::CreateWindow(
      {.exStyle = platform::kExStyleTransparent,
       .className = platform::kStaticClass,
       .text = kPictureBoxText,
       .style = platform::kStyleChild | platform::kStyleVisible | platform::kStyleNotify,
       .rect = {left, top, left + width, top + height},
       .parent = parent});
  AttachPictureBox(window);
  return window;
}

void PngPictureBox::AttachPictureBox(platform::WindowHandle window,
                                     std::optional<platform::ImageHandle> image) {
  if (!Attach(window)) return;
  platform::SetProperty(window, kPropertyType, kTypePictureBox);
  platform::SetWindowText(window, kPictureBoxText);
  if (image.value_or(0) != 0) SetImage(image);
}

void PngPictureBox::SetImage(std::optional<platform::ImageHandle> image) {
  platform::SetProperty(window_, kPropertyBackImage, image.value_or(0));
  const platform::WindowHandle parent = platform::GetParent(window_);
  if (parent != 0) platform::InvalidateRect(parent, RectInParent(window_), false);
  platform::InvalidateRect(window_, std::nullopt, false);
}

void PngPictureBox::SetImageFromBytes(std::span<const std::uint8_t> bytes) {
  SetImage(LoadImageFromBytes(bytes));
}

void PngPictureBox::SetBackType(platform::PropertyValue type) {
  platform::SetProperty(window_, kPropertyBackType, type);
}

}  // namespace skin
