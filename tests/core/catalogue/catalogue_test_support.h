#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <functional>

namespace dashcard::test {

// Writes `data` to `root`/`relative`, making the folders on the way.
inline bool writeFileAt(const QString& root, const QString& relative, const QByteArray& data = {}) {
  const QString path = QDir(root).filePath(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Runs the event loop until `done` holds. The deadline only keeps a broken
// build from hanging the run; it is no speed goal.
inline bool spinUntil(const std::function<bool()>& done, int hangGuardMs = 120000) {
  QDeadlineTimer guard(hangGuardMs);
  while (!done()) {
    if (guard.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace dashcard::test
