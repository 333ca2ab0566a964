#include "support/temp_card.h"
#include "ui/export/incident_export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

const QDateTime kT0(QDate(2023, 12, 31), QTime(23, 59, 0), Qt::UTC);

QDateTime at(int seconds) { return kT0.addSecs(seconds); }

TEST(IncidentExportDialogTest, PrefilledSpanTakesTheMarksAndFillsWhatIsMissing) {
  const QDateTime none;
  const std::pair<QDateTime, QDateTime> selection{at(0), at(180)};
  struct Case {
    const char* name;
    QDateTime markedFrom, markedTo;
    std::pair<QDateTime, QDateTime> fallback;
    QDateTime from, to;
  };
  const Case cases[] = {
      {"selection only", none, none, selection, at(0), at(180)},
      {"both marked", at(30), at(90), selection, at(30), at(90)},
      {"start marked, selection ends later", at(30), none, selection, at(30), at(180)},
      {"start marked after the selection", at(300), none, selection, at(300), at(360)},
      {"end marked, selection starts earlier", none, at(90), selection, at(0), at(90)},
      {"end marked before the selection", none, at(-30), selection, at(-90), at(-30)},
      // A recording not played yet has no length: its start leads.
      {"selection of no length", none, none, {at(0), at(0)}, at(0), at(60)},
      {"nothing at all", none, none, {}, none, none},
  };
  for (const Case& c : cases) {
    const auto [from, to] = IncidentExportDialog::prefilledSpan(c.markedFrom, c.markedTo, c.fallback);
    EXPECT_EQ(from, c.from) << c.name;
    EXPECT_EQ(to, c.to) << c.name;
  }
}

// A dialog over the recordings of a small card, their lengths known.
class IncidentExportDialogCardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& card = test::sharedCard(4, 3, false);
    for (const SampleClip& clip : card.clips()) {
      auto info = std::make_shared<DCFInfo>(card.root(), clip.frontPath);
      info->setDuration(clip.seconds);
      infos.append(info);
    }
    first = infos.first()->startDate();
  }
  DCFInfoList infos;
  QDateTime first;
  QTemporaryDir target;
};

TEST_F(IncidentExportDialogCardTest, TheRequestFollowsTheControls) {
  IncidentExportDialog dialog(infos, first.addSecs(1), first.addSecs(7));
  EXPECT_EQ(dialog.startEdit()->dateTime(), first.addSecs(1));
  EXPECT_EQ(dialog.endEdit()->dateTime(), first.addSecs(7));
  dialog.outputEdit()->setText(target.filePath(QStringLiteral("crash ü 1")));
  dialog.exactBox()->setChecked(true);
  dialog.overlayBox()->setChecked(true);

  IncidentExportRequest request = dialog.request();
  EXPECT_EQ(request.recordings.size(), infos.size());
  EXPECT_EQ(request.from, first.addSecs(1));
  EXPECT_EQ(request.to, first.addSecs(7));
  EXPECT_EQ(request.camera, ExportCamera::Front);
  EXPECT_TRUE(request.exact);
  // The burnt-in line belongs to side by side only; the ending is added.
  EXPECT_FALSE(dialog.overlayBox()->isEnabled());
  EXPECT_FALSE(request.overlay);
  EXPECT_EQ(request.targetFilePath, target.filePath(QStringLiteral("crash ü 1.mp4")));

  dialog.cameraBox()->setCurrentIndex(dialog.cameraBox()->findData(static_cast<int>(ExportCamera::SideBySide)));
  dialog.endEdit()->setDateTime(first.addSecs(9));
  request = dialog.request();
  EXPECT_EQ(request.camera, ExportCamera::SideBySide);
  EXPECT_FALSE(dialog.exactBox()->isEnabled());
  EXPECT_FALSE(request.exact);
  EXPECT_TRUE(request.overlay);
  EXPECT_EQ(request.to, first.addSecs(9));
  EXPECT_TRUE(dialog.problem().isEmpty()) << dialog.problem().toStdString();
}

TEST_F(IncidentExportDialogCardTest, RefusesWhatCannotStartAndSaysWhy) {
  IncidentExportDialog dialog(infos, first.addSecs(1), first.addSecs(7));
  dialog.outputEdit()->setText(target.filePath(QStringLiteral("out.mp4")));
  dialog.show();
  const auto refused = [&](const QString& expected) {
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.problemLabel()->isVisible());
    EXPECT_TRUE(dialog.problemLabel()->text().contains(expected)) << dialog.problemLabel()->text().toStdString();
  };
  const QDateTime end = infos.last()->startDate().addSecs(3);
  struct Span {
    QDateTime from, to;
    QString why;
  };
  const Span spans[] = {
      {first.addSecs(7), first.addSecs(1), QStringLiteral("end must be after")},
      {first.addSecs(5), first.addSecs(5), QStringLiteral("end must be after")},
      {first.addSecs(-60), first.addSecs(-1), QStringLiteral("No recording")},
      {end.addSecs(1), end.addSecs(60), QStringLiteral("No recording")},
  };
  for (const Span& span : spans) {
    dialog.startEdit()->setDateTime(span.from);
    dialog.endEdit()->setDateTime(span.to);
    refused(span.why);
  }
  dialog.startEdit()->setDateTime(first.addSecs(1));
  dialog.endEdit()->setDateTime(first.addSecs(7));

  // An existing file is replaced only when the save panel asked first.
  QFile existing(target.filePath(QStringLiteral("out.mp4")));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  refused(QStringLiteral("already exists"));
  dialog.outputEdit()->setText(target.filePath(QStringLiteral("no such folder/out.mp4")));
  refused(QStringLiteral("does not exist"));
  dialog.outputEdit()->setText(target.path());
  refused(QStringLiteral("is a folder"));
  // Nothing is written to the card, not even through a link to it.
  dialog.outputEdit()->setText(infos.first()->rootPath() + QStringLiteral("/NORMAL/out.mp4"));
  refused(QStringLiteral("is on the card"));
  ASSERT_TRUE(QFile::link(infos.first()->rootPath(), target.filePath(QStringLiteral("card link"))));
  dialog.outputEdit()->setText(target.filePath(QStringLiteral("card link/new folder/out.mp4")));
  refused(QStringLiteral("is on the card"));

  dialog.outputEdit()->setText(target.filePath(QStringLiteral("new.mp4")));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(IncidentExportDialogCardTest, TheSavePanelSetsTheOutputAndAllowsReplacing) {
  IncidentExportDialog dialog(infos, first.addSecs(1), first.addSecs(7));
  dialog.show();
  const QString chosen = target.filePath(QStringLiteral("chosen.mp4"));
  QFile existing(chosen);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  dialog.chooseButton()->click();
  ASSERT_NE(dialog.savePanel(), nullptr);
  emit dialog.savePanel()->fileSelected(chosen);
  dialog.savePanel()->reject();
  EXPECT_EQ(dialog.outputEdit()->text(), chosen);
  EXPECT_TRUE(dialog.problem().isEmpty()) << dialog.problem().toStdString();

  // The next dialog starts in the folder chosen last.
  IncidentExportDialog next(infos, first, first.addSecs(3));
  EXPECT_EQ(QFileInfo(next.outputEdit()->text()).absolutePath(), QFileInfo(chosen).absolutePath());
}

}  // namespace
}  // namespace dashcard
