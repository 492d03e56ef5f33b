#include "skin/LoadDialog.h"

#include "platform/window/Imaging.h"
#include "platform/window/MemoryBlocks.h"
#include "platform/window/Threads.h"

namespace skin {

platform::MessageResult LoadDialogProc(platform::WindowHandle window, platform::Message message,
                                       platform::WParam wParam, platform::LParam lParam) {
  if (message == platform::kMessageDestroy) {
    if (const auto thread = platform::GetProperty(window, kLoadDialogThread); thread != 0) {
      platform::StopThread(thread);
      platform::CloseThread(thread);
    }
    // The image goes before the block it was loaded from.
    if (const auto image = platform::GetProperty(window, kLoadDialogImage); image != 0) {
      platform::DisposeImage(image);
    }
    if (const auto block = platform::GetProperty(window, kLoadDialogStream); block != 0) {
      platform::FreeBlock(block);
    }
  } else if (message == platform::kMessageLeftButtonDown) {
    const platform::MessageResult result =
        platform::DefaultWindowProcedure(window, message, wParam, lParam);
    if (platform::GetProperty(window, kLoadDialogHitMove) == 1) {
      platform::ReleaseCapture();
      platform::SendMessage(window, platform::kMessageNonClientLeftButtonDown,
                            platform::kHitCaption, 0);
    }
    return result;
  }
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

}  // namespace skin
