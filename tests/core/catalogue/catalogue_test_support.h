#pragma once

#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace dashcard::test {

// Writes `data` to `root`/`relative`, making the folders on the way.
inline bool writeFileAt(const QString& root, const QString& relative, const QByteArray& data = {}) {
  const QString path = QDir(root).filePath(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

}  // namespace dashcard::test
