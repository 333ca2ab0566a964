#include "support/temp_card.h"
#include "support/wait_for.h"
#include "ui/catalogue/custom_table_view.h"
#include "ui/catalogue/dcf_info_table_model.h"
#include "ui/catalogue/dcf_list_view_controller.h"
#include "ui/catalogue/event_image_transformer.h"
#include "ui/catalogue/event_list_view_controller.h"
#include "ui/catalogue/file_lock_image_transformer.h"
#include "ui/catalogue/image_transformer.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

using test::sharedCard;

DCFInfoList recordingsOfSharedCard() {
  const auto& card = sharedCard(6, 3, false);
  DCFInfoList infos;
  for (const SampleClip& clip : card.clips()) infos.append(std::make_shared<DCFInfo>(card.root(), clip.frontPath));
  return infos;
}

DCFInfoPtr fixedDCF(QSignalSpy& spy, int index) { return spy.at(index).at(0).value<DCFInfoPtr>(); }

TEST(RowImageTest, EventKindProtectionAndThumbnail) {
  EXPECT_EQ(EventImageTransformer::imageNameForEventKind(QStringLiteral("EVENT")), QStringLiteral("event_Accident"));
  EXPECT_EQ(EventImageTransformer::imageNameForEventKind(QStringLiteral("MANUAL")), QStringLiteral("event_manual"));
  EXPECT_EQ(EventImageTransformer::imageNameForEventKind(QStringLiteral("PARKING")), QStringLiteral("event_Parking"));
  EXPECT_TRUE(EventImageTransformer::imageNameForEventKind(QStringLiteral("NORMAL")).isEmpty());
  EXPECT_TRUE(EventImageTransformer::imageNameForEventKind(QStringLiteral("event")).isEmpty());
  EXPECT_TRUE(EventImageTransformer::transformedValue(QString()).isNull());
  EXPECT_FALSE(EventImageTransformer::transformedValue(QStringLiteral("EVENT")).pixmap(16, 16).isNull());

  EXPECT_FALSE(FileLockImageTransformer::transformedValue(true).pixmap(16, 16).isNull());
  EXPECT_TRUE(FileLockImageTransformer::transformedValue(false).isNull());
  EXPECT_TRUE(FileLockImageTransformer::transformedValue(QVariant()).isNull());

  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("thumb 'ä'.png"));
  QImage image(320, 180, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(png));
  const QPixmap scaled = ImageTransformer::transformedValue(png, QSize(96, 54));
  EXPECT_EQ(scaled.size(), QSize(96, 54));
  EXPECT_TRUE(ImageTransformer::transformedValue(QString()).isNull());
  EXPECT_TRUE(ImageTransformer::transformedValue(dir.filePath(QStringLiteral("missing.jpg"))).isNull());
  QFile junk(dir.filePath(QStringLiteral("junk.jpg")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("\xff\xd8\xff not really a picture", 24);
  junk.close();
  EXPECT_TRUE(ImageTransformer::transformedValue(junk.fileName()).isNull());
  EXPECT_TRUE(ImageTransformer::transformedValue(dir.path()).isNull());
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    infos = recordingsOfSharedCard();
    ASSERT_GE(infos.size(), 5);
    window.resize(400, 300);
    list = new DCFListViewController(&window);
    list->resize(400, 300);
  }
  QWidget window;
  DCFListViewController* list = nullptr;
  DCFInfoList infos;
};

TEST(ClockCorrectionTest, RowsShowTheCorrectedStartAndTheNamesStay) {
  const DCFInfoList infos = recordingsOfSharedCard();
  ASSERT_FALSE(infos.isEmpty());
  DCFInfoTableModel model;
  model.setDCFInfos(infos);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  const QModelIndex name = model.index(0, DCFInfoTableModel::NameColumn);
  QString file = DCFInfo::eventLabelForFolderName(infos.first()->folderName());
  if (file.isEmpty()) file = QFileInfo(infos.first()->filePath()).fileName();
  const struct {
    double seconds;
    int changes;
  } cases[] = {{0.0, 0}, {420.0, 1}, {420.0, 1}, {-3600.0, 2}, {0.0, 3}};
  for (const auto& c : cases) {
    model.setClockCorrection(c.seconds);
    const QString expected = DCFInfo::displayDateString(infos.first()->startDate().addSecs(-qint64(c.seconds)));
    EXPECT_EQ(model.data(name, DCFInfoTableModel::DCFDateRole).toString(), expected) << c.seconds;
    EXPECT_EQ(model.data(name, Qt::DisplayRole).toString(), expected + u'\n' + file) << c.seconds;
    EXPECT_EQ(changed.count(), c.changes) << c.seconds;
  }
}

// The event and lock marks are laid out inside their narrow columns, not
// centred at the thumbnails' icon size and cut at the left edge.
TEST(DamageMarkTest, DamagedRowsCarryAMarkAndTheReason) {
  DCFInfoList infos = recordingsOfSharedCard();
  ASSERT_GE(infos.size(), 2);
  infos.at(1)->setDamageReason(QStringLiteral("No index: cut off"));
  DCFInfoTableModel model;
  model.setDCFInfos(infos);
  for (int row : {0, 1}) {
    const QModelIndex name = model.index(row, DCFInfoTableModel::NameColumn);
    const QString tip = model.data(name, Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(infos.at(row)->filePath()));
    EXPECT_EQ(tip.contains(QStringLiteral("No index: cut off")), row == 1);
    EXPECT_EQ(model.data(name, Qt::DecorationRole).value<QIcon>().isNull(), row == 0);
  }
}

TEST_F(ListTest, EventAndLockMarksFitTheirColumns) {
  struct Layout : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
  } layout;
  auto* event = new EventListViewController(&window);
  event->resize(400, 300);
  window.show();
  DCFInfoList marked;
  for (const DCFInfoPtr& info : infos) {
    if (!DCFInfo::eventLabelForFolderName(info->folderName()).isEmpty()) marked.append(info);
  }
  ASSERT_FALSE(marked.isEmpty());
  event->reloadDCFInfo(marked, infos);
  CustomTableView* table = event->tableView();
  const QModelIndex index = event->model()->index(0, DCFInfoTableModel::EventColumn);
  QStyleOptionViewItem option;
  option.initFrom(table->viewport());
  option.decorationSize = table->iconSize();
  option.rect = table->visualRect(index);
  layout.initStyleOption(&option, index);
  ASSERT_TRUE(option.features & QStyleOptionViewItem::HasDecoration);
  const QRect mark = table->style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, table);
  EXPECT_TRUE(option.rect.contains(mark)) << mark.x() << "," << mark.width() << " in " << option.rect.x() << ","
                                          << option.rect.width();
}

TEST_F(ListTest, ReloadShowsRowsAndSelectsOnlyInItsOneArgumentForm) {
  list->reloadDCFInfo(infos.mid(0, 3), infos);
  EXPECT_EQ(list->model()->rowCount(), 3);
  EXPECT_TRUE(list->selectedDCFInfos().isEmpty());
  EXPECT_EQ(list->AllDCFInfosData().size(), infos.size());

  list->reloadDCFInfo(infos.mid(1, 2));
  ASSERT_EQ(list->selectedDCFInfos().size(), 1);
  EXPECT_EQ(list->selectedDCFInfos().first(), infos[1]);

  list->reloadDCFInfo(DCFInfoList{});
  EXPECT_EQ(list->model()->rowCount(), 0);
  EXPECT_TRUE(list->selectedDCFInfos().isEmpty());
}

TEST_F(ListTest, QuickSelectionsSettleOnTheLastOne) {
  QSignalSpy fixed(list, &DCFListViewController::selectionFixed);
  list->reloadDCFInfo(infos, infos);
  for (int i = 0; i < 5; ++i) list->selectCurrentDCF(infos[i]);
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 1, 5000);
  EXPECT_EQ(fixedDCF(fixed, 0), infos[4]);
  // Nothing else is waiting to arrive.
  EXPECT_FALSE(list->selectionIsSettling());
  QCoreApplication::processEvents();
  EXPECT_EQ(fixed.size(), 1);

  // A multiple selection makes nothing current.
  list->allFilesSelected();
  EXPECT_FALSE(list->selectionIsSettling());
  QCoreApplication::processEvents();
  EXPECT_EQ(fixed.size(), 1);
}

TEST_F(ListTest, NextRecordingWrapsAroundAndReselectsASingleRow) {
  QSignalSpy fixed(list, &DCFListViewController::selectionFixed);
  list->reloadDCFInfo(infos, infos);
  list->selectNextDCFWithCurrentDCF(infos.last());
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 1, 5000);
  EXPECT_EQ(fixedDCF(fixed, 0), infos.first());
  list->selectNextDCFWithCurrentDCF(infos[1]);
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 2, 5000);
  EXPECT_EQ(fixedDCF(fixed, 1), infos[2]);
  // A recording that is not in the list starts again at the top.
  list->selectNextDCFWithCurrentDCF(std::make_shared<DCFInfo>(QStringLiteral("/nowhere"), QStringLiteral("NORMAL/x.MP4")));
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 3, 5000);
  EXPECT_EQ(fixedDCF(fixed, 2), infos.first());

  // With one row the selection is cleared first, so row 0 counts as new.
  list->reloadDCFInfo(infos.mid(0, 1));
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 4, 5000);
  list->selectNextDCFWithCurrentDCF(infos.first());
  DC_TRY_COMPARE_WITH_TIMEOUT(fixed.size(), 5, 5000);
  EXPECT_EQ(fixedDCF(fixed, 4), infos.first());
  list->selectFirstItem();
  QCoreApplication::processEvents();
  EXPECT_EQ(fixed.size(), 6) << "the first item is made current on the next turn, without the settle delay";

  list->reloadDCFInfo(DCFInfoList{});
  list->selectNextDCFWithCurrentDCF(infos.first());
  EXPECT_FALSE(list->selectionIsSettling());
  QCoreApplication::processEvents();
  EXPECT_EQ(fixed.size(), 6);
}

TEST_F(ListTest, MenuValidationFollowsRowsSelectionAndSheets) {
  using Action = DCFListViewController::Action;
  window.show();
  for (Action action : {Action::BackUp, Action::ExportKML, Action::ExportVideo, Action::SelectAll, Action::FocusPlaying}) {
    EXPECT_FALSE(list->validateAction(action));
  }
  list->reloadDCFInfo(infos, infos);
  EXPECT_FALSE(list->validateAction(Action::BackUp));
  EXPECT_TRUE(list->validateAction(Action::ExportKML));
  EXPECT_TRUE(list->validateAction(Action::ExportVideo));
  EXPECT_TRUE(list->validateAction(Action::SelectAll));
  EXPECT_TRUE(list->validateAction(Action::FocusPlaying));
  list->selectCurrentDCF(infos[2]);
  EXPECT_TRUE(list->validateAction(Action::BackUp));
  // Repair only for a selection holding a damaged recording.
  EXPECT_FALSE(list->validateAction(Action::Repair));
  infos[2]->setDamageReason(QStringLiteral("No index"), true);
  EXPECT_TRUE(list->validateAction(Action::Repair));
  infos[2]->setDamageReason({}, false);

  QDialog sheet(&window);
  sheet.setWindowModality(Qt::WindowModal);
  sheet.show();
  EXPECT_TRUE(DCFListViewController::windowHasAttachedSheet(&window));
  for (Action action : {Action::BackUp, Action::ExportKML, Action::ExportVideo, Action::SelectAll, Action::FocusPlaying}) {
    EXPECT_FALSE(list->validateAction(action));
  }
  sheet.hide();
  EXPECT_TRUE(list->validateAction(Action::BackUp));

  std::unique_ptr<QMenu> menu(list->makeContextMenu());
  QStringList titles;
  for (QAction* action : menu->actions()) titles.append(action->text());
  EXPECT_FALSE(titles.contains(QStringLiteral("Protection")));
  EXPECT_FALSE(titles.contains(QStringLiteral("Protection Release")));
  EXPECT_FALSE(titles.contains(QStringLiteral("Delete")));
  EXPECT_TRUE(titles.contains(QStringLiteral("Repair…")));
  EXPECT_TRUE(titles.contains(QStringLiteral("Export Incident Report…")));
  EXPECT_EQ(titles.size(), 7);
}

TEST(BackUpTargetTest, FreeSpaceMustExceedTheFilesByOneMebibyte) {
  constexpr std::uint64_t kFree = 10'000'000;
  constexpr std::uint64_t kMargin = DCFListViewController::kBackUpMargin;
  EXPECT_EQ(kMargin, 1048576u);
  EXPECT_FALSE(DCFListViewController::backUpFitsFreeSpace(kFree, kFree - kMargin));
  EXPECT_TRUE(DCFListViewController::backUpFitsFreeSpace(kFree, kFree - kMargin - 1));
  EXPECT_FALSE(DCFListViewController::backUpFitsFreeSpace(0, 0));
  EXPECT_FALSE(DCFListViewController::backUpFitsFreeSpace(kMargin, 0));
  EXPECT_TRUE(DCFListViewController::backUpFitsFreeSpace(kMargin + 1, 0));
}

TEST(BackUpTargetTest, RefusesNonEmptyFoldersFilesAndUnknownFreeSpace) {
  QTemporaryDir dir;
  auto saved = DCFListViewController::freeSpaceAtPath;
  std::int64_t reported = 5'000'000;
  DCFListViewController::freeSpaceAtPath = [&](const QString&) { return reported; };

  const QString fresh = dir.filePath(QStringLiteral("Backup 2024 \"new\""));
  EXPECT_TRUE(DCFListViewController::backUpTargetProblem(fresh, 1000).isEmpty());
  EXPECT_FALSE(DCFListViewController::backUpTargetProblem(fresh, std::uint64_t(reported) - 1048576).isEmpty());
  EXPECT_TRUE(DCFListViewController::backUpTargetProblem(fresh, std::uint64_t(reported) - 1048577).isEmpty());

  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("empty")));
  EXPECT_TRUE(DCFListViewController::backUpTargetProblem(dir.filePath(QStringLiteral("empty")), 10).isEmpty());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("full/NORMAL")));
  EXPECT_FALSE(DCFListViewController::backUpTargetProblem(dir.filePath(QStringLiteral("full")), 10).isEmpty());
  QFile file(dir.filePath(QStringLiteral("file")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_FALSE(DCFListViewController::backUpTargetProblem(file.fileName(), 10).isEmpty());
  reported = -1;
  EXPECT_FALSE(DCFListViewController::backUpTargetProblem(fresh, 10).isEmpty());
  DCFListViewController::freeSpaceAtPath = saved;

  // The real query finds the volume of a folder that does not exist yet.
  EXPECT_GT(DCFListViewController::freeSpaceAtPath(dir.filePath(QStringLiteral("a/b/c"))), 0);
  EXPECT_EQ(DCFListViewController::formattedByteCount(-5), DCFListViewController::formattedByteCount(0));
}

TEST(CustomTableViewTest, CentresRowsAndLeavesAPointedListAlone) {
  QStandardItemModel model(200, 1);
  CustomTableView table;
  table.setModel(&model);
  table.verticalHeader()->setDefaultSectionSize(20);
  table.resize(300, 210);
  table.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
  const int viewport = table.viewport()->height();
  EXPECT_EQ(table.centredOffsetForRow(0), 0);
  EXPECT_EQ(table.centredOffsetForRow(100), 100 * 20 + (20 - viewport) / 2);
  EXPECT_EQ(table.centredOffsetForRow(199), table.verticalScrollBar()->maximum());

  table.setMouseIsOver(true);
  table.scrollWithAnimationToRowIndex(100, false);
  EXPECT_EQ(table.findChild<QPropertyAnimation*>(), nullptr);
  EXPECT_EQ(table.verticalScrollBar()->value(), 0);
  table.scrollWithAnimationToRowIndex(100, true);
  DC_TRY_COMPARE_WITH_TIMEOUT(table.verticalScrollBar()->value(), table.centredOffsetForRow(100), 5000);
  table.scrollWithAnimationToRowIndex(-1, true);
  table.scrollWithAnimationToRowIndex(500, true);
}

}  // namespace
}  // namespace dashcard
