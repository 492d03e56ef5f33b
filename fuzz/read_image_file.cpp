// The whole reader chain. Run: fuzz/run.sh fuzz_read_image_file
#include "engine/ConversionCommand.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteFuzzInput(data, size);
  if (path == nullptr) return 0;
  dropshrink::RasterImage image;
  dropshrink::ReadImageFile(path, image);
  return 0;
}
