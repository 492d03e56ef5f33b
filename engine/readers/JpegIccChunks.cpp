#include "engine/readers/JpegIccChunks.h"

#include <algorithm>
#include <cstring>

#include "engine/PictureFacts.h"

namespace dropshrink {
namespace {

constexpr char kSignature[] = "ICC_PROFILE";  // with its closing zero byte
constexpr std::size_t kSignatureBytes = sizeof kSignature;
// The signature, then the chunk's number and the number of chunks.
constexpr std::size_t kChunkHeaderBytes = kSignatureBytes + 2;

}  // namespace

void JpegIccChunks::Add(std::span<const std::uint8_t> marker) {
  if (marker.size() < kChunkHeaderBytes ||
      std::memcmp(marker.data(), kSignature, kSignatureBytes) != 0 || broken_) {
    return;
  }
  const std::size_t number = marker[kSignatureBytes];
  const std::size_t count = marker[kSignatureBytes + 1];
  if (chunks_.empty() && count > 0) {
    chunks_.resize(count);
    seen_.assign(count, false);
  }
  const std::span<const std::uint8_t> data = marker.subspan(kChunkHeaderBytes);
  bytes_ += data.size();
  if (number < 1 || number > chunks_.size() || count != chunks_.size() || seen_[number - 1] ||
      bytes_ > kMaxIccProfileBytes) {
    Drop();
    return;
  }
  seen_[number - 1] = true;
  chunks_[number - 1].assign(data.begin(), data.end());
}

std::vector<std::uint8_t> JpegIccChunks::Profile() const {
  if (broken_ || chunks_.empty() || std::find(seen_.begin(), seen_.end(), false) != seen_.end()) {
    return {};
  }
  std::vector<std::uint8_t> profile;
  profile.reserve(bytes_);
  for (const auto& chunk : chunks_) profile.insert(profile.end(), chunk.begin(), chunk.end());
  return IsWholeIccProfile(profile) ? profile : std::vector<std::uint8_t>{};
}

void JpegIccChunks::Drop() {
  broken_ = true;
  chunks_ = {};
  seen_ = {};
}

}  // namespace dropshrink
