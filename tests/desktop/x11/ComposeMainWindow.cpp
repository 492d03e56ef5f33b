// x11_compose_main_window OUT.png: writes MainWindow as the headless start-up composes it, so
// that the X test compares the screen with exactly what the program draws.
#include <cstdio>
#include <fstream>
#include <vector>

#include "app/Application.h"
#include "platform/window/HeadlessPresenter.h"
#include "platform/window/Imaging.h"
#include "platform/window/WindowHost.h"

namespace {

std::vector<std::uint8_t> PngOf(const platform::Picture& picture) {
  const platform::ImageHandle image = platform::CreateBitmapFromPicture(picture).image;
  std::vector<std::uint8_t> png = platform::EncodePng(image);
  platform::DisposeImage(image);
  return png;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: x11_compose_main_window OUT.png\n");
    return 2;
  }
  platform::HeadlessPresenter presenter;
  platform::PresenterBinding binding{presenter};
  const platform::WindowHandle mainWindow = app::StartApplication();
  const platform::Picture* shown = presenter.LastPicture(mainWindow);
  const std::vector<std::uint8_t> png =
      shown == nullptr ? std::vector<std::uint8_t>{} : PngOf(*shown);
  platform::DestroyWindow(mainWindow);
  // With MainWindow gone the loop ends at once and the exit routine runs.
  platform::RunMessageLoop();
  if (png.empty()) {
    std::fprintf(stderr, "x11_compose_main_window: MainWindow showed nothing\n");
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "x11_compose_main_window: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
