#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/window/Geometry.h"
#include "platform/window/WindowTable.h"

// The tools of a tooltip window (a window of the tooltip class): which control shows which tip
// text, over which area, and where. The desktop presenter shows the tips.
namespace platform {

enum class TipPlacement { AtPointer, CentredBelow };

struct Tool {
  WindowHandle control = 0;
  // In the control's client coordinates.
  Rect area;
  std::string text;
  TipPlacement placement = TipPlacement::AtPointer;
};

// False when the tooltip is no tooltip window, the control is none or already has a tool.
bool AddTool(WindowHandle toolTip, const Tool& tool);
// False when the control has no tool in the tooltip.
bool SetToolText(WindowHandle toolTip, WindowHandle control, std::string_view text);
std::optional<Tool> FindTool(WindowHandle toolTip, WindowHandle control);

// Tips wider than this many pixels wrap; none until set.
bool SetMaxTipWidth(WindowHandle toolTip, int width);
std::optional<int> GetMaxTipWidth(WindowHandle toolTip);

}  // namespace platform
