#include "core/common/parallel_chunks.h"

#include "core/common/main_thread.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace dashcard {

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
  // Helpers that start after the caller is done leave without touching its
  // frame; the caller waits only for those that got in.
  struct Helpers {
    std::mutex mutex;
    std::condition_variable left;
    int active = 0;
    bool closed = false;
  };
  const auto helpers = std::make_shared<Helpers>();
  const std::size_t wanted = std::min<std::size_t>(std::clamp(QThread::idealThreadCount() - 1, 0, 3), chunks);
  for (std::size_t i = 1; i < wanted + 1 && i < chunks; ++i) {
    // Only idle threads: a busy pool leaves the work to the caller.
    const bool started = tryStartBackgroundJob([helpers, &work] {
      {
        std::lock_guard lock(helpers->mutex);
        if (helpers->closed) {
          return;
        }
        ++helpers->active;
      }
      work(false);
      std::lock_guard lock(helpers->mutex);
      --helpers->active;
      helpers->left.notify_all();
    });
    if (!started) {
      break;
    }
  }
  work(true);
  std::unique_lock lock(helpers->mutex);
  helpers->closed = true;
  helpers->left.wait(lock, [&] { return helpers->active == 0; });
}

}  // namespace dashcard
