// Run: fuzz/run.sh fuzz_tiff_reader
#include "engine/readers/TiffReader.h"
#include "fuzz/FuzzInput.h"

// A few hundred bytes can declare a picture of gigabytes that libtiff then
// fills strip after strip, as it should; such inputs only measure the disk.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteFuzzInput(data, size);
  if (path == nullptr) return 0;
  dropshrink::RasterImage image;
  dropshrink::TiffReader reader;
  if (reader.Open(path, image, nullptr) == 1 &&
      static_cast<std::uint64_t>(reader.Width()) * static_cast<std::uint64_t>(reader.Height()) <=
          kMaxPixels) {
    reader.Read();
  }
  return 0;
}
