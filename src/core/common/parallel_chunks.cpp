#include "core/common/parallel_chunks.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace dashcard {

int helperThreadCount() { return std::clamp(QThread::idealThreadCount() - 1, 0, 3); }

void forEachInParallel(std::size_t count, std::size_t chunk, const std::function<void(std::size_t)>& body,
                       const std::function<bool()>& cancelled, const std::function<void(std::size_t)>& progress) {
  chunk = std::max<std::size_t>(1, chunk);
  const std::size_t chunks = (count + chunk - 1) / chunk;
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> finished{0};
  const auto work = [&](bool reporting) {
    for (std::size_t index = next++; index < chunks; index = next++) {
      if (cancelled && cancelled()) {
        return;
      }
      const std::size_t end = std::min(count, (index + 1) * chunk);
      for (std::size_t i = index * chunk; i < end; ++i) {
        body(i);
      }
      const std::size_t done = finished += end - index * chunk;
      if (reporting && progress) {
        progress(done);
      }
    }
  };
  const auto helpers = static_cast<std::size_t>(helperThreadCount());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < helpers && i + 1 < chunks; ++i) {
    threads.emplace_back(work, false);
  }
  work(true);
  for (std::thread& thread : threads) {
    thread.join();
  }
}

}  // namespace dashcard
