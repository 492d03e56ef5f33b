#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dropshrink {

// Larger profiles are dropped: real ones are a few kilobytes, the largest device profiles well
// under a megabyte.
inline constexpr std::size_t kMaxIccProfileBytes = 1 << 20;

// What a source says about showing its pixels beyond the pixels themselves.
struct PictureFacts {
  // The EXIF orientation, 1 to 8: how the stored picture is turned and mirrored to stand upright.
  int orientation = 1;
  // The colour profile the pixels are in, to be embedded as it is; empty for none.
  std::vector<std::uint8_t> iccProfile;
};

// Whether `profile` can be embedded: no larger than kMaxIccProfileBytes, and as long as its own
// header says, with the header's signature, so a damaged or cut profile is never passed on.
inline bool IsWholeIccProfile(std::span<const std::uint8_t> profile) {
  constexpr std::size_t kHeaderBytes = 128;
  constexpr std::size_t kSignatureAt = 36;
  if (profile.size() < kHeaderBytes || profile.size() > kMaxIccProfileBytes) return false;
  const std::uint32_t declared = static_cast<std::uint32_t>(profile[0]) << 24 |
                                 static_cast<std::uint32_t>(profile[1]) << 16 |
                                 static_cast<std::uint32_t>(profile[2]) << 8 | profile[3];
  return declared == profile.size() && profile[kSignatureAt] == 'a' &&
         profile[kSignatureAt + 1] == 'c' && profile[kSignatureAt + 2] == 's' &&
         profile[kSignatureAt + 3] == 'p';
}

}  // namespace dropshrink
