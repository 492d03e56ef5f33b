#include "cli/Batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

namespace dropshrink::cli {

std::vector<std::size_t> EarlierWithSameDestination(const std::vector<Conversion>& conversions) {
  std::vector<std::size_t> earlier(conversions.size(), std::string::npos);
  std::map<std::string_view, std::size_t> last;
  for (std::size_t i = 0; i < conversions.size(); ++i) {
    const auto [at, added] = last.try_emplace(conversions[i].destination, i);
    if (!added) {
      earlier[i] = at->second;
      at->second = i;
    }
  }
  return earlier;
}

void RunBatch(std::vector<Conversion>& conversions, int jobs,
              const std::function<void(const Conversion&, std::size_t index)>& done) {
  const std::vector<std::size_t> earlier = EarlierWithSameDestination(conversions);
  std::atomic<std::size_t> next{0};
  std::vector<char> finished(conversions.size(), 0);
  std::mutex mutex;
  std::condition_variable changed;

  const auto work = [&] {
    for (std::size_t i = next++; i < conversions.size(); i = next++) {
      // Entries are taken in list order, so the earlier one is already running on another thread
      // and never waits for this one.
      if (earlier[i] != std::string::npos) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return finished[earlier[i]] != 0; });
      }
      Conversion& c = conversions[i];
      c.outcome =
          ConvertToJpegWithReason(c.source.c_str(), c.destination.c_str(), kApplicationSettings);
      {
        std::lock_guard lock(mutex);
        finished[i] = 1;
      }
      changed.notify_all();
    }
  };

  const auto threads = static_cast<std::size_t>(std::max(1, jobs));
  std::vector<std::jthread> workers;
  for (std::size_t t = 0; t < std::min(threads, conversions.size()); ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      // Out of threads: the ones started so far carry the batch.
      break;
    }
  }
  if (workers.empty()) work();

  for (std::size_t i = 0; i < conversions.size(); ++i) {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return finished[i] != 0; });
    }
    done(conversions[i], i);
  }
}

}  // namespace dropshrink::cli
