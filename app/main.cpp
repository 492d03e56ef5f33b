// dropshrink: the window that photos are dropped on.
#include <cstdio>
#include <cstring>

#include "app/Application.h"
#include "platform/desktop/DesktopSession.h"

namespace {

constexpr int kUsageError = 2;

constexpr const char* kHelp =
    "usage: dropshrink\n"
    "Opens a small window. Drop pictures, or one folder of them, on it and choose a\n"
    "folder: every JPEG, BMP, TIFF, PNG, PCX and Photo CD picture is written there as\n"
    "<name>_压缩.jpg (colour JPEG, quality 75, optimised Huffman tables).\n"
    "Click Help for help, - to minimise, X to quit. For scripts, see dropshrink-cli.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("dropshrink " DROPSHRINK_VERSION);
    return 0;
  }
  if (argc > 1) {
    std::fprintf(stderr, "dropshrink: takes no arguments\n%s", kHelp);
    return kUsageError;
  }
  platform::DesktopSession session(argc, argv);
  return app::RunApplication();
}
