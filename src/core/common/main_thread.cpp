#include "core/common/main_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

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

void runOnMainThreadAsync(std::function<void()> work) {
  auto* app = QCoreApplication::instance();
  if (app == nullptr) {
    return;
  }
  QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

}  // namespace dashcard
