#pragma once

#include "platform/window/WindowTable.h"

// The window properties through which the toolkit composes a window knowing only its handle.
// An absent property reads as 0.
namespace skin {

// On a child: its kind. Only picture boxes are drawn.
inline constexpr const char* kPropertyType = "PngControl_Type";
// On a skin window its background, on a picture box its picture: an image handle, 0 for none.
inline constexpr const char* kPropertyBackImage = "PngControl_BackImage";
// On a picture box: how the picture is placed.
inline constexpr const char* kPropertyBackType = "PngControl_BackType";

inline constexpr platform::PropertyValue kTypePictureBox = 2;

inline constexpr platform::PropertyValue kPlacementStretch = 1;
inline constexpr platform::PropertyValue kPlacementFitCentred = 2;

}  // namespace skin
