#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/ConversionCommand.h"

namespace dropshrink::cli {

struct Conversion {
  std::string source;
  std::string destination;
  ConversionOutcome outcome{kSourceUnreadable, {}};
};

// Converts every entry on up to `jobs` threads at once, with the application's
// settings. `done` is called on the calling thread once per entry, in the
// order of the list, as soon as that entry and all before it are finished.
void RunBatch(std::vector<Conversion>& conversions, int jobs,
              const std::function<void(const Conversion&, std::size_t index)>& done);

}  // namespace dropshrink::cli
