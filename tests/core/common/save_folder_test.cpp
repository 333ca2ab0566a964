#include "core/common/save_folder.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

TEST(SaveFolder, EachKindStartsWhereItWasLastUsedElseInTheUsersFolders) {
  QSettings().remove(QStringLiteral("saveFolder"));
  QTemporaryDir used;
  ASSERT_TRUE(used.isValid());
  const auto fallback = [](QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    return QDir(path).exists() ? path : QDir::homePath();
  };
  const struct {
    SaveKind kind;
    QString fallback;
  } cases[] = {
      {SaveKind::Capture, fallback(QStandardPaths::PicturesLocation)},
      {SaveKind::BackUp, fallback(QStandardPaths::DocumentsLocation)},
      {SaveKind::Export, fallback(QStandardPaths::DocumentsLocation)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(saveFolder(c.kind), c.fallback);
    EXPECT_NE(saveFolder(c.kind), QDir::currentPath());
    const QString folder = used.filePath(QString::number(int(c.kind)));
    ASSERT_TRUE(QDir().mkpath(folder));
    rememberSaveFolder(c.kind, folder + QStringLiteral("/name with space.jpg"));
    EXPECT_EQ(saveFolder(c.kind), folder);
  }
  // A remembered folder that is gone (a card pulled out) is not offered.
  used.remove();
  for (const auto& c : cases) EXPECT_EQ(saveFolder(c.kind), c.fallback);
  QSettings().remove(QStringLiteral("saveFolder"));
}

}  // namespace
}  // namespace dashcard
