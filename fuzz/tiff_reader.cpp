// Run: fuzz/run.sh fuzz_tiff_reader
#include "engine/readers/TiffReader.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteFuzzInput(data, size);
  if (path == nullptr) return 0;
  dropshrink::RasterImage image;
  dropshrink::TiffReader reader;
  if (reader.Open(path, image, nullptr) == 1) reader.Read();
  return 0;
}
