#include "core/playback/media_controller.h"
#include "export_test_support.h"
#include "support/temp_card.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

class FakeSheet : public ProgressSheet {
 public:
  void setProgress(float value) override { progress = value; }
  void setInfoLabelText(const QString& text) override { texts << text; }
  void setCloseClickBlock(CloseHandler handler) override { close = std::move(handler); }
  void dismiss() override { dismissed = true; }
  void pressButton() { close(this); }
  // The last item's report may reach 1.0 before the end text arrives.
  bool ended() const {
    static const QStringList kEndTexts = {QStringLiteral("KML/KMZ export is complete"),
                                          QStringLiteral("An error occurred when writing data"),
                                          QStringLiteral("Backup is complete"),
                                          QStringLiteral("An error occurred during backup")};
    return progress >= 1.0f && !texts.isEmpty() && kEndTexts.contains(texts.last());
  }

  float progress = 0.0f;
  QStringList texts;
  CloseHandler close;
  bool dismissed = false;
};

class FakeList : public RecordingListPane {
 public:
  void reloadDCFInfo(const DCFInfoList&) override {}
  void reloadDCFInfo(const DCFInfoList&, const DCFInfoList&) override {}
  void selectFirstItem() override {}
  void selectCurrentDCF(const DCFInfoPtr&) override {}
  void selectNextDCFWithCurrentDCF(const DCFInfoPtr&) override {}
  void deselection() override {}
  void focusCurrentDCF() override {}
  DCFInfoList selectedDCFInfos() const override { return {}; }
  ProgressSheet* presentProgressSheet() override {
    sheets.push_back(std::make_unique<FakeSheet>());
    return sheets.back().get();
  }
  std::vector<std::unique_ptr<FakeSheet>> sheets;
};

const test::TempCard& card() { return test::sharedCard(6, 3, false); }

TEST(MediaControllerTasks, ExportShowsProgressAndTheEndOnTheSheet) {
  ASSERT_TRUE(card().ok());
  MediaController controller;
  FakeList list;
  QTemporaryDir out;
  const QString target = out.filePath(QStringLiteral("route.kmz"));
  controller.exportSelectedInfos(test::scanRecordings(card().root()), target, &list);
  ASSERT_EQ(list.sheets.size(), 1u);
  FakeSheet& sheet = *list.sheets.front();
  EXPECT_FALSE(controller.canReloadMedia());
  ASSERT_TRUE(test::spinUntil([&] { return sheet.ended(); }));
  EXPECT_EQ(sheet.texts.first(), QString());
  EXPECT_TRUE(sheet.texts.at(1).startsWith(QStringLiteral("F_")));
  EXPECT_EQ(sheet.texts.last(), "KML/KMZ export is complete");
  EXPECT_TRUE(QFile::exists(target));
  sheet.pressButton();
  EXPECT_TRUE(sheet.dismissed);
  EXPECT_TRUE(controller.canReloadMedia());
  EXPECT_EQ(controller.currentProgressVC(), nullptr);
  ASSERT_TRUE(test::spinUntilIdle());
}

TEST(MediaControllerTasks, ExportErrorAndBackupEndTexts) {
  ASSERT_TRUE(card().ok());
  MediaController controller;
  FakeList list;
  QTemporaryDir out;
  controller.exportSelectedInfos(test::scanRecordings(card().root()), out.filePath(QStringLiteral("none/x.kml")), &list);
  FakeSheet& failed = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return failed.ended(); }));
  EXPECT_EQ(failed.texts.last(), "An error occurred when writing data");
  failed.pressButton();

  const DCFInfoList recordings = test::scanRecordings(card().root());
  QList<BackUpItem> items{recordings.first(), recordings.last()};
  const QString target = out.filePath(QStringLiteral("backup"));
  EXPECT_TRUE(MediaController::backUpTargetProblem(target).isEmpty());
  controller.backUpSelectedInfos(items, target, &list);
  FakeSheet& backUp = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return backUp.ended(); }));
  EXPECT_EQ(backUp.texts.last(), "Backup is complete");
  EXPECT_FALSE(MediaController::backUpTargetProblem(target).isEmpty());

  // Into the same folder again: refused, and nothing of the first backup is lost.
  controller.backUpSelectedInfos(items, target, &list);
  FakeSheet& refused = *list.sheets.back();
  ASSERT_TRUE(test::spinUntil([&] { return refused.ended(); }));
  EXPECT_EQ(refused.texts.last(), "An error occurred during backup");
  EXPECT_TRUE(QFile::exists(target + QLatin1Char('/') + recordings.first()->deltaPath()));
  refused.pressButton();
  ASSERT_TRUE(test::spinUntilIdle());
}

}  // namespace
}  // namespace dashcard
