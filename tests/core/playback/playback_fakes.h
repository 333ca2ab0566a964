#pragma once

#include "core/playback/media_controller.h"
#include "support/pane_fakes.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard::test {

// Empty video files named the way the camera names them, with chosen
// modification times.
class NamedRecordings {
 public:
  // `folder`/`name` with the file's modification time `fileDate`.
  DCFInfoPtr add(const QString& folder, const QString& name, const QDateTime& fileDate) {
    QDir(dir_.path()).mkpath(folder);
    const QString relative = folder + QLatin1Char('/') + name;
    QFile file(dir_.filePath(relative));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.flush();  // a later flush would stamp the file with the present
    EXPECT_TRUE(file.setFileTime(fileDate, QFileDevice::FileModificationTime));
    file.close();
    auto info = std::make_shared<DCFInfo>(dir_.path(), relative);
    info->setThumbnailPath(QStringLiteral("done"));  // no background parse
    return info;
  }
  QString root() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

inline QDateTime utc(int h, int m, int s, int ms = 0) {
  return QDateTime(QDate(2024, 1, 1), QTime(h, m, s, ms), Qt::UTC);
}

}  // namespace dashcard::test
