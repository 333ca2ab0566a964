#include "core/catalogue/recording_catalogue.h"

#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

DCFInfoPtr recording(const QString& root, const QString& folder, const QString& name) {
  return std::make_shared<DCFInfo>(root, folder + u'/' + name);
}

class RecordingCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    normal = recording(QStringLiteral("/card"), QStringLiteral("NORMAL"),
                       QStringLiteral("F_20240101000000_20240101000100_N.MP4"));
    event = recording(QStringLiteral("/card"), QStringLiteral("EVENT"),
                      QStringLiteral("F_20240101000200_20240101000300_E.MP4"));
    catalogue.setMediaInfoWithRootPath(QString(), {normal, event}, {});
  }
  RecordingCatalogue catalogue;
  DCFInfoPtr normal, event;
};

TEST_F(RecordingCatalogueTest, SelectionIsToldOncePerChange) {
  QSignalSpy told(&catalogue, &RecordingCatalogue::selectionDidChange);
  const struct {
    DCFInfoList selection;
    int toldAfter;
  } steps[] = {
      {{normal}, 1}, {{normal}, 1}, {{normal, event}, 2}, {{normal, event}, 2}, {{}, 3}, {{}, 3},
  };
  for (const auto& step : steps) {
    catalogue.updateSelectedDCFs(step.selection);
    EXPECT_EQ(told.size(), step.toldAfter);
    EXPECT_EQ(catalogue.selectedDCFs(), step.selection);
  }
  // A new card drops the old card's selection without a word of it.
  catalogue.updateSelectedDCFs({event});
  catalogue.setMediaInfoWithRootPath(QString(), {}, {});
  EXPECT_TRUE(catalogue.selectedDCFs().isEmpty());
}

TEST_F(RecordingCatalogueTest, EachSourceOfAChoiceHasItsOneSignal) {
  QSignalSpy current(&catalogue, &RecordingCatalogue::currentDCFDidChange);
  QSignalSpy requested(&catalogue, &RecordingCatalogue::recordingRequested);
  QSignalSpy alone(&catalogue, &RecordingCatalogue::pictureWithoutDCFChosen);
  auto picture = std::make_shared<PictureInfo>(QStringLiteral("/card"), QStringLiteral("PICTURE/240101000000.JPG"));
  const struct {
    DCFInfoPtr info;
    int from;
    PictureInfoPtr picture;
    int current, requested, alone;
    DCFInfoPtr currentAfter;
  } cases[] = {
      {normal, RecordingCatalogue::kMediaListNormal, nullptr, 1, 0, 0, normal},
      {event, RecordingCatalogue::kMediaListEvent, nullptr, 2, 0, 0, event},
      // The map only asks the lists; the current recording stays.
      {normal, RecordingCatalogue::kMediaListMapNormal, nullptr, 2, 1, 0, event},
      {event, RecordingCatalogue::kMediaListMapEvent, nullptr, 2, 2, 0, event},
      {normal, RecordingCatalogue::kMediaListFollower, nullptr, 3, 2, 0, normal},
      {nullptr, RecordingCatalogue::kMediaListFollower, nullptr, 3, 2, 0, normal},
      {normal, RecordingCatalogue::kMediaListPhoto, picture, 3, 2, 0, normal},
      {nullptr, RecordingCatalogue::kMediaListNormal, picture, 3, 2, 1, normal},
      {nullptr, RecordingCatalogue::kMediaListNormal, nullptr, 3, 2, 1, normal},
      {normal, 99, nullptr, 3, 2, 1, normal},
  };
  for (const auto& c : cases) {
    catalogue.updateCurrentDCF(c.info, c.from, c.picture);
    EXPECT_EQ(current.size(), c.current) << c.from;
    EXPECT_EQ(requested.size(), c.requested) << c.from;
    EXPECT_EQ(alone.size(), c.alone) << c.from;
    EXPECT_EQ(catalogue.currentDCF(), c.currentAfter) << c.from;
  }
  EXPECT_EQ(requested.last().at(1).toInt(), int(RecordingCatalogue::kMediaListMapEvent));
}

TEST_F(RecordingCatalogueTest, AloneMeansDetachedFromItsRecording) {
  auto picture = std::make_shared<PictureInfo>(QStringLiteral("/card"), QStringLiteral("PICTURE/240101000000.JPG"));
  normal->appendPicture(picture);
  picture->setParentDCFInfo(normal);
  catalogue.updateCurrentDCF(nullptr, RecordingCatalogue::kMediaListNormal, picture);
  catalogue.detachCurrentPicture();
  EXPECT_TRUE(normal->pictures().isEmpty());
  EXPECT_FALSE(picture->parentDCFInfo());
}

TEST_F(RecordingCatalogueTest, OnlyItsOwnRootMoves) {
  QSignalSpy moved(&catalogue, &RecordingCatalogue::rootDidMove);
  EXPECT_FALSE(catalogue.moveRoot(QStringLiteral("/renamed"), QStringLiteral("/other")));
  EXPECT_FALSE(catalogue.moveRoot(QStringLiteral("/renamed"), QString()));
  EXPECT_TRUE(moved.isEmpty());
  EXPECT_TRUE(catalogue.moveRoot(QStringLiteral("/renamed"), QStringLiteral("/card")));
  EXPECT_EQ(moved.size(), 1);
  for (const DCFInfoPtr& info : catalogue.mediaTree()) EXPECT_EQ(info->rootPath(), QStringLiteral("/renamed"));
  RecordingCatalogue empty;
  EXPECT_FALSE(empty.moveRoot(QStringLiteral("/renamed"), QStringLiteral("/card")));
}

TEST(RecordingCatalogueScan, PublishesOnceAndNothingAfterItsEnd) {
  const auto& card = test::sharedCard();
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  auto catalogue = std::make_unique<RecordingCatalogue>();
  QSignalSpy published(catalogue.get(), &RecordingCatalogue::catalogueDidChange);
  int ends = 0;
  catalogue->mediaTreeAsyncAtRootPath(card.root(), {}, [&ends](bool) { ++ends; });
  DC_TRY_COMPARE(ends, 1);
  EXPECT_EQ(published.size(), 1);
  EXPECT_EQ(catalogue->mediaTree().size(), card.clips().size());
  EXPECT_EQ(catalogue->mediaTreeNormal().size() + catalogue->mediaTreeEvent().size(), catalogue->mediaTree().size());

  // Not a card: finished at once, nothing published.
  QTemporaryDir notACard;
  catalogue->mediaTreeAsyncAtRootPath(notACard.path(), {}, [&ends](bool) { ++ends; });
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(published.size(), 1);

  // A scan whose catalogue goes away still finishes exactly once.
  catalogue->mediaTreeAsyncAtRootPath(card.root(), {}, [&ends](bool) { ++ends; });
  catalogue.reset();
  DC_TRY_COMPARE(ends, 3);
}

}  // namespace
}  // namespace dashcard
