#pragma once

#include <functional>

namespace dashcard {

// The moments a user waits for when a window opens a card, for
// bench/bench-window. Off unless DASHCARD_STARTUP_MARKS is set: then each
// moment is written once to stderr as
// "dashcard-mark: NAME UNIX_MS cpu_ms=PROCESS_CPU_MS"; with the value "quit"
// the program quits once both were written.
enum class StartupMoment { ListShown, FirstFrameDrawn };

// Main thread only.
void markStartupMoment(StartupMoment moment);

// Calls `done` once both moments happened (at once if they already did).
// Main thread only; for `dashcard --screenshot`.
void whenStartupComplete(std::function<void()> done);

}  // namespace dashcard
