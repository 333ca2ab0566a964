// The one hand-over of background jobs to the main thread.
#include "core/common/main_thread.h"
#include "core/common/parallel_chunks.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace dashcard {
namespace {

// A worker thread that hands `work` over once; `before` runs on the worker
// first (it may queue something ahead of the hand-over).
struct Worker {
  std::atomic<bool> cancel{false};
  std::atomic<int> result{-1};
  std::unique_ptr<QThread> thread;

  void start(std::function<void()> work, std::function<void()> before = {}) {
    thread.reset(QThread::create([this, work = std::move(work), before = std::move(before)] {
      if (before) {
        before();
      }
      result = runOnMainThread(work, cancel) ? 1 : 0;
    }));
    thread->start();
  }
  // Serves the main thread's events until the worker is back.
  bool finish(bool serve = true) {
    QDeadlineTimer guard(60000);
    while (result.load() < 0 && !guard.hasExpired()) {
      if (serve) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      } else {
        QThread::yieldCurrentThread();
      }
    }
    return thread->wait(QDeadlineTimer(60000)) && result.load() >= 0;
  }
};

TEST(MainThreadHandOver, RunsOnceOnTheMainThreadUnlessCancelledFirst) {
  struct Case {
    const char* name;
    bool cancelOnMainThreadFirst;
    bool expectRun;
  };
  for (const Case& c : {Case{"served", false, true}, Case{"cancelled on the main thread just before", true, false}}) {
    Worker worker;
    int runs = 0;
    bool onMainThread = false;
    // Queued by the worker ahead of its hand-over, so the main thread sets
    // the flag before the hand-over's turn comes.
    worker.start([&] {
      ++runs;
      onMainThread = isMainThread();
    },
                 [&] {
                   if (c.cancelOnMainThreadFirst) {
                     runOnMainThreadAsync([&worker] { worker.cancel = true; });
                   }
                 });
    ASSERT_TRUE(worker.finish()) << c.name;
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, c.expectRun ? 1 : 0) << c.name;
    EXPECT_EQ(worker.result.load(), c.expectRun ? 1 : 0) << c.name;
    EXPECT_EQ(onMainThread, c.expectRun) << c.name;
  }
}

TEST(MainThreadHandOver, CancelReleasesAWorkerTheMainThreadDoesNotServe) {
  Worker worker;
  int runs = 0;
  worker.start([&] { ++runs; });
  worker.cancel = true;
  // The main thread never turns to its events here (a window closing, the
  // application quitting): the worker must still come back.
  ASSERT_TRUE(worker.finish(false));
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(worker.result.load(), 0);
}

TEST(MainThreadHandOver, DrainEndsRunningJobsDropsQueuedOnesAndServesNone) {
  // Every thread of the pool busy handing over (the main thread serves none
  // while it drains), and one more job queued behind them.
  const int threads = backgroundJobPool()->maxThreadCount();
  std::atomic<int> started{0}, handedOver{0}, refused{0}, queuedRan{0};
  for (int i = 0; i < threads; ++i) {
    startBackgroundJob([&] {
      ++started;
      if (!runOnMainThread([&] { ++handedOver; })) ++refused;
    });
  }
  startBackgroundJob([&] { ++queuedRan; });
  QDeadlineTimer guard(60000);
  while (started.load() < threads && !guard.hasExpired()) QThread::yieldCurrentThread();
  ASSERT_EQ(started.load(), threads);
  drainBackgroundJobs();
  EXPECT_EQ(backgroundJobPool()->activeThreadCount(), 0);
  EXPECT_EQ(refused.load(), threads);
  EXPECT_EQ(queuedRan.load(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(handedOver.load(), 0);  // a dropped hand-over never runs later
  // The pool serves again afterwards.
  std::atomic<bool> ran{false};
  startBackgroundJob([&] { ran = runOnMainThread([] {}); });
  while (!ran.load() && !guard.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(ran.load());
}

TEST(ParallelMap, EveryIndexOnceInItsSlotAlsoWhenNested) {
  for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{1000}}) {
    std::vector<int> hits(count, 0);
    std::vector<std::size_t> reports;
    forEachInParallel(
        count, 3,
        [&](std::size_t i) {
          // A map inside a map must not wait for threads it holds itself.
          std::atomic<int> inner{0};
          forEachInParallel(4, 1, [&](std::size_t) { ++inner; });
          hits[i] += inner.load() == 4 ? 1 : 100;
        },
        {}, [&](std::size_t done) { reports.push_back(done); });
    EXPECT_EQ(std::count(hits.begin(), hits.end(), 1), static_cast<std::ptrdiff_t>(count)) << count;
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end())) << count;
  }
}

}  // namespace
}  // namespace dashcard
