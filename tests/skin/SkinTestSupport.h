#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/window/HeadlessPresenter.h"
#include "platform/window/Imaging.h"
#include "platform/window/Picture.h"
#include "platform/window/WindowTable.h"
#include "skin/ByteArray.h"

namespace skintest {

inline constexpr std::uint32_t kTransparent = 0x00000000;
inline constexpr std::uint32_t kRed = 0xFFFF0000;
inline constexpr std::uint32_t kGreen = 0xFF00FF00;
inline constexpr std::uint32_t kBlue = 0xFF0000FF;
inline constexpr std::uint32_t kWhite = 0xFFFFFFFF;
inline constexpr std::uint32_t kBlack = 0xFF000000;

platform::Picture MakePicture(int width, int height,
                              const std::function<std::uint32_t(int x, int y)>& pixel);
platform::Picture Solid(int width, int height, std::uint32_t argb);
// A PNG file of the picture.
skin::ByteArray Png(const platform::Picture& picture);

struct RecordedMessage {
  platform::WindowHandle window;
  platform::Message message;
  platform::WParam wParam;
  platform::LParam lParam;
};

// Starts the toolkit, shows windows through a headless presenter, and destroys at the end every
// window and image the test made through it.
class SkinTest : public ::testing::Test {
 protected:
  static constexpr const char* kRecordingClass = "SkinTestWindow";

  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Windows of a class whose procedure records every message.
  platform::WindowHandle TopLevel(platform::Rect rect, std::uint32_t exStyle = 0,
                                  std::uint32_t style = 0);
  platform::WindowHandle Child(platform::WindowHandle parent, platform::Rect rect,
                               std::uint32_t style = platform::kStyleChild,
                               std::uint32_t exStyle = 0);
  platform::WindowHandle KeepWindow(platform::WindowHandle window);
  platform::ImageHandle Image(const platform::Picture& picture);
  platform::ImageHandle KeepImage(platform::ImageHandle image);

  // Messages of one kind the window got since the test began.
  std::vector<RecordedMessage> MessagesOf(platform::WindowHandle window,
                                          platform::Message message) const;
  // The window's last presented picture; when there is none, the test fails and gets a
  // transparent picture of the window's size.
  platform::Picture Shown(platform::WindowHandle window) const;

  platform::HeadlessPresenter presenter_;

 private:
  platform::PresenterBinding binding_{presenter_};
  std::vector<platform::WindowHandle> windows_;
  std::vector<platform::ImageHandle> images_;
};

}  // namespace skintest
