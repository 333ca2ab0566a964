// SHA256SUMS of backups, checked with the standard tool and by our own check.
#include "core/catalogue/card_scanner.h"
#include "core/export/backup_verifier.h"
#include "core/export/checksum_list.h"
#include "core/export/dcf_async_back_up.h"
#include "core/export/sha256.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace dashcard {
namespace {

using Kind = VerifyFinding::Kind;

// Exit code of the standard tool run in `folder`, its output in `out`.
int sha256sum(const QString& folder, const QStringList& arguments, QByteArray* out = nullptr) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral("sha256sum"), arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
    return -1;
  }
  if (out != nullptr) {
    *out = process.readAllStandardOutput();
  }
  return process.exitCode();
}

bool flipFirstByte(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite)) return false;
  QByteArray first = file.read(1);
  if (first.isEmpty()) return false;
  first[0] = static_cast<char>(first[0] ^ 0x5a);
  return file.seek(0) && file.write(first) == 1;
}

// Names a card never has but a copied folder may: spaces, quotes,
// non-ASCII, a backslash (escaped in the list).
const QStringList kOddNames{QStringLiteral("NORMAL/a b.MP4"), QStringLiteral("EVENT/it's \"x\".MP4"),
                            QStringLiteral("NMEA/é日本.NMEA"), QStringLiteral("back\\slash.txt")};

// A folder of those files whose SHA256SUMS the standard tool wrote.
struct ListedFolder {
  QTemporaryDir dir;
  bool ok = true;
  ListedFolder() {
    for (int i = 0; i < kOddNames.size(); ++i) {
      ok = ok && test::writeFileAt(dir.path(), kOddNames[i], QByteArray(1000 + 4096 * i, static_cast<char>('a' + i)));
    }
    QByteArray list;
    ok = ok && sha256sum(dir.path(), kOddNames, &list) == 0 &&
         test::writeFileAt(dir.path(), QLatin1String(ChecksumList::kFileName), list);
  }
  QString path(const QString& name) const { return dir.filePath(name); }
  void appendLine(const QByteArray& line) const {
    QFile file(path(QLatin1String(ChecksumList::kFileName)));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(line);
  }
};

std::optional<VerifyReport> check(const QString& folder, QString* error = nullptr) {
  const std::atomic<bool> cancel{false};
  return BackupVerifier::verify(folder, error, cancel);
}

TEST(Checksums, OurListAndDigestsAgreeWithSha256sum) {
  ListedFolder folder;
  ASSERT_TRUE(folder.ok);
  const auto report = check(folder.dir.path());
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->allMatch()) << report->findings.value(0).detail.toStdString();
  EXPECT_EQ(report->listed, kOddNames.size());

  // Our own list of the same files, read by the standard tool.
  QList<ChecksumEntry> entries;
  for (const QString& name : kOddNames) {
    const auto digest = Sha256::ofFile(folder.path(name));
    ASSERT_TRUE(digest);
    entries << ChecksumEntry{name, *digest};
  }
  ASSERT_TRUE(test::writeFileAt(folder.dir.path(), QStringLiteral("OURS"), ChecksumList::format(entries)));
  EXPECT_EQ(sha256sum(folder.dir.path(), {QStringLiteral("--strict"), QStringLiteral("-c"), QStringLiteral("OURS")}), 0);
  EXPECT_EQ(ChecksumList::parse(ChecksumList::format(entries)).entries.size(), entries.size());
}

TEST(Checksums, VerifyNamesEveryDifference) {
  struct Case {
    const char* what;
    std::function<void(const ListedFolder&)> damage;
    Kind kind;
    QString path;
  };
  const QList<Case> cases{
      {"a byte changed", [](const ListedFolder& f) { ASSERT_TRUE(flipFirstByte(f.path(kOddNames[2]))); },
       Kind::Changed, kOddNames[2]},
      {"a file removed", [](const ListedFolder& f) { ASSERT_TRUE(QFile::remove(f.path(kOddNames[1]))); },
       Kind::Missing, kOddNames[1]},
      {"a file added",
       [](const ListedFolder& f) { ASSERT_TRUE(test::writeFileAt(f.dir.path(), QStringLiteral("EVENT/new 1.MP4"), "x")); },
       Kind::Extra, QStringLiteral("EVENT/new 1.MP4")},
      {"a folder in a file's place",
       [](const ListedFolder& f) {
         ASSERT_TRUE(QFile::remove(f.path(kOddNames[0])));
         ASSERT_TRUE(QDir().mkpath(f.path(kOddNames[0])));
       },
       Kind::Unreadable, kOddNames[0]},
      {"a path outside the folder",
       [](const ListedFolder& f) { f.appendLine(QByteArray(64, 'a') + "  ../outside\n"); }, Kind::Unreadable,
       QStringLiteral("../outside")},
      {"a line that is no checksum", [](const ListedFolder& f) { f.appendLine("not a checksum\n"); }, Kind::BadLine,
       QStringLiteral("5")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListedFolder folder;
    ASSERT_TRUE(folder.ok);
    c.damage(folder);
    const auto report = check(folder.dir.path());
    ASSERT_TRUE(report);
    ASSERT_EQ(report->findings.size(), 1);
    EXPECT_EQ(report->findings.first().kind, c.kind);
    EXPECT_EQ(report->findings.first().relativePath, c.path);
  }
}

TEST(Checksums, FolderWithoutListIsRefusedAndJobsEndOnce) {
  QTemporaryDir empty;
  QString error;
  EXPECT_FALSE(check(empty.path(), &error));
  EXPECT_TRUE(error.contains(QLatin1String("SHA256SUMS"))) << error.toStdString();

  ListedFolder folder;
  ASSERT_TRUE(folder.ok);
  ASSERT_TRUE(flipFirstByte(folder.path(kOddNames[3])));
  auto job = BackupVerifier::create();
  int ends = 0;
  std::optional<QString> result = QStringLiteral("not called");
  QList<float> progress;
  job->verifyAsync(
      folder.dir.path(), [&](const QString&, float done) { progress << done; },
      [&](const std::optional<QString>& e) {
        ++ends;
        result = e;
      });
  ASSERT_TRUE(test::spinUntil([&] { return ends > 0; }));
  EXPECT_FALSE(result.has_value());
  EXPECT_EQ(job->report().matched, kOddNames.size() - 1);
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_EQ(progress.last(), 1.0F);

  // A second start of a finished job, and a cancelled one that reports nothing.
  auto cancelled = BackupVerifier::create();
  cancelled->setCancelFlag(true);
  int cancelledEnds = 0;
  cancelled->verifyAsync(folder.dir.path(), {}, [&](const std::optional<QString>&) { ++cancelledEnds; });
  ASSERT_TRUE(test::spinUntil([&] { return !cancelled->isRunning(); }));
  EXPECT_TRUE(test::spinUntilIdle());
  EXPECT_EQ(cancelledEnds, 0);
  EXPECT_EQ(ends, 1);
}

class ChecksummedBackUp : public test::SampleCardTest {
 protected:
  SampleCardOptions options() const override {
    SampleCardOptions o;
    o.clips = 3;
    o.clipSeconds = 2;
    return o;
  }
  // Runs a backup of every recording to its end.
  std::optional<QString> backUp(const DCFAsyncBackUp::ReadBackHook& hook = {}) {
    QList<BackUpItem> items;
    for (const auto& info : CardScanner().scan(card->root()).recordings) items << info;
    auto job = DCFAsyncBackUp::create();
    job->setBeforeReadBackHook(hook);
    int ends = 0;
    std::optional<QString> error;
    job->backUpAsync(items, target(), {}, {}, [&](const std::optional<QString>& e) {
      ++ends;
      error = e;
    });
    EXPECT_TRUE(test::spinUntil([&] { return ends > 0; }));
    EXPECT_TRUE(test::spinUntilIdle());
    EXPECT_EQ(ends, 1);
    return error;
  }
  QString target() const { return out.filePath(QStringLiteral("backup é 1")); }
  QTemporaryDir out;
};

TEST_F(ChecksummedBackUp, StandardToolAcceptsTheListOfEveryCopiedFile) {
  const auto error = backUp();
  ASSERT_FALSE(error) << error->toStdString();
  QByteArray output;
  EXPECT_EQ(sha256sum(target(), {QStringLiteral("--strict"), QStringLiteral("-c"), QStringLiteral("SHA256SUMS")},
                      &output),
            0);
  // One line per copied file (front, rear, telemetry of each recording).
  int files = 0;
  for (const SampleClip& clip : card->clips()) {
    files += 2 + (clip.rearPath.isEmpty() ? 0 : 1);
  }
  EXPECT_EQ(output.count("OK\n"), files) << output.toStdString();
  const auto report = check(target());
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->allMatch());
}

TEST_F(ChecksummedBackUp, ACopyThatReadsBackDifferentlyFailsTheRun) {
  const QString damaged = QDir(target()).filePath(card->clips().at(1).frontPath);
  const auto error = backUp([&](const QString& copy) {
    if (copy == damaged) flipFirstByte(copy);
  });
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->contains(damaged)) << error->toStdString();
  EXPECT_FALSE(QFileInfo::exists(target()));
}

}  // namespace
}  // namespace dashcard
