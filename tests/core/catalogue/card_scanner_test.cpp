#include "core/catalogue/card_scanner.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QHash>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

QString video(const QString& stamp, char kind = 'N') {
  return QStringLiteral("F_20240101000000_%1_%2.MP4").arg(stamp).arg(QChar::fromLatin1(kind));
}

QStringList deltaPaths(const DCFInfoList& infos) {
  QStringList paths;
  for (const auto& info : infos) {
    paths.append(info->deltaPath());
  }
  return paths;
}

class CardScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  bool add(const QString& relative, const QByteArray& data = {}) { return test::writeFileAt(dir.path(), relative, data); }
  CardScanner::Result scan() const { return CardScanner().scan(dir.path()); }
  QTemporaryDir dir;
};

// What opens as a card is what the scan reads: the two never disagree.
TEST(CardRule, AcceptanceAndScanAgree) {
  const struct {
    const char* name;
    QStringList folders;
    QStringList files;
    bool card;
    int recordings;
  } layouts[] = {
      {"empty", {}, {}, false, 0},
      {"telemetry only", {"NMEA/NORMAL"}, {}, true, 0},
      {"parking only", {}, {"PARKING/" + video(QStringLiteral("20240101000300"), 'E')}, true, 1},
      {"pictures only", {"PICTURE"}, {}, true, 0},
      {"names of files, not folders", {}, {"NORMAL", "EVENT"}, false, 0},
      {"other case", {"normal", "Event"}, {}, false, 0},
  };
  for (const auto& layout : layouts) {
    QTemporaryDir dir;
    for (const QString& folder : layout.folders) ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
    for (const QString& file : layout.files) ASSERT_TRUE(test::writeFileAt(dir.path(), file));
    const CardScanner::Result result = CardScanner().scan(dir.path());
    EXPECT_EQ(CardScanner::mediaIsRynd(dir.path()), layout.card) << layout.name;
    EXPECT_EQ(result.scanned, layout.card) << layout.name;
    EXPECT_EQ(result.recordings.size(), layout.recordings) << layout.name;
  }
  EXPECT_FALSE(CardScanner::mediaIsRynd(QStringLiteral("/nonexistent-card-folder")));
  EXPECT_FALSE(CardScanner::pathsAtDirectory(QStringLiteral("/nonexistent-card-folder")).has_value());
}

TEST_F(CardScannerTest, OnlyVideosDirectlyInRecordingFolders) {
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  ASSERT_TRUE(add(QStringLiteral("NORMAL/._") + video(QStringLiteral("20240101000300"))));
  ASSERT_TRUE(add(QStringLiteral("NORMAL/R_20240101000000_20240101000300_N.MP4")));
  ASSERT_TRUE(add(video(QStringLiteral("20240101000400"))));
  ASSERT_TRUE(add(QStringLiteral("NORMAL/SUB/") + video(QStringLiteral("20240101000500"))));
  ASSERT_TRUE(add(QStringLiteral("normal/") + video(QStringLiteral("20240101000600"))));
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000700")).replace(QStringLiteral(".MP4"), QStringLiteral(".MOV"))));
  ASSERT_TRUE(add(QStringLiteral("EVENT/") + video(QStringLiteral("20240101000100"), 'E')));
  ASSERT_TRUE(add(QStringLiteral("PARKING/") + video(QStringLiteral("20240101000200"), 'E').replace(QStringLiteral(".MP4"), QStringLiteral(".mp4"))));
  ASSERT_TRUE(add(QStringLiteral("MANUAL/") + video(QStringLiteral("20240101000000"), 'M')));
  // A folder named like a video is no video.
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000800")))));

  const auto result = scan();
  ASSERT_TRUE(result.scanned);
  // Sorted by file name whatever the folder.
  EXPECT_EQ(deltaPaths(result.recordings),
            (QStringList{QStringLiteral("MANUAL/") + video(QStringLiteral("20240101000000"), 'M'),
                         QStringLiteral("EVENT/") + video(QStringLiteral("20240101000100"), 'E'),
                         QStringLiteral("PARKING/") + video(QStringLiteral("20240101000200"), 'E').replace(QStringLiteral(".MP4"), QStringLiteral(".mp4")),
                         QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))}));
  int events = 0;
  for (const auto& info : result.recordings) {
    events += info->isEventDCF() ? 1 : 0;
  }
  EXPECT_EQ(events, 3);
}

TEST_F(CardScannerTest, ParallelScanAgreesWithRecordingsMadeOneByOne) {
  // Several chunks' worth, companions in every place the lookups know and
  // some missing, so the shared listings must answer exactly what the file
  // system would.
  QHash<QString, std::pair<QString, QString>> companions;  // rear and telemetry file of each video
  for (int i = 0; i < 300; ++i) {
    const QString stamp =
        QStringLiteral("2024010100%1%2").arg(i / 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
    const QString folder = i % 3 == 0 ? QStringLiteral("EVENT") : QStringLiteral("NORMAL");
    const QString name = video(stamp, i % 3 == 0 ? 'E' : 'N');
    ASSERT_TRUE(add(folder + u'/' + name, QByteArray(i, 'v')));
    auto& [rear, telemetry] = companions[folder + u'/' + name];
    if (i % 4 != 0) {
      rear = folder + QStringLiteral("/R") + name.mid(1, name.size() - 5) + (i % 8 == 1 ? ".mp4" : ".MP4");
      ASSERT_TRUE(add(rear, QByteArray(2 * i, 'r')));
    }
    const QString nmea = QStringLiteral("N") + name.mid(1, name.size() - 5);
    telemetry = folder + u'/' + nmea + QStringLiteral(".NMEA");  // absent: where it would be
    if (i % 5 == 0) {
      telemetry = folder + u'/' + nmea + QStringLiteral(".nmea");
      ASSERT_TRUE(add(telemetry, QByteArray(3, 'n')));
    } else if (i % 5 != 1) {
      telemetry = QStringLiteral("NMEA/") + folder + u'/' + nmea + QStringLiteral(".NMEA");
      ASSERT_TRUE(add(telemetry, QByteArray(7, 'n')));
    }
  }
  const CardScanner::Result result = scan();
  ASSERT_EQ(result.recordings.size(), 300);
  QStringList expectedOrder = deltaPaths(result.recordings);
  std::sort(expectedOrder.begin(), expectedOrder.end(),
            [](const QString& a, const QString& b) { return a.section(u'/', -1) < b.section(u'/', -1); });
  EXPECT_EQ(deltaPaths(result.recordings), expectedOrder);
  for (const DCFInfoPtr& scanned : result.recordings) {
    const auto& [rear, telemetry] = companions.value(scanned->deltaPath());
    EXPECT_EQ(scanned->secondaryFilePath(), rear.isEmpty() ? QString() : dir.filePath(rear));
    EXPECT_EQ(scanned->infoFilePath(), dir.filePath(telemetry));
    // Without a cache installed, every answer comes from the file system.
    const DCFInfo alone(dir.path(), scanned->deltaPath());
    EXPECT_EQ(scanned->secondaryFilePath(), alone.secondaryFilePath()) << scanned->deltaPath().toStdString();
    EXPECT_EQ(scanned->infoFilePath(), alone.infoFilePath()) << scanned->deltaPath().toStdString();
    EXPECT_EQ(scanned->fileSize(), alone.fileSize()) << scanned->deltaPath().toStdString();
    EXPECT_EQ(scanned->fileDate(), alone.fileDate());
  }
}

TEST_F(CardScannerTest, ProgressCountsEveryCandidateAndEndsForced) {
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("2024010100000%1").arg(i))));
  }
  ASSERT_TRUE(add(QStringLiteral("NORMAL/SUB/") + video(QStringLiteral("20240101000009"))));
  ASSERT_TRUE(add(QStringLiteral("PICTURE/240101000001.JPG")));
  std::uint64_t last = 0;
  std::uint64_t total = 0;
  int forced = 0;
  const auto result = CardScanner().scan(dir.path(), [&](std::uint64_t done, std::uint64_t all, bool force) {
    EXPECT_GE(done, last);
    last = done;
    total = all;
    forced += force ? 1 : 0;
  });
  EXPECT_EQ(result.recordings.size(), 5);
  EXPECT_EQ(result.pictures.size(), 1);
  EXPECT_EQ(total, 7u);
  EXPECT_EQ(last, 7u);
  EXPECT_EQ(forced, 1);
}

// A picture belongs to the first recording (in name order) written at least
// a second after it; one written after every recording stays alone.
TEST_F(CardScannerTest, PicturesByTheirRuleAttachedToTheNextRecording) {
  const QDateTime base = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
  const struct {
    const char* path;
    int writtenAt;  // seconds after base
  } files[] = {
      {"NORMAL/F_20240101000000_20240101000100_N.MP4", 160},
      {"NORMAL/F_20240101000000_20240101000200_N.MP4", 220},
      {"PICTURE/240101000210.JPG", 250},
      {"PICTURE/240101000130.jpg", 160},  // the same second as the first clip
      {"PICTURE/240101000100.JPG", 100},
      {"NORMAL/240101000120.JPG", 120},   // any recording folder holds pictures
      {"PICTURE/2401010001.JPG", 100},    // too short
      {"PICTURE/24010100010\u0661.JPG", 100},  // an Arabic-Indic digit
      {"PICTURE/240101000100xJPG", 100},
      {"PICTURE/SUB/240101000100.JPG", 100},
      {"OTHER/240101000100.JPG", 100},
  };
  for (const auto& file : files) {
    const QString relative = QString::fromUtf8(file.path);
    ASSERT_TRUE(add(relative));
    QFile written(dir.filePath(relative));
    ASSERT_TRUE(written.open(QIODevice::ReadWrite));
    ASSERT_TRUE(written.setFileTime(base.addSecs(file.writtenAt), QFileDevice::FileModificationTime));
  }
  const CardScanner::Result result = scan();
  QStringList pictures;
  QStringList parents;
  for (const PictureInfoPtr& picture : result.pictures) {
    pictures << picture->deltaPath();
    parents << (picture->parentDCFInfo() ? picture->parentDCFInfo()->deltaPath().mid(34, 4) : QStringLiteral("none"));
    EXPECT_EQ(picture->pictureThumbnailPath(), picture->filePath());
  }
  EXPECT_EQ(pictures, (QStringList{"PICTURE/240101000100.JPG", "NORMAL/240101000120.JPG", "PICTURE/240101000130.jpg",
                                   "PICTURE/240101000210.JPG"}));
  EXPECT_EQ(parents, (QStringList{"0100", "0100", "0200", "none"}));
  ASSERT_EQ(result.recordings.size(), 2);
  EXPECT_EQ(result.recordings.at(0)->pictures().size(), 2);
  EXPECT_EQ(result.recordings.at(1)->pictures().size(), 1);
}

TEST_F(CardScannerTest, SymbolicLinkLoopsEnd) {
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  ASSERT_EQ(::symlink(QFile::encodeName(dir.path()).constData(),
                      QFile::encodeName(dir.filePath(QStringLiteral("NORMAL/loop"))).constData()),
            0);
  ASSERT_EQ(::symlink("..", QFile::encodeName(dir.filePath(QStringLiteral("NORMAL/up"))).constData()), 0);
  ASSERT_EQ(::symlink("missing", QFile::encodeName(dir.filePath(QStringLiteral("NORMAL/dangling.MP4"))).constData()), 0);
  const auto result = scan();
  EXPECT_EQ(result.recordings.size(), 1);
}

TEST_F(CardScannerTest, OnlyRegularFilesAreRecordings) {
  // A FIFO or a device under a video's name would hang whoever opens it.
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  const QString fifo = dir.filePath(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000600")));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_EQ(::symlink(QFile::encodeName(fifo).constData(),
                      QFile::encodeName(dir.filePath(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000900"))))
                          .constData()),
            0);
  ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(dir.filePath(QStringLiteral("NORMAL/") +
                                                                  video(QStringLiteral("20240101001200"))))
                                       .constData()),
            0);
  EXPECT_EQ(deltaPaths(scan().recordings),
            QStringList{QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))});
}

TEST_F(CardScannerTest, FoldersReachedTwiceAreListedOnce) {
  // Top-level folders are walked side by side; a folder that two of them
  // reach (links here, bind mounts alike) must still be listed once.
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000600"))));
  ASSERT_TRUE(add(QStringLiteral("EVENT/") + video(QStringLiteral("20240101000100"), 'E')));
  ASSERT_EQ(::symlink("NORMAL", QFile::encodeName(dir.filePath(QStringLiteral("ALIAS"))).constData()), 0);
  ASSERT_EQ(::symlink("../NORMAL", QFile::encodeName(dir.filePath(QStringLiteral("EVENT/inner"))).constData()), 0);
  const QStringList files = CardScanner::recursiveFilesAtRootPath(dir.path(), {QStringLiteral("MP4")});
  QStringList names;
  for (const QString& file : files) {
    names.append(file.section(u'/', -1));
  }
  names.removeDuplicates();
  EXPECT_EQ(files.size(), 3) << files.join(u' ').toStdString();
  EXPECT_EQ(names.size(), 3);
}

TEST_F(CardScannerTest, TopLevelFoldersKeepTheirPlaceInTheListing) {
  const QStringList folders = {QStringLiteral("NORMAL"), QStringLiteral("EVENT"), QStringLiteral("MANUAL"),
                               QStringLiteral("PARKING")};
  for (const QString& folder : folders) {
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(add(folder + QStringLiteral("/clip%1.MP4").arg(i)));
    }
  }
  ASSERT_TRUE(add(QStringLiteral("top.MP4")));
  const QStringList files = CardScanner::recursiveFilesAtRootPath(dir.path(), {QStringLiteral("MP4")});
  ASSERT_EQ(files.size(), 13);
  // The listing follows the root's own order: each folder's files together,
  // the root's file between them where the root lists it.
  const std::optional<QStringList> rootOrder = CardScanner::pathsAtDirectory(dir.path());
  ASSERT_TRUE(rootOrder.has_value());
  QStringList seen;
  for (const QString& file : files) {
    const QString first = file.section(u'/', 0, 0);
    if (seen.isEmpty() || seen.constLast() != first) {
      EXPECT_FALSE(seen.contains(first)) << file.toStdString();
      seen.append(first);
    }
  }
  QStringList expected = *rootOrder;
  expected.removeIf([&](const QString& name) { return !seen.contains(name); });
  EXPECT_EQ(seen, expected);
}

// Permissions do not stop root: as root the scan runs in a child process
// that has dropped to the ids of "nobody", and reports its count by exit code.
TEST_F(CardScannerTest, UnreadableFoldersAreLeftOut) {
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  ASSERT_TRUE(add(QStringLiteral("EVENT/") + video(QStringLiteral("20240101000100"), 'E')));
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
  const QString event = dir.filePath(QStringLiteral("EVENT"));
  ASSERT_EQ(::chmod(QFile::encodeName(event).constData(), 0700), 0);
  int recordings = -1;
  if (geteuid() != 0) {
    ASSERT_EQ(::chmod(QFile::encodeName(event).constData(), 0), 0);
    recordings = static_cast<int>(scan().recordings.size());
  } else {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const gid_t none = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setresgid(none, none, none) != 0 || ::setresuid(none, none, none) != 0) {
        ::_exit(100);
      }
      ::_exit(static_cast<int>(scan().recordings.size()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    recordings = WEXITSTATUS(status);
  }
  ::chmod(QFile::encodeName(event).constData(), 0755);
  EXPECT_EQ(recordings, 1);
}

TEST_F(CardScannerTest, NamesThatAreNotUtf8) {
  ASSERT_TRUE(add(QStringLiteral("NORMAL/") + video(QStringLiteral("20240101000300"))));
  const QByteArray bad = QFile::encodeName(dir.filePath(QStringLiteral("NORMAL"))) + "/F_\xff\xfe.MP4";
  const QByteArray badDir = QFile::encodeName(dir.path()) + "/\xc3\x28";
  FILE* file = std::fopen(bad.constData(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  ASSERT_EQ(::mkdir(badDir.constData(), 0755), 0);
  const auto result = scan();
  EXPECT_EQ(result.recordings.size(), 1);
}

TEST(CardScannerSample, SampleCardWithBrokenVideos) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const auto result = CardScanner().scan(card.root());
  ASSERT_EQ(result.recordings.size(), card.clips().size());
  for (const auto& info : result.recordings) {
    EXPECT_FALSE(info->secondaryFilePath().isEmpty());
    EXPECT_TRUE(QFile::exists(info->infoFilePath())) << info->infoFilePath().toStdString();
  }
  EXPECT_EQ(result.pictures.size(), 1);
}

TEST(CardScannerSample, CardRemovedWhileScanning) {
  SampleCardOptions options;
  options.clips = 3000;
  options.encodeVideos = false;
  auto card = std::make_unique<test::TempCard>(options);
  ASSERT_TRUE(card->ok()) << card->error().toStdString();
  const QString root = card->root();
  std::atomic<bool> started{false};
  QThread* remover = QThread::create([&] {
    while (!started.load()) {
      QThread::yieldCurrentThread();
    }
    QDir(root).removeRecursively();
  });
  remover->start();
  CardScanner::Result result = CardScanner().scan(root, [&](std::uint64_t, std::uint64_t, bool) { started = true; });
  started = true;
  remover->wait();
  delete remover;
  // Whatever was caught before the card went is sane: names in order, no crash.
  for (qsizetype i = 1; i < result.recordings.size(); ++i) {
    EXPECT_LE(result.recordings.at(i - 1)->dcfFileNumber(), result.recordings.at(i)->dcfFileNumber());
  }
  EXPECT_FALSE(CardScanner().scan(root).scanned);
}

}  // namespace
}  // namespace dashcard
