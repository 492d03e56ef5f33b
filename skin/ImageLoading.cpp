#include "skin/ImageLoading.h"

#include "skin/MemoryStream.h"
#include "skin/SkinToolkit.h"

namespace skin {

platform::ImageHandle LoadImageFromBytes(std::span<const std::uint8_t> bytes) {
  MemoryStream stream;
  stream.Open(bytes, true);
  if (stream.GetStream() == nullptr) return 0;

  const platform::ImageResult loaded = platform::LoadImageFromStream(*stream.GetStream());
  const platform::ImageHandle image =
      loaded.status == platform::ImagingStatus::Ok ? loaded.image : 0;
  // Fails without effect for image 0 or before the dimension was parsed.
  platform::SelectActiveFrame(image, TimeDimension(), 0);
  // The image holds its own pixels, so the block goes with the stream.
  return image;
}

}  // namespace skin
