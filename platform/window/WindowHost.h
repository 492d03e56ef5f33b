#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/Geometry.h"
#include "platform/window/WindowTable.h"

// The window host: windows and their controls defined as data, their events raised to the
// program's handlers, modal windows, the message loop and the exit routine. Windows live in the
// window table and are shown by the current presenter.
namespace platform {

// A click area that draws nothing.
struct LabelDefinition {
  std::string name;
  std::string text;
  // In the window's client coordinates.
  Rect rect;
  std::function<void()> onLeftButtonUp;
};

// Takes files dropped on the window it is registered with; it has no window of its own.
struct DropTargetDefinition {
  std::string name;
  std::string text;
  // Where the component sits in the design; it takes nothing there.
  Rect rect;
  std::function<void(std::string& dropped)> onFilesDropped;
};

struct WindowDefinition {
  std::string name;
  // Screen coordinates.
  Rect rect;
  std::string caption;
  bool alwaysOnTop = false;
  // A left press on the window itself, not on a label, moves the window.
  bool dragAnywhere = false;
  std::function<void()> onCreated;
  std::vector<LabelDefinition> labels;
  std::vector<DropTargetDefinition> dropTargets;
};

// Creates the window with its controls and raises its created event. The message loop runs
// until this window is gone. 0 when the window could not be made.
WindowHandle LoadStartupWindow(const WindowDefinition& definition);
// Creates the window, raises its created event and runs the message loop until the window is
// gone. Meanwhile every other window takes no clicks and no drops.
void LoadModalWindow(const WindowDefinition& definition);
// The live window loaded from the definition of this name, the latest one; 0 when none.
WindowHandle GetLoadedWindow(std::string_view name);

// From now on files dropped on dropWindow go to the owner's drop target of that name.
bool RegisterDropTarget(WindowHandle owner, std::string_view targetName, WindowHandle dropWindow);

bool SetAlwaysOnTop(WindowHandle window, bool on);
bool MinimizeWindow(WindowHandle window);

// Called once, when the message loop has ended.
void SetExitRoutine(std::function<void()> routine);
// Runs until the start-up window is gone, then calls the exit routine.
void RunMessageLoop();
// During long work, between two steps: the desktop's housekeeping, no user input.
void LetHousekeepingThrough();
// A plain sleep: nothing is processed meanwhile.
void Sleep(std::chrono::milliseconds duration);

}  // namespace platform
