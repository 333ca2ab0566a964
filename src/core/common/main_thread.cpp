#include "core/common/main_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace dashcard {

bool isMainThread() {
  auto* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

void runOnMainThreadSync(const std::function<void()>& work) {
  auto* app = QCoreApplication::instance();
  if (app == nullptr) {
    return;
  }
  if (isMainThread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(app, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

QThreadPool* backgroundJobPool() {
  static QThreadPool* const pool = [] {
    auto* made = new QThreadPool();  // left to the end of the process, like Qt's global pool
    // The jobs mostly wait for files and for the main thread.
    made->setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
    return made;
  }();
  return pool;
}

void runOnMainThreadAsync(std::function<void()> work) {
  auto* app = QCoreApplication::instance();
  if (app == nullptr) {
    return;
  }
  QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

}  // namespace dashcard
