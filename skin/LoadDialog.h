#pragma once

#include "platform/window/WindowTable.h"

namespace skin {

inline constexpr const char* kLoadDialogClass = "NimboLoadDialog";

// What a window of the class may carry: a worker thread, an image and the memory block it was
// loaded from, and whether a press anywhere drags the window (exactly 1).
inline constexpr const char* kLoadDialogThread = "Nimbo_Thread";
inline constexpr const char* kLoadDialogImage = "Nimbo_Image";
inline constexpr const char* kLoadDialogStream = "Nimbo_Stream";
inline constexpr const char* kLoadDialogHitMove = "NimboHitMove";

platform::MessageResult LoadDialogProc(platform::WindowHandle window, platform::Message message,
                                       platform::WParam wParam, platform::LParam lParam);

}  // namespace skin
