#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/ConversionCommand.h"
#include "tests/support/Decode.h"
#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

// A file that Open refuses (opened 0) or Read fails on (opened 1), and why: a row of the readers'
// failure tables.
struct FailureCase {
  const char* what;
  Bytes file;
  int opened;
  Failure failure;
};

// The reader refuses (opened 0) or fails to read (opened 1) the file for this reason and leaves
// the target empty. When the reader knew its format, the whole conversion fails for the same
// reason, named after the reader's format.
template <class Reader>
void ExpectFailure(const std::string& path, int opened, Failure failure) {
  RasterImage image;
  const Decoding d = DecodeWith<Reader>(path, image);
  EXPECT_EQ(d.opened, opened);
  EXPECT_EQ(d.read, 0);
  EXPECT_EQ(d.failure, failure);
  EXPECT_EQ(image.Width(), 0);
  if (failure == Failure::NotThisFormat) return;

  const std::string output = path + ".jpg";
  const ConversionOutcome outcome =
      ConvertToJpegWithReason(path.c_str(), output.c_str(), kApplicationSettings);
  EXPECT_EQ(outcome.result, kSourceUnreadable);
  EXPECT_EQ(outcome.reason.failure, failure);
  EXPECT_EQ(outcome.reason.format, Reader::kFormatName);
}

}  // namespace dropshrink::testing
