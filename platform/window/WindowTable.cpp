#include "platform/window/WindowTable.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/window/HandleTable.h"
#include "platform/window/Presenter.h"

namespace platform {
namespace {

struct WindowRecord {
  std::string className;
  std::string text;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  // Relative to the parent's client area; screen coordinates for a top-level window.
  Rect rect;
  WindowHandle parent = 0;
  // Top of the z-order first.
  std::vector<WindowHandle> children;
  std::map<std::string, PropertyValue, std::less<>> properties;
  std::optional<Rect> updateRect;
  WindowProcedure procedure = nullptr;
  bool topmost = false;
  bool destroying = false;
};

std::map<std::string, WindowClass, std::less<>> BuiltInClasses() {
  std::map<std::string, WindowClass, std::less<>> classes;
  for (const char* name : {kStaticClass, kToolTipClass}) {
    classes.emplace(name, WindowClass{.name = name,
                                      .style = 0,
                                      .procedure = DefaultWindowProcedure,
                                      .cursor = std::nullopt,
                                      .background = std::nullopt});
  }
  return classes;
}

struct Table {
  HandleTable<WindowRecord> windows;
  std::map<std::string, WindowClass, std::less<>> classes = BuiltInClasses();
  WindowHandle capture = 0;
};

Table& TheTable() {
  static Table table;
  return table;
}

WindowRecord* Find(WindowHandle window) {
  return TheTable().windows.Find(window);
}

// Where the window's client area starts on screen.
Point ClientOrigin(WindowHandle window) {
  Point origin;
  for (const WindowRecord* record = Find(window); record != nullptr;
       record = Find(record->parent)) {
    origin.x += record->rect.left;
    origin.y += record->rect.top;
  }
  return origin;
}

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return Rect{};
  return r;
}

Rect Union(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

void TellPresenterChanged(WindowHandle window) {
  if (Presenter* presenter = CurrentPresenter()) presenter->WindowChanged(window);
}

}  // namespace

bool RegisterWindowClass(const WindowClass& windowClass) {
  if (windowClass.name.empty() || windowClass.procedure == nullptr) return false;
  return TheTable().classes.emplace(windowClass.name, windowClass).second;
}

std::optional<WindowClass> GetClassInfo(std::string_view name) {
  const auto& classes = TheTable().classes;
  const auto found = classes.find(name);
  if (found == classes.end()) return std::nullopt;
  return found->second;
}

WindowHandle CreateWindow(const WindowCreation& creation) {
  const auto windowClass = GetClassInfo(creation.className);
  if (!windowClass) return 0;
  if (creation.parent != 0 && !IsWindow(creation.parent)) return 0;
  if ((creation.style & kStyleChild) != 0 && creation.parent == 0) return 0;

  WindowRecord record;
  record.className = windowClass->name;
  record.text = creation.text;
  record.style = creation.style;
  record.exStyle = creation.exStyle;
  record.rect = creation.rect;
  record.rect.right = std::max(record.rect.right, record.rect.left);
  record.rect.bottom = std::max(record.rect.bottom, record.rect.top);
  record.parent = creation.parent;
  record.topmost = (creation.exStyle & kExStyleTopmost) != 0;
  record.procedure = windowClass->procedure;
  const WindowHandle window = TheTable().windows.Add(std::move(record));
  if (WindowRecord* parent = Find(creation.parent)) parent->children.push_back(window);
  return window;
}

bool DestroyWindow(WindowHandle window) {
  WindowRecord* record = Find(window);
  if (record == nullptr || record->destroying) return false;
  record->destroying = true;
  SendMessage(window, kMessageDestroy, 0, 0);

  // The procedure may have changed the table; look everything up again.
  const std::vector<WindowHandle> children = Find(window)->children;
  for (const WindowHandle child : children) DestroyWindow(child);

  const WindowHandle parent = Find(window)->parent;
  if (WindowRecord* parentRecord = Find(parent)) std::erase(parentRecord->children, window);
  TheTable().windows.Remove(window);
  if (TheTable().capture == window) TheTable().capture = 0;
  if (Presenter* presenter = CurrentPresenter()) presenter->WindowDestroyed(window);
  return true;
}

bool IsWindow(WindowHandle window) {
  return Find(window) != nullptr;
}

WindowHandle FindWindow(std::string_view className) {
  WindowHandle oldest = 0;
  TheTable().windows.ForEach([&](WindowHandle window, const WindowRecord& record) {
    if (record.parent == 0 && record.className == className && (oldest == 0 || window < oldest)) {
      oldest = window;
    }
  });
  return oldest;
}

WindowHandle GetParent(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record == nullptr ? 0 : record->parent;
}

WindowHandle GetFirstChild(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record == nullptr || record->children.empty() ? 0 : record->children.front();
}

WindowHandle GetNextSibling(WindowHandle window) {
  const WindowRecord* parent = Find(GetParent(window));
  if (parent == nullptr) return 0;
  const auto& siblings = parent->children;
  const auto at = std::find(siblings.begin(), siblings.end(), window);
  return at == siblings.end() || at + 1 == siblings.end() ? 0 : *(at + 1);
}

std::uint32_t GetWindowStyle(WindowHandle window, StyleField field) {
  const WindowRecord* record = Find(window);
  if (record == nullptr) return 0;
  return field == StyleField::Style ? record->style : record->exStyle;
}

std::uint32_t SetWindowStyle(WindowHandle window, StyleField field, std::uint32_t value) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return 0;
  std::uint32_t& slot = field == StyleField::Style ? record->style : record->exStyle;
  const std::uint32_t previous = slot;
  slot = value;
  SendMessage(window, kMessageStyleChanged, static_cast<WParam>(field), value);
  TellPresenterChanged(window);
  return previous;
}

std::string GetClassName(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record == nullptr ? std::string() : record->className;
}

std::string GetWindowText(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record == nullptr ? std::string() : record->text;
}

bool SetWindowText(WindowHandle window, std::string_view text) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  record->text = text;
  TellPresenterChanged(window);
  return true;
}

std::optional<Rect> GetWindowRect(WindowHandle window) {
  const WindowRecord* record = Find(window);
  if (record == nullptr) return std::nullopt;
  const Point origin = ClientOrigin(record->parent);
  const Rect& r = record->rect;
  return Rect{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

std::optional<Rect> GetClientRect(WindowHandle window) {
  const WindowRecord* record = Find(window);
  if (record == nullptr) return std::nullopt;
  return Rect{0, 0, record->rect.Width(), record->rect.Height()};
}

std::optional<Point> ScreenToClient(WindowHandle window, Point point) {
  if (!IsWindow(window)) return std::nullopt;
  const Point origin = ClientOrigin(window);
  return Point{point.x - origin.x, point.y - origin.y};
}

bool SetWindowPosition(WindowHandle window, int left, int top, int width, int height,
                       std::uint32_t flags) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  Rect& r = record->rect;
  if ((flags & kPositionNoSize) == 0) {
    r.right = r.left + std::max(width, 0);
    r.bottom = r.top + std::max(height, 0);
  }
  if ((flags & kPositionNoMove) == 0) {
    r = Rect{left, top, left + r.Width(), top + r.Height()};
  }
  if ((flags & kPositionNoRedraw) == 0) InvalidateRect(window, std::nullopt, true);
  TellPresenterChanged(window);
  return true;
}

bool SetWindowTopmost(WindowHandle window, bool topmost) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  record->topmost = topmost;
  TellPresenterChanged(window);
  return true;
}

bool IsWindowTopmost(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record != nullptr && record->topmost;
}

std::vector<WindowHandle> TopLevelWindows() {
  std::vector<WindowHandle> windows;
  TheTable().windows.ForEach([&](WindowHandle window, const WindowRecord& record) {
    if (record.parent == 0) windows.push_back(window);
  });
  std::ranges::sort(windows);
  return windows;
}

bool InvalidateRect(WindowHandle window, std::optional<Rect> area, [[maybe_unused]] bool erase) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  const Rect client{0, 0, record->rect.Width(), record->rect.Height()};
  const Rect invalid = Intersect(area.value_or(client), client);
  if (invalid.Width() > 0) {
    record->updateRect = record->updateRect ? Union(*record->updateRect, invalid) : invalid;
  }
  return true;
}

std::optional<Rect> GetUpdateRect(WindowHandle window) {
  const WindowRecord* record = Find(window);
  return record == nullptr ? std::nullopt : record->updateRect;
}

bool ValidateWindow(WindowHandle window) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  record->updateRect.reset();
  return true;
}

bool SetProperty(WindowHandle window, std::string_view name, PropertyValue value) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return false;
  record->properties.insert_or_assign(std::string(name), value);
  return true;
}

PropertyValue GetProperty(WindowHandle window, std::string_view name) {
  const WindowRecord* record = Find(window);
  if (record == nullptr) return 0;
  const auto found = record->properties.find(name);
  return found == record->properties.end() ? 0 : found->second;
}

PropertyValue RemoveProperty(WindowHandle window, std::string_view name) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return 0;
  const auto found = record->properties.find(name);
  if (found == record->properties.end()) return 0;
  const PropertyValue value = found->second;
  record->properties.erase(found);
  return value;
}

MessageResult SendMessage(WindowHandle window, Message message, WParam wParam, LParam lParam) {
  const WindowRecord* record = Find(window);
  if (record == nullptr) return 0;
  return record->procedure(window, message, wParam, lParam);
}

MessageResult DefaultWindowProcedure(WindowHandle window, Message message, WParam wParam,
                                     [[maybe_unused]] LParam lParam) {
  if (message == kMessageNonClientLeftButtonDown && wParam == kHitCaption) {
    if (Presenter* presenter = CurrentPresenter(); presenter != nullptr && IsWindow(window)) {
      presenter->BeginSystemMove(window);
    }
  }
  return 0;
}

WindowHandle SetCapture(WindowHandle window) {
  if (!IsWindow(window)) return 0;
  return std::exchange(TheTable().capture, window);
}

bool ReleaseCapture() {
  TheTable().capture = 0;
  return true;
}

WindowHandle GetCapture() {
  return TheTable().capture;
}

}  // namespace platform
