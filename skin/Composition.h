#pragma once

#include "platform/window/Imaging.h"
#include "platform/window/WindowTable.h"

// How a skin window gets its appearance: its background and its skinned children drawn into one
// picture of the window's size, which becomes the layered window's whole appearance.
namespace skin {

// Composes the window from its properties and presents it.
void Recompose(platform::WindowHandle window);
// Hands an image of the window's size to the layered window.
void Present(platform::WindowHandle window, platform::ImageHandle image);
// Draws one skinned child; the graphics' pixels match the window's rectangle.
void DrawChild(platform::WindowHandle window, platform::WindowHandle child,
               platform::GraphicsHandle graphics);

}  // namespace skin
