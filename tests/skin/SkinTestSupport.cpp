#include "SkinTestSupport.h"

#include <algorithm>

#include "skin/SkinToolkit.h"

namespace skintest {
namespace {

std::vector<RecordedMessage>& Recorded() {
  static std::vector<RecordedMessage> messages;
  return messages;
}

platform::MessageResult RecordingProcedure(platform::WindowHandle window, platform::Message message,
                                           platform::WParam wParam, platform::LParam lParam) {
  Recorded().push_back({window, message, wParam, lParam});
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

}  // namespace

platform::Picture MakePicture(int width, int height,
                              const std::function<std::uint32_t(int x, int y)>& pixel) {
  platform::Picture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.pixels.push_back(pixel(x, y));
  }
  return picture;
}

platform::Picture Solid(int width, int height, std::uint32_t argb) {
  return MakePicture(width, height, [argb](int, int) { return argb; });
}

skin::ByteArray Png(const platform::Picture& picture) {
  const platform::ImageHandle image = platform::CreateBitmapFromPicture(picture).image;
  skin::ByteArray bytes = platform::EncodePng(image);
  platform::DisposeImage(image);
  return bytes;
}

void SkinTest::SetUpTestSuite() {
  skin::StartSkinToolkit();
  platform::RegisterWindowClass({.name = kRecordingClass,
                                 .style = 0,
                                 .procedure = RecordingProcedure,
                                 .cursor = std::nullopt,
                                 .background = std::nullopt});
}

void SkinTest::SetUp() {
  Recorded().clear();
}

void SkinTest::TearDown() {
  for (const platform::WindowHandle window : windows_) platform::DestroyWindow(window);
  for (const platform::ImageHandle image : images_) platform::DisposeImage(image);
}

platform::WindowHandle SkinTest::TopLevel(platform::Rect rect, std::uint32_t exStyle,
                                          std::uint32_t style) {
  return KeepWindow(platform::CreateWindow({.exStyle = exStyle,
                                            .className = kRecordingClass,
                                            .text = "",
                                            .style = style,
                                            .rect = rect,
                                            .parent = 0}));
}

platform::WindowHandle SkinTest::Child(platform::WindowHandle parent, platform::Rect rect,
                                       std::uint32_t style, std::uint32_t exStyle) {
  return KeepWindow(platform::CreateWindow({.exStyle = exStyle,
                                            .className = kRecordingClass,
                                            .text = "",
                                            .style = style,
                                            .rect = rect,
                                            .parent = parent}));
}

platform::WindowHandle SkinTest::KeepWindow(platform::WindowHandle window) {
  EXPECT_NE(window, 0u);
  windows_.push_back(window);
  return window;
}

platform::ImageHandle SkinTest::Image(const platform::Picture& picture) {
  return KeepImage(platform::CreateBitmapFromPicture(picture).image);
}

platform::ImageHandle SkinTest::KeepImage(platform::ImageHandle image) {
  EXPECT_NE(image, 0u);
  images_.push_back(image);
  return image;
}

std::vector<RecordedMessage> SkinTest::MessagesOf(platform::WindowHandle window,
                                                  platform::Message message) const {
  std::vector<RecordedMessage> found;
  std::ranges::copy_if(Recorded(), std::back_inserter(found), [&](const RecordedMessage& m) {
    return m.window == window && m.message == message;
  });
  return found;
}

platform::Picture SkinTest::Shown(platform::WindowHandle window) const {
  if (const platform::Picture* picture = presenter_.LastPicture(window)) return *picture;
  ADD_FAILURE() << "window " << window << " presented nothing";
  const platform::Rect rect = platform::GetWindowRect(window).value_or(platform::Rect{});
  return Solid(rect.Width(), rect.Height(), kTransparent);
}

}  // namespace skintest
