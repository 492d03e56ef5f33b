#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The readers take paths, so every input is written to one file per process.
inline const char* WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/dropshrink-fuzz-" + std::to_string(getpid()) + ".bin";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return nullptr;
  const bool written = size == 0 || std::fwrite(data, size, 1, file) == 1;
  return std::fclose(file) == 0 && written ? path.c_str() : nullptr;
}
