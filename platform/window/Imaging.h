#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/window/BlockStream.h"
#include "platform/window/Geometry.h"
#include "platform/window/Guid.h"
#include "platform/window/Picture.h"

// Images and the graphics objects that draw on them, named by integer handles (0 = none).
// Every image owns its pixels. Drawing blends over what is there and scales smoothly.
namespace platform {

using ImageHandle = std::uintptr_t;
using GraphicsHandle = std::uintptr_t;

enum class ImagingStatus {
  Ok,
  InvalidParameter,
  OutOfMemory,
  UnknownImageFormat,
  NotStarted,
  UnsupportedVersion,
};

struct ImagingStartup {
  std::uint32_t version = 1;
  bool suppressBackgroundThread = false;
  bool suppressExternalCodecs = false;
};

struct ImagingStart {
  ImagingStatus status;
  std::uintptr_t token;
};

struct ImageResult {
  ImagingStatus status;
  ImageHandle image;
};

struct GraphicsResult {
  ImagingStatus status;
  GraphicsHandle graphics;
};

// Until a successful start, nothing makes an image.
ImagingStart StartImaging(const ImagingStartup& startup);

// The frame dimension of pictures that change in time.
inline constexpr Guid kFrameDimensionTime{
    0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};

// Decodes the picture file that starts at the stream's position. A picture with several frames
// gives its first one.
ImageResult LoadImageFromStream(BlockStream& stream);
// Only the frame an image was loaded with is there: frame 0 in time.
ImagingStatus SelectActiveFrame(ImageHandle image, const Guid& dimension, unsigned index);
// A fully transparent 32-bit ARGB bitmap.
ImageResult CreateBitmap(int width, int height);
ImageResult CreateBitmapFromPicture(const Picture& picture);
ImagingStatus DisposeImage(ImageHandle image);

std::optional<SizeF> GetImageDimension(ImageHandle image);
std::optional<Size> GetImagePixelSize(ImageHandle image);
std::optional<Picture> ReadPicture(ImageHandle image);
// A PNG file of the image; empty when the image is none.
std::vector<std::uint8_t> EncodePng(ImageHandle image);

// Disposing of the target image deletes its graphics objects too.
GraphicsResult GetImageGraphics(ImageHandle target);
ImagingStatus DeleteGraphics(GraphicsHandle graphics);
// The whole image scaled into the rectangle.
ImagingStatus DrawImageRect(GraphicsHandle graphics, ImageHandle image, float x, float y,
                            float width, float height);
// The source part of the image at (x, y), unscaled; source coordinates are pixels.
ImagingStatus DrawImagePart(GraphicsHandle graphics, ImageHandle image, float x, float y,
                            const Rect& source);

}  // namespace platform
