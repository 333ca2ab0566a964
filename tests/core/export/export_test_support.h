#pragma once

#include "core/common/main_thread.h"
#include "core/catalogue/card_scanner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThreadPool>

#include <functional>

namespace dashcard::test {

// Runs the main thread's events (the jobs report through them) until
// `done` holds or `timeoutMs` passed; returns whether it holds.
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Until every background task ended (a cancelled job reports nothing).
inline bool spinUntilIdle(int timeoutMs = 60000) {
  return spinUntil(
      [] {
        return backgroundJobPool()->activeThreadCount() == 0 && QThreadPool::globalInstance()->activeThreadCount() == 0;
      },
      timeoutMs);
}

inline DCFInfoList scanRecordings(const QString& root) { return CardScanner().scan(root).recordings; }

}  // namespace dashcard::test
