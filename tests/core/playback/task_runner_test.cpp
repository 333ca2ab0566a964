#include "core/playback/task_runner.h"
#include "support/pane_fakes.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::FakeList;
using test::FakeSheet;

// A job the test drives by hand: it keeps the handlers it was started with.
struct ManualJob {
  TaskRunner::Job job() {
    TaskRunner::Job job;
    job.start = [this](TaskRunner::Progress p, TaskRunner::Finish f) {
      progress = std::move(p);
      finish = std::move(f);
      ++starts;
    };
    job.cancel = [this] { ++cancels; };
    job.startText = QStringLiteral("target.kml");
    job.doneText = QStringLiteral("done");
    job.failedText = [](const QString& error) { return QStringLiteral("failed: ") + error; };
    return job;
  }
  TaskRunner::Progress progress;
  TaskRunner::Finish finish;
  int starts = 0;
  int cancels = 0;
};

TEST(TaskRunner, TheSheetShowsProgressAndExactlyOneEnd) {
  TaskRunner runner;
  QSignalSpy busy(&runner, &TaskRunner::busyChanged);
  FakeList list;
  ManualJob job;
  runner.run(&list, job.job());
  ASSERT_EQ(list.sheets.size(), 1u);
  FakeSheet& sheet = *list.sheets.front();
  EXPECT_EQ(job.starts, 1);
  EXPECT_EQ(sheet.texts, (QStringList{QString(), QStringLiteral("target.kml")}));
  EXPECT_EQ(runner.currentSheet(), &sheet);
  ASSERT_EQ(busy.size(), 1);
  EXPECT_TRUE(busy.at(0).at(0).toBool());

  job.progress(QStringLiteral("F_1.MP4"), 0.5f);
  EXPECT_EQ(sheet.progress, 0.5f);
  EXPECT_EQ(sheet.texts.last(), QStringLiteral("F_1.MP4"));
  job.progress(QString(), 0.75f);  // no item: the text stays
  EXPECT_EQ(sheet.texts.last(), QStringLiteral("F_1.MP4"));
  job.progress(QString(), 1.0f);  // "Finish" is for the end only
  EXPECT_LT(sheet.progress, 1.0f);

  job.finish(QStringLiteral("disk full"));
  EXPECT_FALSE(sheet.succeeded);
  EXPECT_EQ(sheet.progress, 1.0f);
  EXPECT_EQ(sheet.texts.last(), QStringLiteral("failed: disk full"));
  // A second end, and progress after the end, are dropped.
  const QStringList texts = sheet.texts;
  job.finish(std::nullopt);
  job.progress(QStringLiteral("late"), 0.2f);
  EXPECT_EQ(sheet.texts, texts);
  EXPECT_FALSE(sheet.succeeded);
  EXPECT_EQ(sheet.progress, 1.0f);

  // Closing an ended task cancels nothing; the runner is idle again.
  sheet.pressButton();
  EXPECT_TRUE(sheet.dismissed);
  EXPECT_EQ(job.cancels, 0);
  EXPECT_FALSE(runner.isBusy());
  EXPECT_EQ(runner.currentSheet(), nullptr);
  ASSERT_EQ(busy.size(), 2);
  EXPECT_FALSE(busy.at(1).at(0).toBool());
}

TEST(TaskRunner, ClosingOrCancellingARunningTaskStopsItAndSilencesIt) {
  TaskRunner runner;
  FakeList list;
  ManualJob first, second;
  runner.run(&list, first.job());
  runner.run(&list, second.job());
  FakeSheet& firstSheet = *list.sheets.at(0);
  FakeSheet& secondSheet = *list.sheets.at(1);
  EXPECT_EQ(runner.currentSheet(), &secondSheet);

  firstSheet.pressButton();
  EXPECT_EQ(first.cancels, 1);
  EXPECT_TRUE(firstSheet.dismissed);
  EXPECT_TRUE(runner.isBusy());  // the second still runs
  first.finish(std::nullopt);  // a job that ends anyway reaches no sheet
  EXPECT_FALSE(firstSheet.ended());

  runner.cancelAll();
  EXPECT_EQ(second.cancels, 1);
  EXPECT_TRUE(secondSheet.dismissed);
  EXPECT_FALSE(runner.isBusy());
  second.progress(QStringLiteral("late"), 0.5f);
  EXPECT_EQ(secondSheet.progress, 0.0f);
}

TEST(TaskRunner, AChainEndsOnceOnOneSheet) {
  enum Step { FirstFails, FirstSucceeds, SecondFails, SecondSucceeds, CancelFirst, CancelSecond };
  const struct {
    const char* name;
    QList<Step> steps;
    int secondStarts, firstCancels, secondCancels;
    bool ended, succeeded;
    QString lastText;
  } cases[] = {
      {"first fails", {FirstFails}, 0, 0, 0, true, false, "failed: a"},
      {"both succeed", {FirstSucceeds, SecondSucceeds}, 1, 0, 0, true, true, "done"},
      {"second fails", {FirstSucceeds, SecondFails}, 1, 0, 0, true, false, "failed: b"},
      {"cancelled in the first", {CancelFirst, FirstSucceeds}, 0, 1, 0, false, true, ""},
      {"cancelled in the second", {FirstSucceeds, CancelSecond, SecondSucceeds}, 1, 0, 1, false, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TaskRunner runner;
    FakeList list;
    ManualJob first, second;
    runner.run(&list, TaskRunner::chain(first.job(), second.job()));
    FakeSheet& sheet = *list.sheets.front();
    first.progress(QString(), 0.5f);
    EXPECT_EQ(sheet.progress, 0.25f);  // the first half of the bar is the first job's
    for (const Step step : c.steps) {
      switch (step) {
        case FirstFails: first.finish(QStringLiteral("a")); break;
        case FirstSucceeds: first.finish(std::nullopt); break;
        case SecondFails: second.finish(QStringLiteral("b")); break;
        case SecondSucceeds: second.finish(std::nullopt); break;
        case CancelFirst:
        case CancelSecond: sheet.pressButton(); break;
      }
      if (step == FirstSucceeds && second.starts == 1) {
        second.progress(QString(), 0.5f);
        EXPECT_EQ(sheet.progress, 0.75f);
      }
    }
    EXPECT_EQ(second.starts, c.secondStarts);
    EXPECT_EQ(first.cancels, c.firstCancels);
    EXPECT_EQ(second.cancels, c.secondCancels);
    EXPECT_EQ(sheet.progress >= 1.0f, c.ended);
    if (c.ended) {
      EXPECT_EQ(sheet.succeeded, c.succeeded);
      EXPECT_EQ(sheet.texts.last(), c.lastText);
    } else {
      EXPECT_TRUE(sheet.dismissed);
    }
    // A late end of either half reaches nothing.
    const QStringList texts = sheet.texts;
    if (first.finish) first.finish(QStringLiteral("late"));
    if (second.finish) second.finish(QStringLiteral("late"));
    EXPECT_EQ(sheet.texts, texts);
  }
}

TEST(TaskRunner, WithoutASheetATaskIsBusyUntilItEnds) {
  TaskRunner runner;
  ManualJob job;
  runner.run(nullptr, job.job());
  EXPECT_TRUE(runner.isBusy());
  EXPECT_EQ(runner.currentSheet(), nullptr);
  job.progress(QStringLiteral("x"), 0.5f);
  job.finish(std::nullopt);
  EXPECT_FALSE(runner.isBusy());

  // A job refused at once (its end inside start) ends the same way.
  TaskRunner::Job refused;
  refused.start = [](TaskRunner::Progress, TaskRunner::Finish finish) { finish(QStringLiteral("no")); };
  refused.cancel = [] { ADD_FAILURE() << "an ended task is not cancelled"; };
  runner.run(nullptr, std::move(refused));
  EXPECT_FALSE(runner.isBusy());

  // A runner that goes away cancels what still runs.
  ManualJob orphan;
  {
    TaskRunner shortLived;
    shortLived.run(nullptr, orphan.job());
  }
  EXPECT_EQ(orphan.cancels, 1);
}

}  // namespace
}  // namespace dashcard
