#pragma once

namespace skin {

struct FittedSize {
  int width;
  int height;
  friend bool operator==(const FittedSize&, const FittedSize&) = default;
};

// The picture scaled down, keeping its proportions, until it fits the box; never enlarged.
FittedSize FitInside(int imageWidth, int imageHeight, int boxWidth, int boxHeight);

}  // namespace skin
