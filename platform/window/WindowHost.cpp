#include "platform/window/WindowHost.h"

#include <map>
#include <thread>
#include <utility>

#include "platform/window/MessagePoint.h"
#include "platform/window/Presenter.h"

namespace platform {
namespace {

constexpr const char* kHostWindowClass = "HostWindow";
constexpr const char* kHostLabelClass = "HostLabel";

// A control of a loaded window: the window and the control's place in its definition.
struct ControlRef {
  WindowHandle owner = 0;
  std::size_t index = 0;
};

struct Host {
  std::map<WindowHandle, WindowDefinition> windows;
  std::map<WindowHandle, ControlRef> labels;
  // Drop window to the drop target that takes its files.
  std::map<WindowHandle, ControlRef> dropWindows;
  // The innermost modal window last.
  std::vector<WindowHandle> modal;
  WindowHandle startup = 0;
  std::function<void()> exitRoutine;
  bool dropping = false;
};

Host& TheHost() {
  static Host host;
  return host;
}

// While a modal window is open, only it takes clicks and drops.
bool Blocked(WindowHandle window) {
  const Host& host = TheHost();
  return !host.modal.empty() && host.modal.back() != window;
}

bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The topmost label under a point of the window. Other children, such as a picture box over the
// whole window, do not take clicks, so the labels keep theirs.
const LabelDefinition* LabelAt(WindowHandle window, Point point) {
  Host& host = TheHost();
  const auto owner = host.windows.find(window);
  if (owner == host.windows.end()) return nullptr;
  for (WindowHandle child = GetFirstChild(window); child != 0; child = GetNextSibling(child)) {
    const auto label = host.labels.find(child);
    if (label == host.labels.end() ||
        (GetWindowStyle(child, StyleField::Style) & kStyleVisible) == 0)
      continue;
    const Rect screen = GetWindowRect(child).value_or(Rect{});
    const Point at = ScreenToClient(window, {screen.left, screen.top}).value_or(Point{});
    if (Contains({at.x, at.y, at.x + screen.Width(), at.y + screen.Height()}, point)) {
      return &owner->second.labels[label->second.index];
    }
  }
  return nullptr;
}

void Forget(WindowHandle window) {
  Host& host = TheHost();
  host.windows.erase(window);
  std::erase_if(host.labels, [&](const auto& entry) { return entry.second.owner == window; });
  std::erase_if(host.dropWindows, [&](const auto& entry) {
    return entry.first == window || entry.second.owner == window;
  });
}

void DeliverDrop(WindowHandle window, std::string& text) {
  Host& host = TheHost();
  const auto found = host.dropWindows.find(window);
  if (found == host.dropWindows.end() || host.dropping) return;
  // The handler may destroy the window and with it the definition it came from.
  const auto handler =
      host.windows.at(found->second.owner).dropTargets[found->second.index].onFilesDropped;
  if (!handler) return;
  host.dropping = true;
  handler(text);
  host.dropping = false;
}

MessageResult HostWindowProcedure(WindowHandle window, Message message, WParam wParam,
                                  LParam lParam) {
  Host& host = TheHost();
  switch (message) {
    case kMessageDestroy:
      Forget(window);
      break;
    case kMessageLeftButtonDown: {
      if (Blocked(window) || LabelAt(window, UnpackPoint(lParam)) != nullptr) return 0;
      const auto found = host.windows.find(window);
      if (found != host.windows.end() && found->second.dragAnywhere) {
        SendMessage(window, kMessageNonClientLeftButtonDown, kHitCaption, 0);
      }
      return 0;
    }
    case kMessageLeftButtonUp: {
      if (Blocked(window)) return 0;
      const LabelDefinition* label = LabelAt(window, UnpackPoint(lParam));
      if (label == nullptr || !label->onLeftButtonUp) return 0;
      const auto handler = label->onLeftButtonUp;
      handler();
      return 0;
    }
    case kMessageFilesDropped:
      if (!Blocked(window) && lParam != 0)
        DeliverDrop(window, *reinterpret_cast<std::string*>(lParam));
      return 0;
    default:
      break;
  }
  return DefaultWindowProcedure(window, message, wParam, lParam);
}

void RegisterHostClasses() {
  // Fails harmlessly from the second load on.
  RegisterWindowClass({.name = kHostWindowClass,
                       .style = 0,
                       .procedure = HostWindowProcedure,
                       .cursor = Cursor::Arrow,
                       .background = std::nullopt});
  RegisterWindowClass({.name = kHostLabelClass,
                       .style = 0,
                       .procedure = DefaultWindowProcedure,
                       .cursor = std::nullopt,
                       .background = std::nullopt});
}

WindowHandle Load(const WindowDefinition& definition) {
  RegisterHostClasses();
  const WindowHandle window =
      CreateWindow({.exStyle = definition.alwaysOnTop ? kExStyleTopmost : 0u,
                    .className = kHostWindowClass,
                    .text = definition.caption,
                    .style = kStylePopup | kStyleVisible,
                    .rect = definition.rect,
                    .parent = 0});
  if (window == 0) return 0;
  Host& host = TheHost();
  host.windows.emplace(window, definition);
  for (std::size_t i = 0; i < definition.labels.size(); ++i) {
    const LabelDefinition& label = definition.labels[i];
    const WindowHandle child = CreateWindow({.exStyle = kExStyleTransparent,
                                             .className = kHostLabelClass,
                                             .text = label.text,
                                             .style = kStyleChild | kStyleVisible,
                                             .rect = label.rect,
                                             .parent = window});
    if (child != 0) host.labels.emplace(child, ControlRef{window, i});
  }
  if (definition.onCreated) {
    const auto created = definition.onCreated;
    created();
  }
  return window;
}

}  // namespace

WindowHandle LoadStartupWindow(const WindowDefinition& definition) {
  const WindowHandle window = Load(definition);
  TheHost().startup = window;
  return window;
}

void LoadModalWindow(const WindowDefinition& definition) {
  const WindowHandle window = Load(definition);
  if (!IsWindow(window)) return;
  Host& host = TheHost();
  host.modal.push_back(window);
  if (Presenter* presenter = CurrentPresenter()) {
    presenter->RunUntil([window] { return !IsWindow(window); });
  }
  std::erase(host.modal, window);
}

WindowHandle GetLoadedWindow(std::string_view name) {
  WindowHandle latest = 0;
  for (const auto& [window, definition] : TheHost().windows) {
    if (definition.name == name) latest = window;
  }
  return latest;
}

bool RegisterDropTarget(WindowHandle owner, std::string_view targetName, WindowHandle dropWindow) {
  Host& host = TheHost();
  const auto found = host.windows.find(owner);
  if (found == host.windows.end() || !host.windows.contains(dropWindow)) return false;
  const auto& targets = found->second.dropTargets;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (targets[i].name != targetName) continue;
    host.dropWindows.insert_or_assign(dropWindow, ControlRef{owner, i});
    SetWindowStyle(dropWindow, StyleField::ExStyle,
                   GetWindowStyle(dropWindow, StyleField::ExStyle) | kExStyleAcceptFiles);
    return true;
  }
  return false;
}

bool SetAlwaysOnTop(WindowHandle window, bool on) {
  return SetWindowTopmost(window, on);
}

bool MinimizeWindow(WindowHandle window) {
  if (!IsWindow(window)) return false;
  SetWindowStyle(window, StyleField::Style,
                 GetWindowStyle(window, StyleField::Style) | kStyleMinimized);
  return true;
}

void SetExitRoutine(std::function<void()> routine) {
  TheHost().exitRoutine = std::move(routine);
}

void RunMessageLoop() {
  Host& host = TheHost();
  const WindowHandle startup = host.startup;
  if (Presenter* presenter = CurrentPresenter(); presenter != nullptr && IsWindow(startup)) {
    presenter->RunUntil([startup] { return !IsWindow(startup); });
  }
  if (auto routine = std::exchange(host.exitRoutine, nullptr)) routine();
}

void LetHousekeepingThrough() {
  if (Presenter* presenter = CurrentPresenter()) presenter->LetHousekeepingThrough();
}

void Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace platform
