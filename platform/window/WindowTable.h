#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/Geometry.h"
#include "platform/window/WindowConstants.h"

// The in-process window table: every window of the program is a row here, named by an integer
// handle. Windows have no frame, so a window's client area is its whole rectangle.
namespace platform {

using WindowHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MessageResult = std::intptr_t;
// A window property holds one pointer-sized integer.
using PropertyValue = std::uintptr_t;

using WindowProcedure = MessageResult (*)(WindowHandle window, Message message, WParam wParam,
                                          LParam lParam);

enum class Cursor { Arrow };

struct WindowClass {
  std::string name;
  std::uint32_t style = 0;
  WindowProcedure procedure = nullptr;
  std::optional<Cursor> cursor;
  std::optional<SystemColor> background;
};

// Fails when the name is empty or taken, or there is no procedure.
bool RegisterWindowClass(const WindowClass& windowClass);
std::optional<WindowClass> GetClassInfo(std::string_view name);

struct WindowCreation {
  std::uint32_t exStyle = 0;
  std::string_view className;
  std::string_view text;
  std::uint32_t style = 0;
  // In the parent's client coordinates; screen coordinates for a top-level window.
  Rect rect;
  WindowHandle parent = 0;
};

// A new child goes to the bottom of its siblings' z-order. Gives 0 for an unknown class, a parent
// that is no window, or a child style without a parent.
WindowHandle CreateWindow(const WindowCreation& creation);
// The window gets the destroy message before its children get theirs; then they all go.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
// The oldest top-level window of the class, 0 when there is none.
WindowHandle FindWindow(std::string_view className);

WindowHandle GetParent(WindowHandle window);
// The top of the window's children in z-order, then the next one down.
WindowHandle GetFirstChild(WindowHandle window);
WindowHandle GetNextSibling(WindowHandle window);

enum class StyleField { Style, ExStyle };
std::uint32_t GetWindowStyle(WindowHandle window, StyleField field);
// Returns the previous value (0 when the window is none); the window is told afterwards.
std::uint32_t SetWindowStyle(WindowHandle window, StyleField field, std::uint32_t value);

// Empty for a window that is none.
std::string GetClassName(WindowHandle window);

std::string GetWindowText(WindowHandle window);
bool SetWindowText(WindowHandle window, std::string_view text);

std::optional<Rect> GetWindowRect(WindowHandle window);
std::optional<Rect> GetClientRect(WindowHandle window);
std::optional<Point> ScreenToClient(WindowHandle window, Point point);

enum PositionFlags : std::uint32_t {
  kPositionNoSize = 1u << 0,
  kPositionNoMove = 1u << 1,
  kPositionNoRedraw = 1u << 2,
};
// Position and size as CreateWindow takes them; z-order stays. Negative sizes become 0.
bool SetWindowPosition(WindowHandle window, int left, int top, int width, int height,
                       std::uint32_t flags);

// Above every window that is not topmost. A window made with the topmost extended style starts
// topmost; afterwards only this switch changes it, as style changes leave the z-band alone.
bool SetWindowTopmost(WindowHandle window, bool topmost);
bool IsWindowTopmost(WindowHandle window);

// The top-level windows, oldest first.
std::vector<WindowHandle> TopLevelWindows();

// The area is in client coordinates; none means the whole client area.
bool InvalidateRect(WindowHandle window, std::optional<Rect> area, bool erase);
std::optional<Rect> GetUpdateRect(WindowHandle window);
bool ValidateWindow(WindowHandle window);

bool SetProperty(WindowHandle window, std::string_view name, PropertyValue value);
// 0 for an absent property or a window that is none.
PropertyValue GetProperty(WindowHandle window, std::string_view name);
PropertyValue RemoveProperty(WindowHandle window, std::string_view name);

MessageResult SendMessage(WindowHandle window, Message message, WParam wParam, LParam lParam);
MessageResult DefaultWindowProcedure(WindowHandle window, Message message, WParam wParam,
                                     LParam lParam);

WindowHandle SetCapture(WindowHandle window);
bool ReleaseCapture();
WindowHandle GetCapture();

}  // namespace platform
