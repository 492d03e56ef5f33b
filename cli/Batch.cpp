#include "cli/Batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

namespace dropshrink::cli {

std::vector<std::size_t> EarlierWithSameDestination(const std::vector<Job>& jobs) {
  std::vector<std::size_t> earlier(jobs.size(), std::string::npos);
  std::map<std::string_view, std::size_t> last;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].verdict != Verdict::Pending) continue;
    const auto [at, added] = last.try_emplace(jobs[i].destination, i);
    if (!added) {
      earlier[i] = at->second;
      at->second = i;
    }
  }
  return earlier;
}

void RunBatch(std::vector<Job>& jobs, int threads, const BatchCalls& calls) {
  const std::vector<std::size_t> earlier = EarlierWithSameDestination(jobs);
  std::atomic<std::size_t> next{0};
  std::vector<char> finished(jobs.size(), 0);
  std::mutex mutex;
  std::condition_variable changed;

  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      // Jobs are taken in list order, so the earlier one is already running on another thread
      // and never waits for this one.
      if (earlier[i] != std::string::npos) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return finished[earlier[i]] != 0; });
      }
      calls.convert(jobs[i]);
      {
        std::lock_guard lock(mutex);
        finished[i] = 1;
      }
      changed.notify_all();
    }
  };

  const auto most = static_cast<std::size_t>(std::max(1, threads));
  std::vector<std::jthread> workers;
  for (std::size_t t = 0; t < std::min(most, jobs.size()); ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      // Out of threads: the ones started so far carry the batch.
      break;
    }
  }
  if (workers.empty()) work();

  for (std::size_t i = 0; i < jobs.size(); ++i) {
    std::unique_lock lock(mutex);
    while (!changed.wait_for(lock, calls.tickEvery, [&] { return finished[i] != 0; })) {
      lock.unlock();
      calls.tick();
      lock.lock();
    }
    lock.unlock();
    calls.done(jobs[i]);
  }
}

}  // namespace dropshrink::cli
