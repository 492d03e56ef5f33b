#include "skin/FitInside.h"

namespace skin {

FittedSize FitInside(int imageWidth, int imageHeight, int boxWidth, int boxHeight) {
  double width = imageWidth;
  double height = imageHeight;
  // Each division below is by a value larger than a box side, so never by zero for boxes of
  // non-negative size.
  if (width > boxWidth) {
    height = static_cast<int>(height * boxWidth / width);
    width = boxWidth;
  }
  if (height > boxHeight) {
    width = static_cast<int>(width * boxHeight / height);
    height = boxHeight;
  }
  return {static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace skin
