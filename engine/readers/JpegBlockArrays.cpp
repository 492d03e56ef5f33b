#include "engine/readers/JpegBlockArrays.h"

#include <cstdint>
#include <cstring>

#include <jerror.h>

namespace dropshrink {
namespace {

JpegBlockArrays& ArraysOf(j_common_ptr info) {
  return *static_cast<JpegClientData*>(info->client_data)->blockArrays;
}

}  // namespace

void JpegBlockArrays::Install(j_common_ptr info, JpegClientData& client) {
  client.blockArrays = this;
  info->client_data = &client;
  count_ = 0;
  libraryRealize_ = info->mem->realize_virt_arrays;
  info->mem->request_virt_barray = Request;
  info->mem->realize_virt_arrays = Realize;
  info->mem->access_virt_barray = Access;
}

void JpegBlockArrays::Release() {
  memory_.Release();
  count_ = 0;
}

jvirt_barray_ptr JpegBlockArrays::Request(j_common_ptr info, int pool, boolean preZero,
                                          JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION) {
  JpegBlockArrays& self = ArraysOf(info);
  if (pool != JPOOL_IMAGE) ERREXIT1(info, JERR_BAD_POOL_ID, pool);
  if (self.count_ == MAX_COMPONENTS) ERREXIT(info, JERR_OUT_OF_MEMORY);
  Array& array = self.arrays_[static_cast<std::size_t>(self.count_++)];
  array = {blocksPerRow, rows, preZero != 0, nullptr};
  // The library only hands the pointer back to Access.
  return reinterpret_cast<jvirt_barray_ptr>(&array);
}

std::size_t JpegBlockArrays::BytesNeeded() const {
  std::size_t total = 0;
  for (int i = 0; i < count_; ++i) {
    const Array& array = arrays_[static_cast<std::size_t>(i)];
    const std::size_t rowBytes = std::size_t{array.blocksPerRow} * sizeof(JBLOCK);
    const std::size_t bytes = rowBytes + sizeof(JBLOCKROW);
    if (array.rows != 0 && bytes > (SIZE_MAX - total) / array.rows) return 0;
    total += bytes * array.rows;
  }
  return total;
}

void JpegBlockArrays::Realize(j_common_ptr info) {
  JpegBlockArrays& self = ArraysOf(info);
  const std::size_t bytes = self.BytesNeeded();
  if (self.count_ > 0 && (bytes == 0 || !self.memory_.Reserve(bytes))) {
    ERREXIT(info, JERR_OUT_OF_MEMORY);
  }
  // The row pointers of every array first, then the blocks, which stay aligned for the library.
  auto* rowStarts = static_cast<JBLOCKROW*>(self.memory_.Data());
  std::size_t rowCount = 0;
  for (int i = 0; i < self.count_; ++i) rowCount += self.arrays_[static_cast<std::size_t>(i)].rows;
  auto* blocks = reinterpret_cast<JBLOCK*>(rowStarts + rowCount);
  for (int i = 0; i < self.count_; ++i) {
    Array& array = self.arrays_[static_cast<std::size_t>(i)];
    array.rowStarts = rowStarts;
    for (JDIMENSION row = 0; row < array.rows; ++row, blocks += array.blocksPerRow) {
      rowStarts[row] = blocks;
    }
    if (array.preZero && array.rows > 0) {
      std::memset(array.rowStarts[0], 0,
                  std::size_t{array.rows} * array.blocksPerRow * sizeof(JBLOCK));
    }
    rowStarts += array.rows;
  }
  (*self.libraryRealize_)(info);
}

JBLOCKARRAY JpegBlockArrays::Access(j_common_ptr info, jvirt_barray_ptr handle, JDIMENSION firstRow,
                                    JDIMENSION rows, boolean) {
  const auto& array = *reinterpret_cast<const Array*>(handle);
  if (array.rowStarts == nullptr || firstRow > array.rows || rows > array.rows - firstRow) {
    ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
  }
  return array.rowStarts + firstRow;
}

}  // namespace dropshrink
