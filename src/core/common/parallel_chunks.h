#pragma once

#include <cstddef>
#include <functional>

namespace dashcard {

// Runs `body(i)` for every i in [0, count) on the calling thread and on the
// idle threads of `backgroundJobPool()` (one fewer than the cores, at most
// three), handing out chunks of `chunk` indices in order. Results go into
// slots by index, so the order is the list's whatever thread ran an index.
// `cancelled` is asked between chunks. After each of its own chunks the
// calling thread calls `progress(done)` with the number of indices finished
// by all threads, so reports come from one thread only. Returns when every
// index is done (or cancelled) and no helper touches `body` any more.
void forEachInParallel(std::size_t count, std::size_t chunk, const std::function<void(std::size_t)>& body,
                       const std::function<bool()>& cancelled = {},
                       const std::function<void(std::size_t)>& progress = {});

}  // namespace dashcard
