#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/ConversionCommand.h"
#include "tests/support/CjpegReference.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"
#include "tests/support/ScopedTempDir.h"

namespace dropshrink::testing {

// The whole conversion of `source` writes what cjpeg writes for exactly the `expected` pixels: a
// reader's pixels judged through the chain. Leaves out.jpg, expected.pnm and expected.jpg in `dir`.
inline void ExpectConvertsLikeCjpeg(const std::string& source, const Netpbm& expected,
                                    const ScopedTempDir& dir) {
  EXPECT_EQ(
      ConvertToJpegWithReason(source.c_str(), dir.File("out.jpg").c_str(), kApplicationSettings)
          .result,
      kSucceeded);
  EXPECT_EQ(ReadBytes(dir.File("out.jpg")), CjpegReference(expected, dir.File("expected")));
}

}  // namespace dropshrink::testing
