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

// Outputs are compared by where they really land: links, "..", names not
// made yet and a folder whose name only begins like the card's.
TEST(SaveFolder, AnOutputOnTheCardIsFoundHoweverItIsSpelled) {
  QTemporaryDir top;
  ASSERT_TRUE(top.isValid());
  const QDir dir(top.path());
  ASSERT_TRUE(dir.mkpath(QStringLiteral("card/NORMAL")));
  ASSERT_TRUE(dir.mkpath(QStringLiteral("card2")));
  ASSERT_TRUE(dir.mkpath(QStringLiteral("elsewhere")));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("card/NORMAL")), dir.filePath(QStringLiteral("elsewhere/link"))));
  const QString card = dir.filePath(QStringLiteral("card"));
  const struct {
    const char* output;
    bool onCard;
  } cases[] = {
      {"card/NORMAL/out.kml", true},
      {"card", true},
      {"card/new folder/deeper/out.kml", true},
      {"elsewhere/link/out.kml", true},
      {"elsewhere/link/../out.kml", true},  // ".." after a link leaves from where it points
      {"card/NORMAL/../../elsewhere/out.kml", false},
      {"elsewhere/../card/out.kml", true},
      {"card2/out.kml", false},
      {"elsewhere/out.kml", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isOutputOnCard(dir.filePath(QString::fromUtf8(c.output)), card), c.onCard) << c.output;
  }
  EXPECT_FALSE(isOutputOnCard(dir.filePath(QStringLiteral("card/out.kml")), QString()));
  EXPECT_TRUE(isOutputOnCard(dir.filePath(QStringLiteral("elsewhere/x")), QStringLiteral("/")));
}

}  // namespace
}  // namespace dashcard
