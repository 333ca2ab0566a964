#pragma once

#include "core/common/main_thread.h"

#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <functional>
#include <future>

namespace dashcard::test {

// Runs the event loop (background jobs report through it) until `done`
// holds; false when `timeoutMs` passed first. The timeout only keeps a
// broken build from hanging the run: it is no speed goal.
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  return QTest::qWaitFor(done, timeoutMs);
}

// Until every background task ended (a cancelled job reports nothing).
inline bool spinUntilIdle(int timeoutMs = 60000) {
  return spinUntil(
      [] {
        return backgroundJobPool()->activeThreadCount() == 0 && QThreadPool::globalInstance()->activeThreadCount() == 0;
      },
      timeoutMs);
}

// Keeps every thread of the background job pool busy until release() (or
// the end of its scope): a job started meanwhile waits in the queue, so it
// is certainly still running when the next start comes.
class HeldJobPool {
 public:
  HeldJobPool() {
    const std::shared_future<void> gate = gate_.get_future().share();
    for (int i = 0; i < backgroundJobPool()->maxThreadCount(); ++i) {
      startBackgroundJob([gate] { gate.wait(); });
    }
    held_ = spinUntil([] { return backgroundJobPool()->activeThreadCount() == backgroundJobPool()->maxThreadCount(); });
  }
  ~HeldJobPool() { release(); }
  HeldJobPool(const HeldJobPool&) = delete;
  HeldJobPool& operator=(const HeldJobPool&) = delete;
  bool held() const { return held_; }
  void release() {
    if (!released_) {
      released_ = true;
      gate_.set_value();
    }
  }

 private:
  std::promise<void> gate_;
  bool held_ = false;
  bool released_ = false;
};

}  // namespace dashcard::test

// QtTest's DC_TRY_* macros report a timeout only inside a QtTest run: under
// GoogleTest they return from the test silently and it passes. These wait the
// same way (events processed while waiting) and fail the test on timeout.
#define DC_TRY_VERIFY_WITH_TIMEOUT(expr, ms) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(expr); }, ms)) << "timed out waiting for " #expr
#define DC_TRY_VERIFY(expr) DC_TRY_VERIFY_WITH_TIMEOUT(expr, 5000)
#define DC_TRY_COMPARE_WITH_TIMEOUT(actual, expected, ms)                                 \
  ASSERT_TRUE(QTest::qWaitFor([&] { return (actual) == (expected); }, ms)) \
      << "timed out waiting for " #actual " == " #expected
#define DC_TRY_COMPARE(actual, expected) DC_TRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)
