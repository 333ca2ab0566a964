#include "core/catalogue/card_scanner.h"
#include "core/common/const_class.h"
#include "support/temp_card.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <initializer_list>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QMap<QString, QByteArray> tree(const QString& root) {
  QMap<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    files.insert(path.mid(root.size()), readAll(path));
  }
  return files;
}

TEST(SampleCardMaker, SameSeedGivesSameCardAndOtherSeedAnother) {
  SampleCardOptions options;
  options.clips = 4;
  options.clipSeconds = 2;
  test::TempCard a(options), b(options);
  options.seed = 2;
  test::TempCard c(options);
  ASSERT_TRUE(a.ok() && b.ok() && c.ok()) << a.error().toStdString();
  const auto treeA = tree(a.root());
  EXPECT_EQ(treeA, tree(b.root()));
  EXPECT_NE(treeA, tree(c.root()));
  // 4 clips: front + rear + telemetry each, one picture, the settings file.
  EXPECT_EQ(treeA.size(), 4 * 3 + 2);
}

TEST(SampleCardMaker, LayoutNamesAndMidnight) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const QRegularExpression front(QStringLiteral(
      R"(^(NORMAL|EVENT|MANUAL|PARKING)/F_\d{14}_\d{14}_[NEM]\.MP4$)"));
  bool crossesMidnight = false;
  for (const auto& clip : card.clips()) {
    EXPECT_TRUE(front.match(clip.frontPath).hasMatch()) << clip.frontPath.toStdString();
    EXPECT_TRUE(QFile::exists(card.path(clip.frontPath)));
    EXPECT_TRUE(QFile::exists(card.path(clip.rearPath)));
    EXPECT_TRUE(QFile::exists(card.path(clip.telemetryPath)));
    EXPECT_TRUE(clip.telemetryPath.startsWith(QStringLiteral("NMEA/") + clip.folder + QLatin1Char('/')));
    crossesMidnight |= clip.start.date() != clip.start.addSecs(clip.seconds - 1).date();
  }
  EXPECT_TRUE(crossesMidnight);
  EXPECT_EQ(card.clips().constLast().folder, QStringLiteral("PARKING"));
  EXPECT_EQ(card.clips().at(3).folder, QStringLiteral("EVENT"));
  EXPECT_TRUE(QFile::exists(card.path(QStringLiteral("rynd_settings.ini"))));
  // The scan finds the card's picture.
  const QStringList pictures = QDir(card.path(QStringLiteral("PICTURE"))).entryList(QDir::Files);
  ASSERT_EQ(pictures.size(), 1);
  const CardScanner::Result scanned = CardScanner().scan(card.root());
  ASSERT_EQ(scanned.pictures.size(), 1);
  EXPECT_EQ(scanned.pictures.first()->deltaPath(), QStringLiteral("PICTURE/") + pictures.first());
}

// Options beyond the bounds would give negative names and dates centuries away.
TEST(SampleCardMaker, OptionsOutOfBoundsWriteNothing) {
  for (const auto& change : std::initializer_list<std::function<void(SampleCardOptions&)>>{
           [](SampleCardOptions& o) { o.clips = SampleCardOptions::kMaxClips + 1; },
           [](SampleCardOptions& o) { o.height = SampleCardOptions::kMaxSide + 2; },
           [](SampleCardOptions& o) { o.clipSeconds = SampleCardOptions::kMaxClipSeconds + 1; },
           [](SampleCardOptions& o) { o.width = SampleCardOptions::kMaxSide + 2; }}) {
    SampleCardOptions options;
    options.encodeVideos = false;
    change(options);
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(SampleCardMaker(options).make(dir.filePath(QStringLiteral("card")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("out of bounds"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("card"))));
  }
  // At the bounds the names stay real: 14-digit stamps in this century.
  SampleCardOptions widest;
  widest.clips = SampleCardOptions::kMaxClips;
  widest.clipSeconds = SampleCardOptions::kMaxClipSeconds;
  widest.encodeVideos = false;
  const QDateTime first = SampleCardMaker::firstClipStart(widest);
  EXPECT_GE(first.date().year(), 2000);
  EXPECT_LE(first.addSecs(qint64{widest.clips} * widest.clipSeconds).date().year(), 2099);
}

TEST(SampleCardMaker, TelemetryLooksLikeTheCamera) {
  const QDateTime start(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC);
  const QByteArray text = SampleCardMaker::driveTelemetry(7, start, 120, 3, true);
  const QList<QByteArray> lines = text.split('\n');
  ASSERT_TRUE(text.endsWith("\r\n"));
  EXPECT_TRUE(lines.at(0).startsWith("$GTRIP,"));
  EXPECT_TRUE(lines.at(1).startsWith("$QVSN,"));
  int fixes = 0, voids = 0, gsens = 0, marker = 0, dsa = 0;
  for (QByteArray line : lines) {
    if (line.isEmpty()) {
      continue;
    }
    ASSERT_TRUE(line.endsWith('\r')) << line.constData();
    line.chop(1);
    const auto fields = line.split(',');
    if (line.startsWith("$GNRMC")) {
      EXPECT_EQ(fields.size(), 13) << line.constData();
      (fields.at(2) == "A" ? fixes : voids)++;
    } else if (line.startsWith("$GSENS")) {
      EXPECT_EQ(fields.size(), 4);
      ++gsens;
      marker += line.count("999.999");
    } else if (line.startsWith("$QVDSA")) {
      EXPECT_EQ(fields.size(), 17);
      ++dsa;
    }
  }
  EXPECT_EQ(voids, 3);
  EXPECT_EQ(fixes, 117);
  EXPECT_EQ(gsens, 1200);
  EXPECT_GT(marker, 0);
  EXPECT_GT(dsa, 0);
  EXPECT_EQ(text, SampleCardMaker::driveTelemetry(7, start, 120, 3, true));
}

TEST(SampleCardMaker, VideosAreReadable) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok());
  QProcess probe;
  probe.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                          QStringLiteral("stream=codec_type,width,height:format=duration"),
                                          QStringLiteral("-of"), QStringLiteral("csv=p=0"),
                                          card.path(card.clips().constFirst().frontPath)});
  ASSERT_TRUE(probe.waitForFinished(30000));
  const QString out = QString::fromUtf8(probe.readAllStandardOutput());
  EXPECT_TRUE(out.contains(QStringLiteral("video,320,180"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("audio"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("3.0"))) << out.toStdString();
}

}  // namespace
}  // namespace dashcard
