#include "cli/Batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace dropshrink::cli {

void RunBatch(std::vector<Conversion>& conversions, int jobs,
              const std::function<void(const Conversion&, std::size_t index)>& done) {
  std::atomic<std::size_t> next{0};
  std::vector<char> finished(conversions.size(), 0);
  std::mutex mutex;
  std::condition_variable changed;

  const auto work = [&] {
    for (std::size_t i = next++; i < conversions.size(); i = next++) {
      Conversion& c = conversions[i];
      c.outcome =
          ConvertToJpegWithReason(c.source.c_str(), c.destination.c_str(), kApplicationSettings);
      {
        std::lock_guard lock(mutex);
        finished[i] = 1;
      }
      changed.notify_one();
    }
  };

  const auto threads = static_cast<std::size_t>(std::max(1, jobs));
  std::vector<std::jthread> workers;
  for (std::size_t t = 0; t < std::min(threads, conversions.size()); ++t)
    workers.emplace_back(work);

  for (std::size_t i = 0; i < conversions.size(); ++i) {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return finished[i] != 0; });
    }
    done(conversions[i], i);
  }
}

}  // namespace dropshrink::cli
