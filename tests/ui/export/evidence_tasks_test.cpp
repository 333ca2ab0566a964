// The window's backup check and report on the task sheet.
#include "ui/export/evidence_tasks.h"
#include "core/export/checksum_list.h"
#include "core/media/clip_rebuilder.h"
#include "support/pane_fakes.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::FakeList;
using test::FakeSheet;

// A folder of three files listed by the standard tool.
struct ListedFolder {
  QTemporaryDir dir;
  bool ok = true;
  ListedFolder() {
    const QStringList names{"NORMAL/a.MP4", "NORMAL/b.MP4", "NMEA/NORMAL/a.NMEA"};
    for (const QString& name : names) ok = ok && test::writeFileAt(dir.path(), name, name.toUtf8().repeated(100));
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start("sha256sum", names);
    ok = ok && tool.waitForFinished(60000) && tool.exitCode() == 0 &&
         test::writeFileAt(dir.path(), ChecksumList::kFileName, tool.readAllStandardOutput());
  }
};

TEST(EvidenceTasks, VerifyShowsTheFindingsOnTheSheet) {
  QWidget window;
  TaskRunner runner;
  EvidenceTasks tasks(&window, &runner);
  struct Case {
    const char* what;
    std::function<void(const QString& root)> damage;
    bool succeeded;
    QString named;
  };
  const QList<Case> cases{
      {"untouched", [](const QString&) {}, true, "3 file(s) match"},
      {"a byte changed", [](const QString& root) { test::writeFileAt(root, "NORMAL/b.MP4", "other"); }, false,
       "Changed: NORMAL/b.MP4"},
      {"a file removed", [](const QString& root) { QFile::remove(root + "/NORMAL/a.MP4"); }, false,
       "Missing: NORMAL/a.MP4"},
      {"a file added", [](const QString& root) { test::writeFileAt(root, "EVENT/c.MP4", "x"); }, false,
       "Not listed: EVENT/c.MP4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListedFolder folder;
    ASSERT_TRUE(folder.ok);
    c.damage(folder.dir.path());
    FakeList list;
    tasks.verifyBackup(folder.dir.path(), &list);
    ASSERT_EQ(list.sheets.size(), 1u);
    FakeSheet& sheet = *list.sheets.front();
    ASSERT_TRUE(test::spinUntil([&] { return sheet.progress >= 1.0F; }));
    EXPECT_EQ(sheet.succeeded, c.succeeded);
    EXPECT_TRUE(sheet.texts.last().contains(c.named)) << sheet.texts.last().toStdString();
    sheet.pressButton();
    EXPECT_TRUE(sheet.dismissed);
  }
}

TEST(EvidenceTasks, FailuresAndCancelsEndTheSheetOnce) {
  QWidget window;
  TaskRunner runner;
  EvidenceTasks tasks(&window, &runner);
  QTemporaryDir plain;
  FakeList list;
  tasks.verifyBackup(plain.path(), &list);
  FakeSheet& unlisted = *list.sheets.at(0);
  ASSERT_TRUE(test::spinUntil([&] { return unlisted.progress >= 1.0F; }));
  EXPECT_FALSE(unlisted.succeeded);
  EXPECT_TRUE(unlisted.texts.last().contains("SHA256SUMS")) << unlisted.texts.last().toStdString();

  // A span without recordings: refused, nothing written.
  IncidentReportRequest request;
  request.from = QDateTime::currentDateTimeUtc();
  request.to = request.from.addSecs(60);
  request.targetFilePath = plain.filePath("report.pdf");
  tasks.exportReport(request, &list);
  FakeSheet& report = *list.sheets.at(1);
  ASSERT_TRUE(test::spinUntil([&] { return report.progress >= 1.0F; }));
  EXPECT_FALSE(report.succeeded);
  EXPECT_FALSE(QFile::exists(request.targetFilePath));

  // Closed at once: the check's end no longer reaches the sheet.
  ListedFolder folder;
  ASSERT_TRUE(folder.ok);
  tasks.verifyBackup(folder.dir.path(), &list);
  FakeSheet& closed = *list.sheets.at(2);
  closed.pressButton();
  const QStringList texts = closed.texts;
  EXPECT_TRUE(test::spinUntilIdle());
  EXPECT_TRUE(closed.dismissed);
  EXPECT_EQ(closed.texts, texts);
  EXPECT_LT(closed.progress, 1.0F);
}

// A report across a clip a power loss cut: its frames come from the
// repaired copy when the window has one, else the clip is named as left out.
TEST(EvidenceTasks, ReportTakesTheRepairedCopyOrNamesTheDamagedClip) {
  test::TempCard card(test::powerCutCardOptions(3));
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const SampleClip* clip = card.firstCutClip();
  ASSERT_NE(clip, nullptr);
  const QString cut = card.path(clip->frontPath);
  QTemporaryDir out;
  const QString copy = out.filePath("repaired.mp4");
  ASSERT_TRUE(ClipRebuilder::rebuild(cut, {}, copy).ok);
  QWidget window;
  TaskRunner runner;
  EvidenceTasks tasks(&window, &runner);
  FakeList list;
  for (const bool withCopy : {false, true}) {
    SCOPED_TRACE(withCopy ? "copy" : "gap");
    IncidentReportRequest request;
    request.recordings = test::scanRecordings(card.root());
    request.from = card.clips().front().start;
    request.to = clip->start.addSecs(clip->seconds);
    request.cardRoot = card.root();
    request.targetFilePath = out.filePath(withCopy ? "copy.pdf" : "gap.pdf");
    if (withCopy) request.repairedCopies.insert(cut, copy);
    tasks.exportReport(request, &list);
    FakeSheet& sheet = *list.sheets.back();
    ASSERT_TRUE(test::spinUntil([&] { return sheet.progress >= 1.0F && !sheet.texts.isEmpty(); }));
    EXPECT_TRUE(sheet.succeeded) << sheet.texts.last().toStdString();
    EXPECT_NE(sheet.texts.last().contains(QFileInfo(cut).fileName()), withCopy) << sheet.texts.last().toStdString();
    EXPECT_TRUE(QFile::exists(request.targetFilePath));
  }
}

}  // namespace
}  // namespace dashcard
