#pragma once

#include <cstdint>

namespace platform {

using Message = std::uint32_t;

inline constexpr Message kMessageDestroy = 1;
inline constexpr Message kMessageStyleChanged = 2;
inline constexpr Message kMessageNonClientLeftButtonDown = 3;
inline constexpr Message kMessageLeftButtonDown = 4;
inline constexpr Message kMessageLeftButtonUp = 5;
// Local files were dropped on the window: lParam points to the got-file text (a std::string),
// valid for the call.
inline constexpr Message kMessageFilesDropped = 6;
// The first number free for a program's own messages.
inline constexpr Message kMessageUser = 0x1000;

// Where a press landed, as the non-client press message tells it.
inline constexpr std::uintptr_t kHitCaption = 1;

// Window styles.
inline constexpr std::uint32_t kStyleChild = 1u << 0;
inline constexpr std::uint32_t kStyleMinimized = 1u << 1;
inline constexpr std::uint32_t kStyleVisible = 1u << 2;
inline constexpr std::uint32_t kStyleClipSiblings = 1u << 3;
inline constexpr std::uint32_t kStyleClipChildren = 1u << 4;
inline constexpr std::uint32_t kStylePopup = 1u << 5;
// Low 16 bits belong to the window's class; this one makes a static control report clicks.
inline constexpr std::uint32_t kStyleNotify = 1u << 16;

// Extended window styles.
inline constexpr std::uint32_t kExStyleTopmost = 1u << 0;
inline constexpr std::uint32_t kExStyleTransparent = 1u << 1;
inline constexpr std::uint32_t kExStyleToolWindow = 1u << 2;
inline constexpr std::uint32_t kExStyleAppWindow = 1u << 3;
inline constexpr std::uint32_t kExStyleLayered = 1u << 4;
// The window takes dropped files.
inline constexpr std::uint32_t kExStyleAcceptFiles = 1u << 5;

// Class styles: repaint the whole window when its width or height changes.
inline constexpr std::uint32_t kClassRedrawOnHeightChange = 1u << 0;
inline constexpr std::uint32_t kClassRedrawOnWidthChange = 1u << 1;

// System colours a class may paint its background with.
enum class SystemColor { ButtonFace };

// Classes every table offers.
inline constexpr const char* kStaticClass = "Static";
inline constexpr const char* kToolTipClass = "tooltips_class32";

}  // namespace platform
