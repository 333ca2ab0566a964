#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/playback/media_controller.h"
#include "core/playback/panes.h"
#include "ui/catalogue/custom_table_view.h"
#include "ui/export/incident_export_dialog.h"

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <utility>

class QLabel;
class QMenu;

namespace dashcard {

class DCFInfoTableModel;
class EvidenceTasks;

// The file list: the card's normal recordings. A selection that stays for
// 0.1 s makes its recording current in the window's media controller; the
// list's commands back recordings up and export the card's routes.
class DCFListViewController : public QWidget, public RecordingListPane, public CustomTableViewExtendedDelegate {
  Q_OBJECT
 public:
  // Which list a selection came from, for the media controller.
  static constexpr int kFileListNumber = 1;
  static constexpr int kEventListNumber = 2;
  static constexpr int kPhotoListNumber = 3;
  static constexpr int kSelectionSettleMs = 100;
  // A single selection is waiting out the delay before it becomes current.
  bool selectionIsSettling() const { return settleTimer_.isActive(); }
  // The room a backup leaves on the target beyond the files themselves.
  static constexpr std::uint64_t kBackUpMargin = DCFAsyncBackUp::kFreeSpaceMargin;

  enum class Action { BackUp, ExportKML, ExportVideo, Repair, SelectAll, FocusPlaying };

  explicit DCFListViewController(QWidget* parent = nullptr);
  ~DCFListViewController() override;

  MediaController* mediaController() const { return mediaController_; }
  void setMediaController(MediaController* controller);

  // RecordingListPane
  void reloadDCFInfo(const DCFInfoList& infos) override;
  void reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList& allDCFinfos) override;
  void selectFirstItem() override;
  void selectCurrentDCF(const DCFInfoPtr& info) override;
  void selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) override;
  void deselection() override;
  void focusCurrentDCF() override;
  DCFInfoList selectedDCFInfos() const override;
  ProgressSheet* presentProgressSheet() override;
  void playbackDidStop(const QString& reason) override;

  void reloadSelectingDCF();
  void allFilesSelected();
  void focusPlayingDCF();
  void backUp();
  void exportKML();
  // "Repair…": the damaged videos of the selection are rebuilt into a folder
  // the user chooses (never the card); the copies can then play in place of
  // the damaged videos until the window closes.
  void repair();
  // The same for the damaged videos of `infos`.
  void repair(const DCFInfoList& infos);
  // A recording of this list the user chose cannot play (the controller's
  // unplayableRecordingChosen): a message over the window says why and, when
  // it can be rebuilt, offers "Repair…" for it. Not modal.
  void offerRepair(const DCFInfoPtr& info);
  QMessageBox* repairOffer() const { return repairOffer_; }
  // The folder chooser of the running "Repair…", if any.
  QFileDialog* repairPanel() const { return repairPanel_; }
  // The question whether to play the repaired copies, once they are made.
  QMessageBox* repairedQuestion() const { return repairedQuestion_; }
  // "Export Video…": the dialog opens on the marked span where given, else on
  // the span of the selected recordings (or of the current one); accepted, it
  // runs the export with the task sheet.
  void exportVideo() { exportVideo({}, {}); }
  void exportVideo(const QDateTime& markedFrom, const QDateTime& markedTo);
  // "Export Incident Report…" of the span of the selected recordings (or of the current one).
  void exportIncidentReport();
  // The whole span of the selected recordings, else of the current one.
  std::pair<QDateTime, QDateTime> selectionSpan() const;
  // The open "Export Video…" dialog, if any.
  IncidentExportDialog* exportVideoDialog() const { return exportVideoDialog_; }

  bool validateAction(Action action) const;
  // Repaints the row of a recording whose thumbnail arrived.
  void refreshDCF(const DCFInfoPtr& info);

  const DCFInfoList& DCFInfosData() const { return shownInfos_; }
  const DCFInfoList& AllDCFInfosData() const { return allInfos_; }
  CustomTableView* tableView() const { return tableView_; }
  DCFInfoTableModel* model() const { return model_; }
  int listNumber() const { return listNumber_; }
  // The save panel of the running backup or export command, if any.
  QFileDialog* savePanel() const { return savePanel_; }
  // The menu the table shows on a right click, validated.
  QMenu* makeContextMenu();

  // True when `window` shows a sheet (a window-modal dialog of its own).
  static bool windowHasAttachedSheet(const QWidget* window);
  // The backup target must keep 1 MiB free beyond the files.
  static bool backUpFitsFreeSpace(std::uint64_t freeBytes, std::uint64_t requiredBytes);
  // Free bytes of the volume that holds `path` (or its nearest existing
  // parent); replaceable for tests.
  static std::function<std::int64_t(const QString& path)> freeSpaceAtPath;
  // What a backup target must satisfy; an empty result accepts it.
  static QString backUpTargetProblem(const QString& targetPath, std::uint64_t requiredBytes);
  // "1.2 MB"-style byte counts.
  static QString formattedByteCount(std::int64_t bytes);

 signals:
  // The media controller made a recording current from this list.
  void selectionFixed(const DCFInfoPtr& info);

 protected:
  DCFListViewController(int listNumber, QWidget* parent);
  void tableViewDidClickedRow(CustomTableView* tableView, int row, bool isSelectedRow) override;
  void selectRow(int row);
  // Called once the selection has stayed for 0.1 s.
  virtual void selectionIsFixed();

 private:
  void onSelectionChanged();
  std::uint64_t requiredBackUpSize() const;
  // The whole catalogue a video span takes its recordings from.
  DCFInfoList exportableRecordings() const;
  // The root of the card these lists show; empty before a scan.
  QString cardRoot() const;
  void refreshFreeSpace(QLabel* freeValueLabel, const QString& directory);

  int listNumber_;
  DCFInfoTableModel* model_;
  CustomTableView* tableView_;
  QPointer<MediaController> mediaController_;
  DCFInfoList shownInfos_;
  DCFInfoList allInfos_;
  QTimer settleTimer_;
  QPointer<QFileDialog> savePanel_;
  QPointer<QFileDialog> repairPanel_;
  QPointer<QMessageBox> repairedQuestion_;
  QPointer<QMessageBox> repairOffer_;
  QMetaObject::Connection unplayableConnection_;
  QPointer<IncidentExportDialog> exportVideoDialog_;
  QPointer<EvidenceTasks> evidenceTasks_;
};

}  // namespace dashcard
