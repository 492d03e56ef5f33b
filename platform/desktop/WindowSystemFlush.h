#pragma once

namespace platform {

// Returns once the windowing system has taken every request sent so far, so that what was just
// painted is on screen before slow work goes on. Does nothing where requests are not queued
// (no X server).
void FlushWindowSystem();

}  // namespace platform
