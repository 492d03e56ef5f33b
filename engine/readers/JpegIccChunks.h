#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dropshrink {

// Puts a colour profile back together from a JPEG's APP2 "ICC_PROFILE" chunks, numbered 1 to
// their count and in any order. A set whose numbers do not add up, or that grows past the largest
// profile kept, gives no profile; the picture itself is not affected.
class JpegIccChunks {
 public:
  // The data of an APP2 marker after its length; markers of other kinds are passed over.
  void Add(std::span<const std::uint8_t> marker);
  // The whole profile, or empty.
  std::vector<std::uint8_t> Profile() const;

 private:
  void Drop();

  std::vector<std::vector<std::uint8_t>> chunks_;
  std::vector<bool> seen_;
  std::size_t bytes_ = 0;
  bool broken_ = false;
};

}  // namespace dropshrink
