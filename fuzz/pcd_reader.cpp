// Run: fuzz/run.sh fuzz_pcd_reader
#include "engine/readers/PcdReader.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteFuzzInput(data, size);
  if (path == nullptr || size == 0) return 0;
  dropshrink::RasterImage image;
  dropshrink::PcdReader reader;
  // The first byte picks one of the three base images; an image pack starts
  // with 0xFF bytes, which pick the smallest.
  if (reader.Open(path, image, data[0] % 3, nullptr) == 1) reader.Read();
  return 0;
}
