#include "skin/SkinToolkit.h"

#include "platform/window/WindowTable.h"
#include "skin/LoadDialog.h"
#include "skin/WideText.h"

namespace skin {
namespace {

platform::Guid timeDimension;
std::uintptr_t gdiPlusToken = 0;

}  // namespace

void StartSkinToolkit() {
  StartGdiPlus();

  timeDimension = platform::Guid{};
  const ByteArray text = AnsiToWide("{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}");
  if (const auto parsed = platform::ParseGuid(text)) timeDimension = *parsed;

  // Fails harmlessly when the class is there already; nothing creates windows of it.
  platform::RegisterWindowClass(
      {.name = kLoadDialogClass,
       .style = platform::kClassRedrawOnWidthChange | platform::kClassRedrawOnHeightChange,
       .procedure = LoadDialogProc,
       .cursor = platform::Cursor::Arrow,
       .background = platform::SystemColor::ButtonFace});
}

platform::ImagingStatus StartGdiPlus() {
  const platform::ImagingStart start = platform::StartImaging(platform::ImagingStartup{
      .version = 1, .suppressBackgroundThread = false, .suppressExternalCodecs = false});
  if (start.status == platform::ImagingStatus::Ok) gdiPlusToken = start.token;
  return start.status;
}

const platform::Guid& TimeDimension() {
  return timeDimension;
}

std::uintptr_t GdiPlusToken() {
  return gdiPlusToken;
}

}  // namespace skin
