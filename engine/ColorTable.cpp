#include "engine/ColorTable.h"

#include <climits>

namespace dropshrink {

bool ColorTable::Allocate(std::int32_t count) {
  Clear();
  if (count < 0 || count > INT32_MAX / kEntryBytes || block_.Allocate(count * kEntryBytes) == 0) {
    Clear();
    return false;
  }
  count_ = count;
  return true;
}

void ColorTable::Clear() {
  block_.Free();
  count_ = 0;
}

}  // namespace dropshrink
