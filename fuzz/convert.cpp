// The whole conversion, reading and writing: the picture turned as its metadata says, with its
// profile. Run: fuzz/run.sh fuzz_convert
#include <unistd.h>

#include <string>

#include "engine/ConversionCommand.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = WriteFuzzInput(data, size);
  if (path == nullptr) return 0;
  static const std::string output = "/tmp/dropshrink-fuzz-" + std::to_string(getpid()) + ".jpg";
  dropshrink::ConvertToJpegWithReason(path, output.c_str(), dropshrink::kApplicationSettings);
  return 0;
}
