#include "core/common/main_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace dashcard {
namespace {

// One hand-over to the main thread, shared by the waiting job and the
// queued call.
struct HandOver {
  enum class State { Waiting, Running, Done, Dropped };
  std::mutex mutex;
  std::condition_variable changed;
  State state = State::Waiting;

  // From Waiting to `to`; false when the other side moved first.
  bool leaveWaiting(State to) {
    std::lock_guard lock(mutex);
    if (state != State::Waiting) {
      return false;
    }
    state = to;
    changed.notify_all();
    return true;
  }
  void set(State to) {
    std::lock_guard lock(mutex);
    state = to;
    changed.notify_all();
  }
};

// Marks the hand-over dropped when the queued call is destroyed unrun (the
// application went away with it still queued).
struct DropGuard {
  explicit DropGuard(std::shared_ptr<HandOver> shared) : handOver(std::move(shared)) {}
  DropGuard(const DropGuard&) = delete;
  DropGuard& operator=(const DropGuard&) = delete;
  ~DropGuard() { handOver->leaveWaiting(HandOver::State::Dropped); }
  const std::shared_ptr<HandOver> handOver;
};

// Set while the main thread drains the job pool: it serves no hand-over then.
std::atomic<bool> draining{false};

}  // namespace

bool isMainThread() {
  auto* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

bool runOnMainThread(const std::function<void()>& work, const std::atomic<bool>& cancel) {
  auto* app = QCoreApplication::instance();
  if (app == nullptr || isMainThread()) {
    if (cancel.load()) {
      return false;
    }
    work();
    return true;
  }
  auto handOver = std::make_shared<HandOver>();
  auto guard = std::make_shared<DropGuard>(handOver);
  // `work` and `cancel` belong to the waiting caller: they are touched only
  // while it still waits (state Running is set before it may leave).
  QMetaObject::invokeMethod(
      app,
      [guard, &work, &cancel] {
        HandOver& shared = *guard->handOver;
        {
          // The caller still waits while the state is Waiting: only then
          // may its flag be read.
          std::lock_guard lock(shared.mutex);
          if (shared.state != HandOver::State::Waiting) {
            return;
          }
          shared.state = cancel.load() ? HandOver::State::Dropped : HandOver::State::Running;
          shared.changed.notify_all();
          if (shared.state == HandOver::State::Dropped) {
            return;
          }
        }
        work();
        shared.set(HandOver::State::Done);
      },
      Qt::QueuedConnection);
  guard.reset();
  std::unique_lock lock(handOver->mutex);
  for (;;) {
    switch (handOver->state) {
      case HandOver::State::Done:
        return true;
      case HandOver::State::Dropped:
        return false;
      case HandOver::State::Waiting:
        // A cancel made on another thread does not wake us: look again soon.
        if (cancel.load() || draining.load() || QCoreApplication::closingDown()) {
          handOver->state = HandOver::State::Dropped;
          return false;
        }
        break;
      case HandOver::State::Running:
        break;
    }
    handOver->changed.wait_for(lock, std::chrono::milliseconds(20));
  }
}

bool runOnMainThread(const std::function<void()>& work) {
  static const std::atomic<bool> never{false};
  return runOnMainThread(work, never);
}

namespace {

#if defined(__SANITIZE_THREAD__)
// QThreadPool hands a job to its thread under a mutex of its own; Qt is not
// instrumented, so without this everything the starting thread wrote before
// the start (the job's captures among it) looks unsynchronised to the job.
char jobHandOver;
void releaseToJob() { __tsan_release(&jobHandOver); }
void acquireInJob() { __tsan_acquire(&jobHandOver); }
#else
void releaseToJob() {}
void acquireInJob() {}
#endif

std::function<void()> handedOver(std::function<void()> job) {
  std::function<void()> wrapped = [job = std::move(job)] {
    acquireInJob();
    job();
  };
  releaseToJob();  // after the wrapper is written: the job reads it
  return wrapped;
}

}  // namespace

QThreadPool* backgroundJobPool() {
  static QThreadPool* const pool = [] {
    auto* made = new QThreadPool();  // left to the end of the process, like Qt's global pool
    // The long jobs mostly wait for files and for the main thread; the
    // chunks of a parallel map need a core each beside them.
    made->setMaxThreadCount(std::max(4, QThread::idealThreadCount()) + 4);
    return made;
  }();
  return pool;
}

void startBackgroundJob(std::function<void()> job) { backgroundJobPool()->start(handedOver(std::move(job))); }

bool tryStartBackgroundJob(std::function<void()> job) {
  return backgroundJobPool()->tryStart(handedOver(std::move(job)));
}

void drainBackgroundJobs() {
  draining.store(true);
  backgroundJobPool()->clear();
  backgroundJobPool()->waitForDone();
  draining.store(false);
}

void runOnMainThreadAsync(std::function<void()> work) {
  auto* app = QCoreApplication::instance();
  if (app == nullptr) {
    work();
    return;
  }
  QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

}  // namespace dashcard
