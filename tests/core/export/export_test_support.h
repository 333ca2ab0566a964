#pragma once

#include "core/common/main_thread.h"
#include "core/catalogue/card_scanner.h"
#include "support/wait_for.h"

#include <QThreadPool>

namespace dashcard::test {

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
