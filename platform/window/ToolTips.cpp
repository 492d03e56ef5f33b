#include "platform/window/ToolTips.h"

#include <map>
#include <vector>

namespace platform {
namespace {

struct ToolTipRecord {
  std::vector<Tool> tools;
  std::optional<int> maxTipWidth;
};

// Handles are never reused, so records of tooltips that are gone are never mistaken for others.
std::map<WindowHandle, ToolTipRecord>& Records() {
  static std::map<WindowHandle, ToolTipRecord> records;
  return records;
}

ToolTipRecord* Record(WindowHandle toolTip) {
  if (GetClassName(toolTip) != kToolTipClass) return nullptr;
  return &Records()[toolTip];
}

Tool* FindIn(ToolTipRecord& record, WindowHandle control) {
  for (Tool& tool : record.tools) {
    if (tool.control == control) return &tool;
  }
  return nullptr;
}

}  // namespace

bool AddTool(WindowHandle toolTip, const Tool& tool) {
  ToolTipRecord* record = Record(toolTip);
  if (record == nullptr || !IsWindow(tool.control) || FindIn(*record, tool.control) != nullptr) {
    return false;
  }
  record->tools.push_back(tool);
  return true;
}

bool SetToolText(WindowHandle toolTip, WindowHandle control, std::string_view text) {
  ToolTipRecord* record = Record(toolTip);
  Tool* tool = record == nullptr ? nullptr : FindIn(*record, control);
  if (tool == nullptr) return false;
  tool->text = text;
  return true;
}

std::optional<Tool> FindTool(WindowHandle toolTip, WindowHandle control) {
  ToolTipRecord* record = Record(toolTip);
  const Tool* tool = record == nullptr ? nullptr : FindIn(*record, control);
  if (tool == nullptr) return std::nullopt;
  return *tool;
}

bool SetMaxTipWidth(WindowHandle toolTip, int width) {
  ToolTipRecord* record = Record(toolTip);
  if (record == nullptr) return false;
  record->maxTipWidth = width;
  return true;
}

std::optional<int> GetMaxTipWidth(WindowHandle toolTip) {
  const ToolTipRecord* record = Record(toolTip);
  return record == nullptr ? std::nullopt : record->maxTipWidth;
}

}  // namespace platform
