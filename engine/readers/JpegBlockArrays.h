#pragma once

#include <array>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "engine/readers/JpegClientData.h"
#include "platform/files/LargeMemory.h"

namespace dropshrink {

// Holds the whole-picture coefficient arrays that an encoder keeps to optimise its Huffman
// tables, and a decoder of a progressive file keeps for its scans, in memory that huge pages can
// back and that is reused from picture to picture, in place of the library's own allocation of
// fresh small pages. It takes over the library's three calls for such arrays and leaves every
// other allocation to the library.
class JpegBlockArrays {
 public:
  // After the library object is created, before it starts. The arrays live until this object
  // does, or until the next picture's arrays are made; either must come after the library
  // object is destroyed. `client` becomes the object's client data.
  void Install(j_common_ptr info, JpegClientData& client);
  // Lets the arrays go, once the library object is destroyed, for the next picture to reuse.
  void Release();

 private:
  struct Array {
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rows = 0;
    bool preZero = false;
    JBLOCKARRAY rowStarts = nullptr;
  };

  static jvirt_barray_ptr Request(j_common_ptr info, int pool, boolean preZero,
                                  JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION maxAccess);
  static void Realize(j_common_ptr info);
  static JBLOCKARRAY Access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION firstRow,
                            JDIMENSION rows, boolean writable);
  // Bytes for every array's blocks and row pointers; 0 when that does not fit in memory.
  std::size_t BytesNeeded() const;

  void (*libraryRealize_)(j_common_ptr) = nullptr;
  // One array per component at most.
  std::array<Array, MAX_COMPONENTS> arrays_{};
  int count_ = 0;
  platform::LargeMemory memory_;
};

}  // namespace dropshrink
