#include "ui/catalogue/dcf_list_view_controller.h"

#include "core/common/date_format.h"
#include "core/common/save_folder.h"
#include "core/export/dcf_async_back_up.h"
#include "core/media/clip_health.h"
#include "core/media/recording_span.h"
#include "core/playback/media_controller.h"
#include "ui/catalogue/dcf_info_table_model.h"
#include "ui/export/evidence_tasks.h"
#include "ui/export/incident_export_dialog.h"
#include "ui/export/progress_view_controller.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace dashcard {

namespace {

// A save panel that checks the chosen path before it closes; nothing it
// chooses lies on the card being read.
class CheckedSavePanel : public QFileDialog {
 public:
  using Check = std::function<QString(const QString& path)>;
  CheckedSavePanel(QWidget* parent, QString cardRoot, Check check)
      : QFileDialog(parent), cardRoot_(std::move(cardRoot)), check_(std::move(check)) {}
  QString chosenPath() const { return chosen_; }

  void accept() override {
    const QStringList files = selectedFiles();
    if (files.isEmpty()) return;
    QString path = files.first();
    if (!defaultSuffix().isEmpty() && QFileInfo(path).suffix().isEmpty()) {
      path += QLatin1Char('.') + defaultSuffix();
    }
    if (isOutputOnCard(path, cardRoot_)) {
      QMessageBox::warning(this, windowTitle(), DCFListViewController::tr("“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.").arg(QFileInfo(path).fileName()));
      return;
    }
    if (check_) {
      const QString problem = check_(path);
      if (!problem.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), problem);
        return;
      }
    }
    chosen_ = path;
    QDialog::accept();
  }

 private:
  QString cardRoot_;
  Check check_;
  QString chosen_;
};

QList<BackUpItem> backUpItems(const DCFInfoList& infos) {
  QList<BackUpItem> items;
  for (const DCFInfoPtr& info : infos) {
    if (info) items.append(info);
  }
  return items;
}

}  // namespace

std::function<std::int64_t(const QString&)> DCFListViewController::freeSpaceAtPath = DCFAsyncBackUp::freeBytesAt;

DCFListViewController::DCFListViewController(QWidget* parent)
    : DCFListViewController(kFileListNumber, parent) {}

DCFListViewController::DCFListViewController(int listNumber, QWidget* parent)
    : QWidget(parent), listNumber_(listNumber), model_(new DCFInfoTableModel(this)),
      tableView_(new CustomTableView(this)) {
  setObjectName(listNumber == kEventListNumber ? QStringLiteral("EventListViewController")
                                               : QStringLiteral("DCFListViewController"));
  tableView_->setModel(model_);
  tableView_->setAccessibleName(listNumber == kEventListNumber ? tr("Event recordings") : tr("Recordings"));
  // Tab leaves the list for the next pane; the arrows move inside it.
  tableView_->setTabKeyNavigation(false);
  tableView_->setExtendedDelegate(this);
  tableView_->setIconSize(DCFInfoTableModel::kThumbnailSize);
  tableView_->horizontalHeader()->hide();
  tableView_->horizontalHeader()->setSectionResizeMode(DCFInfoTableModel::EventColumn, QHeaderView::Fixed);
  tableView_->horizontalHeader()->setSectionResizeMode(DCFInfoTableModel::ProtectColumn, QHeaderView::Fixed);
  tableView_->horizontalHeader()->setSectionResizeMode(DCFInfoTableModel::ThumbnailColumn, QHeaderView::Fixed);
  tableView_->horizontalHeader()->setSectionResizeMode(DCFInfoTableModel::NameColumn, QHeaderView::Stretch);
  tableView_->setColumnWidth(DCFInfoTableModel::EventColumn, 28);
  tableView_->setColumnWidth(DCFInfoTableModel::ProtectColumn, 24);
  tableView_->setColumnWidth(DCFInfoTableModel::ThumbnailColumn, DCFInfoTableModel::kThumbnailSize.width() + 8);
  tableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tableView_->verticalHeader()->setDefaultSectionSize(DCFInfoTableModel::kThumbnailSize.height() + 8);
  tableView_->setContextMenuPolicy(Qt::CustomContextMenu);
  tableView_->setMinimumWidth(220);
  connect(tableView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu* menu = makeContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(tableView_->viewport()->mapToGlobal(pos));
  });
  connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &DCFListViewController::onSelectionChanged);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tableView_);

  settleTimer_.setSingleShot(true);
  connect(&settleTimer_, &QTimer::timeout, this, [this] { selectionIsFixed(); });
}

DCFListViewController::~DCFListViewController() = default;

void DCFListViewController::setMediaController(MediaController* controller) {
  disconnect(unplayableConnection_);
  mediaController_ = controller;
  if (controller != nullptr) {
    unplayableConnection_ =
        connect(controller, &MediaController::unplayableRecordingChosen, this, &DCFListViewController::offerRepair);
  }
}

void DCFListViewController::reloadDCFInfo(const DCFInfoList& infos) {
  model_->setDCFInfos({});
  shownInfos_.clear();
  if (infos.isEmpty()) return;
  shownInfos_ = infos;
  model_->setDCFInfos(infos);
  selectRow(0);
}

void DCFListViewController::reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList& allDCFinfos) {
  model_->setDCFInfos({});
  shownInfos_.clear();
  if (infos.isEmpty()) return;
  shownInfos_ = infos;
  allInfos_ = allDCFinfos;
  model_->setDCFInfos(infos);
}

void DCFListViewController::selectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  tableView_->selectionModel()->select(model_->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  tableView_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
}

void DCFListViewController::selectFirstItem() {
  // With one row, selecting it again would not be a change.
  if (model_->rowCount() == 1) deselection();
  selectRow(0);
  // Nobody is stepping through rows here: the first recording of a freshly
  // listed card becomes current on the next turn of the event loop (after the
  // caller's own updates), not after the settle delay.
  if (settleTimer_.isActive()) settleTimer_.start(0);
}

void DCFListViewController::selectCurrentDCF(const DCFInfoPtr& info) {
  const int row = model_->rowOf(info);
  if (row < 0) return;
  selectRow(row);
  tableView_->scrollWithAnimationToRowIndex(row, false);
}

void DCFListViewController::selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) {
  const int rows = model_->rowCount();
  if (rows == 0) return;
  const int current = model_->rowOf(info);
  int next = current + 1;
  if (current < 0 || next >= rows) next = 0;
  if (rows == 1) deselection();
  selectRow(next);
  tableView_->scrollWithAnimationToRowIndex(next, false);
}

void DCFListViewController::reloadSelectingDCF() { selectionIsFixed(); }

void DCFListViewController::deselection() { tableView_->clearSelection(); }

void DCFListViewController::allFilesSelected() { tableView_->selectAll(); }

void DCFListViewController::focusPlayingDCF() {
  if (mediaController_) mediaController_->focusCurrentDCF();
}

void DCFListViewController::focusCurrentDCF() {
  const QList<int> rows = tableView_->selectedRowIndexes();
  if (!rows.isEmpty()) tableView_->scrollWithAnimationToRowIndex(rows.first(), true);
}

DCFInfoList DCFListViewController::selectedDCFInfos() const {
  DCFInfoList selected;
  for (int row : tableView_->selectedRowIndexes()) {
    if (DCFInfoPtr dcf = model_->dcfAt(row)) selected.append(dcf);
  }
  return selected;
}

ProgressSheet* DCFListViewController::presentProgressSheet() {
  ProgressViewController* sheet = ProgressViewController::progressViewController(this);
  sheet->open();
  return sheet;
}

void DCFListViewController::playbackDidStop(const QString& reason) {
  // Not modal: the window stays usable, the player shows where it stopped.
  auto* box = new QMessageBox(QMessageBox::Information, tr("Playback Stopped"), reason, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("PlaybackStoppedAlert"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

void DCFListViewController::refreshDCF(const DCFInfoPtr& info) { model_->refresh(info); }

void DCFListViewController::onSelectionChanged() {
  const DCFInfoList selected = selectedDCFInfos();
  if (mediaController_) mediaController_->catalogue()->updateSelectedDCFs(selected);
  if (selected.size() == 1) settleTimer_.start(kSelectionSettleMs);
}

void DCFListViewController::selectionIsFixed() {
  const DCFInfoList selected = selectedDCFInfos();
  if (selected.isEmpty()) return;
  if (mediaController_) mediaController_->catalogue()->updateCurrentDCF(selected.first(), listNumber_, nullptr);
  emit selectionFixed(selected.first());
}

void DCFListViewController::tableViewDidClickedRow(CustomTableView*, int, bool) {}

bool DCFListViewController::windowHasAttachedSheet(const QWidget* window) {
  if (!window) return false;
  for (const QWidget* top : QApplication::topLevelWidgets()) {
    if (top == window || !top->isVisible() || !top->isWindow()) continue;
    if (top->windowModality() == Qt::WindowModal && top->parentWidget() && top->parentWidget()->window() == window) {
      return true;
    }
  }
  return false;
}

bool DCFListViewController::validateAction(Action action) const {
  const bool hasRows = model_->rowCount() > 0;
  const bool noSheet = !windowHasAttachedSheet(window());
  switch (action) {
    case Action::ExportKML:
    case Action::SelectAll:
    case Action::FocusPlaying:
      return hasRows && noSheet;
    case Action::BackUp:
      return hasRows && !tableView_->selectedRowIndexes().isEmpty() && noSheet;
    case Action::ExportVideo:
      return !exportableRecordings().isEmpty() && noSheet;
    case Action::Repair:
      if (!noSheet) return false;
      for (const DCFInfoPtr& info : selectedDCFInfos()) {
        if (!info->damageReason().isEmpty()) return true;
      }
      return false;
  }
  return false;
}

QMenu* DCFListViewController::makeContextMenu() {
  auto* menu = new QMenu(this);
  struct Item {
    QString title;
    Action action;
    void (DCFListViewController::*slot)();
  };
  const Item items[] = {
      {tr("Back Up…"), Action::BackUp, &DCFListViewController::backUp},
      {tr("Export KML/KMZ…"), Action::ExportKML, &DCFListViewController::exportKML},
      {tr("Export Video…"), Action::ExportVideo, qOverload<>(&DCFListViewController::exportVideo)},
      {tr("Export Incident Report…"), Action::ExportVideo, &DCFListViewController::exportIncidentReport},
      {tr("Repair…"), Action::Repair, &DCFListViewController::repair},
      {tr("Select All"), Action::SelectAll, &DCFListViewController::allFilesSelected},
      {tr("Show Playing Recording"), Action::FocusPlaying, &DCFListViewController::focusPlayingDCF},
  };
  for (const Item& item : items) {
    QAction* action = menu->addAction(item.title);
    action->setEnabled(validateAction(item.action));
    connect(action, &QAction::triggered, this, item.slot);
  }
  return menu;
}

QString DCFListViewController::formattedByteCount(std::int64_t bytes) {
  return QLocale().formattedDataSize(std::max<std::int64_t>(bytes, 0), 1, QLocale::DataSizeSIFormat);
}

bool DCFListViewController::backUpFitsFreeSpace(std::uint64_t freeBytes, std::uint64_t requiredBytes) {
  return DCFAsyncBackUp::fitsFreeSpace(static_cast<qint64>(std::min<std::uint64_t>(freeBytes, INT64_MAX)), requiredBytes);
}

QString DCFListViewController::backUpTargetProblem(const QString& targetPath, std::uint64_t requiredBytes) {
  // The backup itself refuses the same targets; the panel says so first.
  if (!DCFAsyncBackUp::targetProblem(targetPath).isEmpty()) {
    const QFileInfo target(targetPath);
    if (target.isDir()) {
      return tr("The folder “%1” already exists and is not empty. Choose another name.").arg(target.fileName());
    }
    return tr("“%1” already exists.").arg(target.fileName());
  }
  const std::int64_t freeBytes = freeSpaceAtPath ? freeSpaceAtPath(targetPath) : -1;
  if (freeBytes < 0) return tr("The free space of the target could not be read.");
  if (!backUpFitsFreeSpace(std::uint64_t(freeBytes), requiredBytes)) {
    return tr("There is not enough free space. Free size: %1, required size: %2.")
        .arg(formattedByteCount(freeBytes), formattedByteCount(std::int64_t(requiredBytes + kBackUpMargin)));
  }
  return {};
}

std::uint64_t DCFListViewController::requiredBackUpSize() const {
  if (!mediaController_) return 0;
  // Everything the backup copies: front and rear videos and telemetry files.
  return DCFAsyncBackUp::requiredBytes(backUpItems(mediaController_->getAllSelectedItems()));
}

void DCFListViewController::refreshFreeSpace(QLabel* freeValueLabel, const QString& directory) {
  const std::int64_t bytes = freeSpaceAtPath ? freeSpaceAtPath(directory) : -1;
  freeValueLabel->setText(bytes < 0 ? tr("Unknown") : formattedByteCount(bytes));
}

void DCFListViewController::backUp() {
  if (!validateAction(Action::BackUp) || !mediaController_) return;
  mediaController_->catalogue()->setCanReloadMedia(false);
  const auto items = mediaController_->getAllSelectedItems();
  const std::uint64_t required = requiredBackUpSize();

  auto* panel = new CheckedSavePanel(this, cardRoot(), [required](const QString& path) {
    return backUpTargetProblem(path, required);
  });
  savePanel_ = panel;
  panel->setObjectName(QStringLiteral("BackUpSavePanel"));
  panel->setWindowTitle(tr("Back Up"));
  panel->setOption(QFileDialog::DontUseNativeDialog);
  panel->setAcceptMode(QFileDialog::AcceptSave);
  panel->setFileMode(QFileDialog::AnyFile);
  panel->setOption(QFileDialog::DontConfirmOverwrite);
  panel->setLabelText(QFileDialog::Accept, tr("Execute"));
  panel->setDirectory(saveFolder(SaveKind::BackUp));
  panel->selectFile(backUpDirectoryName(QDateTime::currentDateTime()));
  panel->setWindowModality(Qt::WindowModal);
  panel->setAttribute(Qt::WA_DeleteOnClose);

  auto* accessory = new QWidget(panel);
  accessory->setObjectName(QStringLiteral("BackUpAccessoryView"));
  auto* grid = new QGridLayout(accessory);
  grid->setContentsMargins(0, 6, 0, 0);
  auto* diskFreeLabel = new QLabel(tr("Free size:"), accessory);
  auto* diskFreeValueLabel = new QLabel(accessory);
  diskFreeValueLabel->setObjectName(QStringLiteral("diskFreeValueLabel"));
  auto* diskRequreLabel = new QLabel(tr("Required size:"), accessory);
  auto* diskRequireValueLabel = new QLabel(formattedByteCount(std::int64_t(required)), accessory);
  diskRequireValueLabel->setObjectName(QStringLiteral("diskRequireValueLabel"));
  grid->addWidget(diskFreeLabel, 0, 0, Qt::AlignRight);
  grid->addWidget(diskFreeValueLabel, 0, 1);
  grid->addWidget(diskRequreLabel, 1, 0, Qt::AlignRight);
  grid->addWidget(diskRequireValueLabel, 1, 1);
  grid->setColumnStretch(2, 1);
  if (auto* panelGrid = qobject_cast<QGridLayout*>(panel->layout())) {
    panelGrid->addWidget(accessory, panelGrid->rowCount(), 0, 1, panelGrid->columnCount());
  }
  refreshFreeSpace(diskFreeValueLabel, panel->directory().absolutePath());
  connect(panel, &QFileDialog::directoryEntered, this,
          [this, diskFreeValueLabel](const QString& dir) { refreshFreeSpace(diskFreeValueLabel, dir); });

  connect(panel, &QDialog::finished, this, [this, panel, items](int result) {
    if (!mediaController_) return;
    if (result == QDialog::Accepted && !panel->chosenPath().isEmpty()) {
      rememberSaveFolder(SaveKind::BackUp, panel->chosenPath());
      mediaController_->backUpSelectedInfos(backUpItems(items), panel->chosenPath(), this);
    } else {
      mediaController_->catalogue()->setCanReloadMedia(true);
    }
  });
  panel->open();
}

void DCFListViewController::exportKML() {
  if (!validateAction(Action::ExportKML) || !mediaController_) return;
  mediaController_->catalogue()->setCanReloadMedia(false);
  auto* panel = new CheckedSavePanel(this, cardRoot(), [](const QString& path) -> QString {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("kml") && suffix != QLatin1String("kmz")) {
      return tr("Choose a name ending in .kml or .kmz.");
    }
    if (QFileInfo(path).isDir()) return tr("“%1” is a folder.").arg(QFileInfo(path).fileName());
    return {};
  });
  savePanel_ = panel;
  panel->setObjectName(QStringLiteral("ExportSavePanel"));
  panel->setWindowTitle(tr("Export KML/KMZ"));
  panel->setOption(QFileDialog::DontUseNativeDialog);
  panel->setAcceptMode(QFileDialog::AcceptSave);
  panel->setLabelText(QFileDialog::Accept, tr("Execute"));
  panel->setNameFilters({tr("KML (*.kml)"), tr("KMZ (*.kmz)")});
  panel->setDefaultSuffix(QStringLiteral("kml"));
  connect(panel, &QFileDialog::filterSelected, panel, [panel](const QString& filter) {
    panel->setDefaultSuffix(filter.contains(QLatin1String("kmz")) ? QStringLiteral("kmz") : QStringLiteral("kml"));
  });
  panel->setDirectory(saveFolder(SaveKind::Export));
  panel->selectFile(tr("ROUTE"));
  panel->setWindowModality(Qt::WindowModal);
  panel->setAttribute(Qt::WA_DeleteOnClose);
  connect(panel, &QDialog::finished, this, [this, panel](int result) {
    if (!mediaController_) return;
    if (result == QDialog::Accepted && !panel->chosenPath().isEmpty()) {
      rememberSaveFolder(SaveKind::Export, panel->chosenPath());
      mediaController_->exportSelectedInfos(allInfos_, panel->chosenPath(), this);
    } else {
      mediaController_->catalogue()->setCanReloadMedia(true);
    }
  });
  panel->open();
}

void DCFListViewController::repair() {
  if (validateAction(Action::Repair)) repair(selectedDCFInfos());
}

void DCFListViewController::offerRepair(const DCFInfoPtr& info) {
  if (!info || !shownInfos_.contains(info)) return;  // the other list's recording
  if (repairOffer_) repairOffer_->close();
  auto* box =
      new QMessageBox(QMessageBox::Warning, tr("Damaged Recording"),
                      tr("“%1” cannot be played: %2")
                          .arg(QFileInfo(info->filePath()).fileName(), info->damageReason().section(u'\n', 0, 0)),
                      QMessageBox::Close, this);
  box->setObjectName(QStringLiteral("RepairOfferAlert"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  if (ClipHealth::inspect(info->filePath()).rebuildable()) {
    box->setInformativeText(tr("A playable copy can be rebuilt from what was recorded, without changing the card."));
    QPushButton* rebuild = box->addButton(tr("Repair…"), QMessageBox::AcceptRole);
    connect(rebuild, &QPushButton::clicked, this, [this, info] {
      if (!windowHasAttachedSheet(window())) repair({info});
    });
  }
  repairOffer_ = box;
  box->show();
}

void DCFListViewController::repair(const DCFInfoList& infos) {
  if (!mediaController_) return;
  DCFInfoList damaged;
  for (const DCFInfoPtr& info : infos) {
    if (!info->damageReason().isEmpty()) damaged.append(info);
  }
  mediaController_->catalogue()->setCanReloadMedia(false);
  auto* panel = new QFileDialog(this, tr("Choose a Folder for the Repaired Copies"), saveFolder(SaveKind::Repair));
  repairPanel_ = panel;
  panel->setObjectName(QStringLiteral("RepairFolderPanel"));
  panel->setOption(QFileDialog::DontUseNativeDialog);
  panel->setFileMode(QFileDialog::Directory);
  panel->setOption(QFileDialog::ShowDirsOnly);
  panel->setLabelText(QFileDialog::Accept, tr("Repair"));
  panel->setWindowModality(Qt::WindowModal);
  panel->setAttribute(Qt::WA_DeleteOnClose);
  connect(panel, &QDialog::finished, this, [this, panel, damaged](int result) {
    if (!mediaController_) return;
    const QStringList chosen = panel->selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty()) {
      mediaController_->catalogue()->setCanReloadMedia(true);
      return;
    }
    const QString folder = chosen.first();
    // The card is refused here already; the job refuses it again.
    if (const QString problem = MediaController::repairTargetProblem(folder, damaged); !problem.isEmpty()) {
      mediaController_->catalogue()->setCanReloadMedia(true);
      auto* box = new QMessageBox(QMessageBox::Warning, tr("Repair"), problem, QMessageBox::Ok, this);
      box->setObjectName(QStringLiteral("RepairRefusedAlert"));
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->open();
      return;
    }
    rememberSaveFolder(SaveKind::Repair, QDir(folder).filePath(QStringLiteral("x")));
    mediaController_->repairRecordings(damaged, folder, this, [this](const MediaController::RepairedCopies& copies) {
      auto* box = new QMessageBox(QMessageBox::Question, tr("Repair"),
                                  tr("%n repaired copies were written. Play them in place of the damaged videos "
                                     "until this window closes?",
                                     nullptr, int(copies.size())),
                                  QMessageBox::Yes | QMessageBox::No, this);
      repairedQuestion_ = box;
      box->setObjectName(QStringLiteral("RepairedCopiesQuestion"));
      box->setAttribute(Qt::WA_DeleteOnClose);
      connect(box, &QMessageBox::finished, this, [this, box, copies](int) {
        if (!mediaController_ || box->clickedButton() != box->button(QMessageBox::Yes)) return;
        for (const auto& [damagedPath, copy] : copies) mediaController_->useRepairedCopy(damagedPath, copy);
      });
      box->open();
    });
  });
  panel->open();
}

QString DCFListViewController::cardRoot() const {
  const DCFInfoList recordings = exportableRecordings();
  return recordings.isEmpty() ? QString() : recordings.first()->rootPath();
}

void DCFListViewController::exportIncidentReport() {
  if (!validateAction(Action::ExportVideo) || !mediaController_) return;
  const auto [from, to] = IncidentExportDialog::prefilledSpan({}, {}, selectionSpan());
  if (!evidenceTasks_) evidenceTasks_ = new EvidenceTasks(this, &mediaController_->tasks());
  evidenceTasks_->chooseAndExportReport(exportableRecordings(), from, to, this, mediaController_->repairedCopies());
}

DCFInfoList DCFListViewController::exportableRecordings() const {
  if (mediaController_ && !mediaController_->catalogue()->mediaTree().isEmpty()) return mediaController_->catalogue()->mediaTree();
  return allInfos_;
}

std::pair<QDateTime, QDateTime> DCFListViewController::selectionSpan() const {
  DCFInfoList chosen = selectedDCFInfos();
  if (chosen.isEmpty() && mediaController_ && mediaController_->catalogue()->currentDCF()) chosen = {mediaController_->catalogue()->currentDCF()};
  // The span ends with the recording that starts last (or one close before it).
  QDateTime lastStart;
  for (const DCFInfoPtr& info : chosen) lastStart = std::max(lastStart, info->startDate());
  RecordingSpan::learnLengths(chosen, lastStart, lastStart, IncidentExportDialog::kLookBackSeconds);
  return RecordingSpan::spanOf(chosen);
}

void DCFListViewController::exportVideo(const QDateTime& markedFrom, const QDateTime& markedTo) {
  if (!validateAction(Action::ExportVideo) || !mediaController_) return;
  mediaController_->catalogue()->setCanReloadMedia(false);
  const auto [from, to] = IncidentExportDialog::prefilledSpan(markedFrom, markedTo, selectionSpan());
  auto* dialog = new IncidentExportDialog(exportableRecordings(), from, to, this);
  exportVideoDialog_ = dialog;
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
    if (!mediaController_) return;
    if (result == QDialog::Accepted) {
      const IncidentExportRequest request = dialog->request();
      std::optional<TaskRunner::Job> thenReport;
      if (dialog->reportBox()->isChecked()) {
        // The report lists the files just written with their SHA-256.
        IncidentReportRequest report;
        report.recordings = exportableRecordings();
        report.from = request.from;
        report.to = request.to;
        report.cardRoot = report.recordings.isEmpty() ? QString() : report.recordings.first()->rootPath();
        report.targetFilePath = IncidentExporter::sidePath(request.targetFilePath, QStringLiteral("pdf"));
        report.repairedCopies = mediaController_->repairedCopies();
        report.exportedFiles << request.targetFilePath;
        report.clockCorrectionSeconds = model_->clockCorrection();
        if (request.writeGpx) report.exportedFiles << IncidentExporter::sidePath(request.targetFilePath, QStringLiteral("gpx"));
        if (request.writeKml) report.exportedFiles << IncidentExporter::sidePath(request.targetFilePath, QStringLiteral("kml"));
        thenReport = EvidenceTasks::reportJob(report);
      }
      mediaController_->exportIncidentVideo(request, this, std::move(thenReport));
    } else {
      mediaController_->catalogue()->setCanReloadMedia(true);
    }
  });
  dialog->open();
}

}  // namespace dashcard
