#pragma once

#include <cstddef>
#include <functional>

namespace dashcard {

// Threads to start beside the calling one: one fewer than the cores, at most three.
int helperThreadCount();

// Runs `body(i)` for every i in [0, count) on the calling thread and on up to
// `helperThreadCount()` helper threads, handing out chunks of
// `chunk` indices in order. `cancelled` is asked between chunks. After each
// of its own chunks the calling thread calls `progress(done)` with the
// number of indices finished by all threads, so reports come from one
// thread only. Returns when every thread is done.
void forEachInParallel(std::size_t count, std::size_t chunk, const std::function<void(std::size_t)>& body,
                       const std::function<bool()>& cancelled = {},
                       const std::function<void(std::size_t)>& progress = {});

}  // namespace dashcard
