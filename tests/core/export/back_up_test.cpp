#include "core/catalogue/card_scanner.h"
#include "core/export/dcf_async_back_up.h"
#include "support/scratch_mount.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <algorithm>

#include <sys/stat.h>

namespace dashcard {
namespace {

using test::spinUntil;

struct BackUpRun {
  bool finished = false;
  std::optional<QString> error;
  QList<float> starts;
  QList<float> finishes;
  QStringList startPaths;
  int lastIndex = -1;  // the item the run was at when it ended
};

// Runs a backup to its end; `onStart` may act during the start reports.
BackUpRun backUp(const QList<BackUpItem>& items, const QString& target,
           const std::function<void(DCFAsyncBackUp&, int)>& onStart = {}) {
  BackUpRun run;
  auto job = DCFAsyncBackUp::create();
  int index = 0;
  job->backUpAsync(
      items, target,
      [&](const QString& path, float value) {
        run.starts << value;
        run.startPaths << path;
        if (onStart) {
          onStart(*job, index);
        }
        ++index;
      },
      [&](const QString&, float value) { run.finishes << value; },
      [&](const std::optional<QString>& error) {
        run.finished = true;
        run.error = error;
      });
  EXPECT_TRUE(test::spinUntilIdle());
  QCoreApplication::processEvents();
  run.lastIndex = job->currentIndex();
  return run;
}

// `cmp` of every file of `relative` paths between the card and the backup.
void expectSameBytes(const QString& cardRoot, const QString& backupRoot, const QStringList& relative) {
  for (const QString& path : relative) {
    const int code = QProcess::execute(QStringLiteral("cmp"), {QDir(cardRoot).filePath(path), QDir(backupRoot).filePath(path)});
    EXPECT_EQ(code, 0) << path.toStdString();
  }
}

QStringList filesUnder(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    files << QDir(root).relativeFilePath(it.next());
  }
  files.sort();
  return files;
}

QList<BackUpItem> itemsOf(const DCFInfoList& recordings) {
  QList<BackUpItem> items;
  for (const auto& info : recordings) {
    items << info;
  }
  return items;
}

// A card of its own per test: tests change it.
class BackUpTest : public test::SampleCardTest {
 protected:
  SampleCardOptions options() const override {
    SampleCardOptions o;
    o.clips = 6;
    o.clipSeconds = 3;
    return o;
  }
  void SetUp() override {
    test::SampleCardTest::SetUp();
    const CardScanner::Result scan = CardScanner().scan(card->root());
    recordings = scan.recordings;
    // The scan does not collect pictures; make them as it would.
    for (const QString& name : QDir(card->path(QStringLiteral("PICTURE"))).entryList(QDir::Files)) {
      pictures << std::make_shared<PictureInfo>(card->root(), QStringLiteral("PICTURE/") + name);
    }
    ASSERT_EQ(recordings.size(), 6);
  }
  DCFInfoPtr recordingIn(const QString& folder) const {
    for (const auto& info : recordings) {
      if (info->folderName() == folder) return info;
    }
    return nullptr;
  }
  QString target() const { return out.filePath(QStringLiteral("backup 2024 'é'")); }
  DCFInfoList recordings;
  PictureInfoList pictures;
  QTemporaryDir out;
};

TEST_F(BackUpTest, CopiesRecordingsByteForByteWithProgressValues) {
  const QList<BackUpItem> items = itemsOf(recordings.mid(0, 3));
  const BackUpRun run = backUp(items, target());
  ASSERT_TRUE(run.finished);
  EXPECT_FALSE(run.error.has_value()) << run.error.value_or(QString()).toStdString();
  EXPECT_EQ(run.starts, (QList<float>{0.0f, 1.0f / 3.0f, 2.0f / 3.0f}));
  EXPECT_EQ(run.finishes, (QList<float>{1.0f / 3.0f, 2.0f / 3.0f, 1.0f}));
  EXPECT_EQ(run.startPaths.first(), recordings.first()->filePath());

  QStringList expected;
  for (const SampleClip& clip : card->clips().mid(0, 3)) {
    expected << clip.frontPath << clip.telemetryPath;
    if (!clip.rearPath.isEmpty()) expected << clip.rearPath;  // side by side with the front video
  }
  expected.sort();
  EXPECT_EQ(filesUnder(target()), expected + QStringList{QStringLiteral("SHA256SUMS")});
  expectSameBytes(card->root(), target(), expected);
  for (const char* folder : {"NORMAL", "MANUAL", "EVENT", "NMEA/NORMAL", "NMEA/MANUAL", "NMEA/EVENT"}) {
    EXPECT_TRUE(QFileInfo(QDir(target()).filePath(QLatin1String(folder))).isDir()) << folder;
  }
}

TEST_F(BackUpTest, ParkingRecordingsAndPicturesGetTheirFolders) {
  const DCFInfoPtr parking = recordingIn(QStringLiteral("PARKING"));
  ASSERT_TRUE(parking);
  ASSERT_FALSE(pictures.isEmpty());
  const BackUpRun run = backUp({parking, pictures.first()}, target());
  EXPECT_FALSE(run.error.has_value()) << run.error.value_or(QString()).toStdString();
  EXPECT_TRUE(QFile::exists(QDir(target()).filePath(parking->deltaPath())));
  expectSameBytes(card->root(), target(), {parking->deltaPath(), pictures.first()->deltaPath()});
}

TEST_F(BackUpTest, MissingTelemetryAndRearVideoAreTolerated) {
  const DCFInfoPtr info = recordings.first();
  ASSERT_FALSE(info->secondaryFilePath().isEmpty());
  ASSERT_TRUE(QFile::remove(info->infoFilePath()));
  ASSERT_TRUE(QFile::remove(info->secondaryFilePath()));
  const BackUpRun run = backUp({info}, target());
  EXPECT_FALSE(run.error.has_value());
  EXPECT_EQ(filesUnder(target()), (QStringList{info->deltaPath(), QStringLiteral("SHA256SUMS")}));
  EXPECT_TRUE(QFileInfo(QDir(target()).filePath(QStringLiteral("NMEA/NORMAL"))).isDir());
}

TEST_F(BackUpTest, MissingFrontVideoOrPictureFailsAndCleansUp) {
  ASSERT_TRUE(QFile::remove(recordings.at(1)->filePath()));
  const BackUpRun front = backUp(itemsOf(recordings.mid(0, 3)), target());
  ASSERT_TRUE(front.finished);
  ASSERT_TRUE(front.error.has_value());
  EXPECT_TRUE(front.error->contains(QStringLiteral("No such file"))) << front.error->toStdString();
  EXPECT_EQ(front.finishes.size(), 1);
  EXPECT_FALSE(QFileInfo::exists(target()));

  ASSERT_FALSE(pictures.isEmpty());
  ASSERT_TRUE(QFile::remove(pictures.first()->filePath()));
  const BackUpRun picture = backUp({recordings.first(), pictures.first()}, target());
  EXPECT_TRUE(picture.error.has_value());
  EXPECT_FALSE(QFileInfo::exists(target()));
}

TEST_F(BackUpTest, ARecordingNamedTwiceIsCopiedOnce) {
  // Also a second object for the same file, as a second scan gives.
  const DCFInfoPtr again = std::make_shared<DCFInfo>(card->root(), recordings.first()->deltaPath());
  const BackUpRun twice = backUp({recordings.first(), recordings.at(1), again}, target());
  ASSERT_TRUE(twice.finished);
  EXPECT_FALSE(twice.error.has_value()) << twice.error.value_or(QString()).toStdString();
  EXPECT_EQ(twice.starts.size(), 2);
  EXPECT_TRUE(QFile::exists(QDir(target()).filePath(recordings.first()->deltaPath())));
  EXPECT_TRUE(QFile::exists(QDir(target()).filePath(recordings.at(1)->deltaPath())));
}

TEST_F(BackUpTest, NeverOverwritesAndNeverCleansForeignContent) {
  // A folder with content of its own is refused and left alone.
  ASSERT_TRUE(QDir().mkpath(target()));
  QFile own(QDir(target()).filePath(QStringLiteral("keep.txt")));
  ASSERT_TRUE(own.open(QIODevice::WriteOnly));
  own.write("mine");
  own.close();
  EXPECT_FALSE(DCFAsyncBackUp::targetProblem(target()).isEmpty());
  const BackUpRun refused = backUp({recordings.first()}, target());
  ASSERT_TRUE(refused.error.has_value());
  EXPECT_TRUE(refused.starts.isEmpty());
  EXPECT_EQ(filesUnder(target()), QStringList{"keep.txt"});

  // An empty folder is taken; after a failure it stays, emptied again.
  ASSERT_TRUE(QFile::remove(own.fileName()));
  EXPECT_TRUE(DCFAsyncBackUp::targetProblem(target()).isEmpty());
  ASSERT_TRUE(QFile::remove(recordings.at(1)->filePath()));
  const BackUpRun failed = backUp(itemsOf(recordings.mid(0, 2)), target());
  ASSERT_TRUE(failed.error.has_value());
  EXPECT_TRUE(QFileInfo(target()).isDir());
  EXPECT_TRUE(QDir(target()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

  QFile plain(out.filePath(QStringLiteral("a file")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  EXPECT_FALSE(DCFAsyncBackUp::targetProblem(plain.fileName()).isEmpty());
}

TEST_F(BackUpTest, CancelDuringTheSecondItemStopsAfterIt) {
  const QList<BackUpItem> items = itemsOf(recordings.mid(0, 5));
  const BackUpRun run = backUp(items, target(), [](DCFAsyncBackUp& job, int index) {
    if (index == 1) job.setCancelFlag(true);
  });
  EXPECT_FALSE(run.finished);
  EXPECT_EQ(run.starts.size(), 2);
  EXPECT_EQ(run.finishes, QList<float>{0.2f});  // the second item is not reported done
  EXPECT_EQ(run.lastIndex, 1);                    // and nothing after it was copied
  EXPECT_FALSE(QFileInfo::exists(target()));
}

// Runs that start together into one new folder: one takes it, the others
// are refused, and the winner's copy is whole and left in place.
TEST_F(BackUpTest, RunsIntoTheSameFolderAtOnceNeverRemoveEachOther) {
  // The race is between the look at the folder and the first write: many
  // rounds make it show without a fix in most runs.
  const QList<BackUpItem> items = itemsOf(recordings.mid(0, 1));
  for (int round = 0; round < 24; ++round) {
    const QString folder = out.filePath(QStringLiteral("together %1").arg(round));
    std::vector<std::shared_ptr<DCFAsyncBackUp>> jobs;
    QList<std::optional<QString>> ends;
    int finished = 0;
    for (int i = 0; i < 4; ++i) {
      jobs.push_back(DCFAsyncBackUp::create());
      jobs.back()->backUpAsync(items, folder, {}, {}, [&](const std::optional<QString>& error) {
        ends << error;
        ++finished;
      });
    }
    ASSERT_TRUE(spinUntil([&] { return finished == 4; }));
    ASSERT_TRUE(test::spinUntilIdle());
    const auto succeeded = std::count_if(ends.begin(), ends.end(), [](const auto& e) { return !e.has_value(); });
    EXPECT_EQ(succeeded, 1) << "round " << round;
    for (const auto& error : ends) {
      if (error) {
        EXPECT_TRUE(error->contains(QStringLiteral("another backup")) || error->contains(QStringLiteral("not empty")))
            << error->toStdString();
      }
    }
    QStringList expected;
    for (const SampleClip& clip : card->clips().mid(0, 1)) {
      expected << clip.frontPath << clip.telemetryPath;
      if (!clip.rearPath.isEmpty()) expected << clip.rearPath;
    }
    expected << QStringLiteral("SHA256SUMS");
    expected.sort();
    EXPECT_EQ(filesUnder(folder).join(' ').toStdString(), expected.join(' ').toStdString()) << "round " << round;
  }
}

TEST_F(BackUpTest, AClaimedFolderIsRefusedAndLeftAlone) {
  bool created = false;
  ASSERT_FALSE(DCFAsyncBackUp::claimTarget(target(), &created).has_value());
  EXPECT_TRUE(created);
  bool again = true;
  const auto second = DCFAsyncBackUp::claimTarget(target(), &again);
  ASSERT_TRUE(second.has_value());
  EXPECT_TRUE(second->message.contains(QStringLiteral("another backup"))) << second->message.toStdString();
  EXPECT_FALSE(again);
  const QStringList held = QDir(target()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  ASSERT_EQ(held.size(), 1);

  const BackUpRun refused = backUp({recordings.first()}, target());
  ASSERT_TRUE(refused.error.has_value());
  EXPECT_TRUE(refused.starts.isEmpty());
  EXPECT_EQ(QDir(target()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), held);
}

TEST_F(BackUpTest, EmptyAndRefusedStartsFinishOnce) {
  const BackUpRun empty = backUp({}, target());
  EXPECT_TRUE(empty.finished);
  EXPECT_FALSE(empty.error.has_value());
  EXPECT_FALSE(QFileInfo::exists(target()));

  auto job = DCFAsyncBackUp::create();
  std::vector<std::optional<QString>> firstEnds;
  std::vector<std::optional<QString>> secondEnds;
  test::HeldJobPool pool;
  ASSERT_TRUE(pool.held());
  job->backUpAsync(itemsOf(recordings.mid(0, 2)), target(), {}, {},
                   [&](const std::optional<QString>& e) { firstEnds.push_back(e); });
  job->backUpAsync(itemsOf(recordings), target(), {}, {},
                   [&](const std::optional<QString>& e) { secondEnds.push_back(e); });
  // The second is refused while the first is certainly still queued.
  ASSERT_TRUE(spinUntil([&] { return !secondEnds.empty(); }));
  EXPECT_TRUE(firstEnds.empty());
  EXPECT_TRUE(secondEnds.front().has_value());
  pool.release();
  ASSERT_TRUE(spinUntil([&] { return !firstEnds.empty(); }));
  EXPECT_FALSE(job->isRunning());
  ASSERT_EQ(firstEnds.size(), 1u);
  EXPECT_FALSE(firstEnds.front().has_value()) << firstEnds.front()->toStdString();
  EXPECT_EQ(secondEnds.size(), 1u);
}

// Only regular files are copied: a FIFO under a companion's name is left out
// like a missing one, one under the video's name fails at once.
TEST_F(BackUpTest, FifosAreNeverOpenedBlocking) {
  const DCFInfoPtr info = recordings.at(0);
  ASSERT_TRUE(QFile::remove(info->infoFilePath()));
  ASSERT_EQ(::mkfifo(QFile::encodeName(info->infoFilePath()).constData(), 0600), 0);
  const BackUpRun companion = backUp(itemsOf({info}), target());
  EXPECT_TRUE(companion.finished);
  EXPECT_FALSE(companion.error.has_value());
  EXPECT_FALSE(QFileInfo::exists(info->infoFilePathWithRootPath(target())));

  ASSERT_TRUE(QFile::remove(info->filePath()));
  ASSERT_EQ(::mkfifo(QFile::encodeName(info->filePath()).constData(), 0600), 0);
  const QString other = out.filePath(QStringLiteral("second"));
  const BackUpRun video = backUp(itemsOf({info}), other);
  ASSERT_TRUE(video.error.has_value());
  EXPECT_TRUE(video.error->endsWith(QStringLiteral("not a regular file"))) << video.error->toStdString();
  EXPECT_FALSE(QFileInfo::exists(other));
}

TEST(BackUpFreeSpace, OneRuleForWindowAndCommandLine) {
  constexpr quint64 kMargin = DCFAsyncBackUp::kFreeSpaceMargin;
  struct Case {
    qint64 free;
    quint64 required;
    bool fits;
  };
  for (const Case& c : {Case{-1, 0, false}, Case{0, 0, false}, Case{qint64(kMargin), 0, false},
                        Case{qint64(kMargin) + 1, 0, true}, Case{qint64(kMargin) + 100, 100, false},
                        Case{qint64(kMargin) + 101, 100, true}}) {
    EXPECT_EQ(DCFAsyncBackUp::fitsFreeSpace(c.free, c.required), c.fits) << c.free << " " << c.required;
  }
  QTemporaryDir dir;
  EXPECT_GT(DCFAsyncBackUp::freeBytesAt(dir.filePath(QStringLiteral("not/yet/made"))), 0);
}

TEST_F(BackUpTest, ReadOnlyAndFullDisksFailCleanly) {
  test::ScratchMount readOnly(1 << 20, true);
  if (!readOnly.ok()) {
    GTEST_SKIP() << "cannot mount a scratch tmpfs here";
  }
  const QString lockedTarget = readOnly.filePath(QStringLiteral("backup"));
  const BackUpRun locked = backUp({recordings.first()}, lockedTarget);
  ASSERT_TRUE(locked.error.has_value());
  EXPECT_TRUE(locked.error->contains(QStringLiteral("Read-only"))) << locked.error->toStdString();
  EXPECT_TRUE(QDir(readOnly.path()).isEmpty());

  // The clips are larger than the disk.
  ASSERT_GT(DCFAsyncBackUp::requiredBytes(itemsOf(recordings)), 256u * 1024u);
  test::ScratchMount full(256 * 1024);
  ASSERT_TRUE(full.ok());
  const QString fullTarget = full.filePath(QStringLiteral("backup"));
  const BackUpRun noSpace = backUp(itemsOf(recordings), fullTarget);
  ASSERT_TRUE(noSpace.error.has_value());
  EXPECT_TRUE(noSpace.error->contains(QStringLiteral("No space"))) << noSpace.error->toStdString();
  EXPECT_TRUE(QDir(full.path()).isEmpty());
}

}  // namespace
}  // namespace dashcard
