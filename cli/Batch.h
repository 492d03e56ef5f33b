#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "cli/Job.h"

namespace dropshrink::cli {

// For each job, the index of the nearest earlier pending job with the same destination; npos when
// none has it.
std::vector<std::size_t> EarlierWithSameDestination(const std::vector<Job>& jobs);

struct BatchCalls {
  // On a worker thread, once per job.
  std::function<void(Job&)> convert;
  // On the calling thread, in the order of the list, as soon as that job and all before it are
  // finished.
  std::function<void(const Job&)> done;
  // On the calling thread, whenever `tickEvery` passes without a job reaching `done`.
  std::function<void()> tick;
  std::chrono::milliseconds tickEvery{100};
};

// Runs `convert` on every job on up to `threads` threads at once. Jobs that share a destination
// run one after another in list order, so the later one's output is what remains. When a thread
// cannot be started the batch goes on with those it has, or on the calling thread.
void RunBatch(std::vector<Job>& jobs, int threads, const BatchCalls& calls);

}  // namespace dropshrink::cli
