#pragma once

#include "cli/Job.h"
#include "engine/JpegSettings.h"

namespace dropshrink::cli {

// Converts one pending job and records what became of it; a job already decided is left alone.
// With `skipLarger` the output is written beside the destination first and replaces it only when
// it is no larger than the source, so a larger one leaves an older output as it was.
void Convert(Job& job, const JpegSettings& settings, bool skipLarger);

// What a dry run can tell without writing anything: a source that is not there fails.
void Foresee(Job& job);

}  // namespace dropshrink::cli
