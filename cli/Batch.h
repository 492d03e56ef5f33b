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

// For each entry, the index of the nearest earlier entry with the same destination; npos when
// none does.
std::vector<std::size_t> EarlierWithSameDestination(const std::vector<Conversion>& conversions);

// Converts every entry on up to `jobs` threads at once, with the application's settings.
// Entries that share a destination run one after another in list order, so the later one's
// output is what remains. When a thread cannot be started the batch goes on with those it has,
// or on the calling thread. `done` is called on the calling thread once per entry, in the order
// of the list, as soon as that entry and all before it are finished.
void RunBatch(std::vector<Conversion>& conversions, int jobs,
              const std::function<void(const Conversion&, std::size_t index)>& done);

}  // namespace dropshrink::cli
