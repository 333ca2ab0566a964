#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"
#include "core/catalogue/recording_catalogue.h"
#include "core/export/dcf_async_back_up.h"
#include "core/playback/panes.h"
#include "core/playback/playback_clock.h"
#include "core/playback/task_runner.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

class DCFAsyncParser;
class MapVewController;
struct IncidentExportRequest;

// The central object of one window: it holds the card's catalogue, the
// current recording and picture and the playback state, talks to the
// window's panes through their interfaces, and runs the background jobs.
// Main thread only. The panes are not owned: the window sets them and calls
// dispose() before it destroys them.
class MediaController : public QObject {
  Q_OBJECT

 public:
  explicit MediaController(QObject* parent = nullptr);
  ~MediaController() override;

  // The card of this window: the lists choose from it, the panes observe it.
  RecordingCatalogue* catalogue() { return &catalogue_; }
  const RecordingCatalogue* catalogue() const { return &catalogue_; }

  // The volume of the card was renamed: every job on the old path stops,
  // the recordings move and the walk starts again.
  void volumeRenameToPath(const QString& newPath, const QString& oldPath);

  // --- Background parsing ---
  // Walks the card from `index` on (telemetry, route lines, thumbnails).
  void reparseAtIndex(qsizetype index);

  void dispose();

  // --- Playback half (media_controller_playback.cpp) ---
  // Start handler of the primary player.
  void willStartAction(PlayerPane* player);
  // Tick handler of the primary player.
  void progressAction(PlayerPane* player);
  // End handler of the primary player.
  void didStopPlayingAction();
  // Error handler of the primary player: a clip that cannot be played is
  // skipped like an ended one; after kMaxFailuresInARow the drive stops and
  // its list says why.
  void didFailPlayingAction();
  static constexpr int kMaxFailuresInARow = 3;
  bool isMasterController() const;
  // The first player of playerVCs() that is not `source`.
  PlayerPane* targetVCWithSourceVC(PlayerPane* source) const;
  // Follows the master's date (a window that is not the master).
  void updateCurrentDate(const QDateTime& date);
  void masterMediaControllerDateDidUpdate(const QDateTime& date);
  // Seeks both players to `progress` (the graph's time slider, the map).
  void updateProgress(float progress);
  void focusCurrentDCF();
  // The file list's selection followed by the event list's.
  DCFInfoList getAllSelectedItems() const;
  // The window's clock: the primary player's date and moment, set by every tick.
  PlaybackClock* clock() { return &clock_; }
  const PlaybackClock* clock() const { return &clock_; }

  // --- Export and backup (media_controller_export.cpp) ---
  // The window's long tasks run one shape each on tasks() (one sheet
  // wiring, one cancel, finish exactly once).
  // Writes the routes and events of `infos` to a KML file or KMZ archive,
  // with the task sheet of `progressVCParentControll` showing the progress.
  void exportSelectedInfos(const DCFInfoList& infos, const QString& targetFilePath,
                           RecordingListPane* progressVCParentControll);
  // Copies `items` into the new folder `targetRootDirPath`, likewise.
  void backUpSelectedInfos(const QList<BackUpItem>& items, const QString& targetRootDirPath,
                           RecordingListPane* progressVCParentControll);
  // Writes one video of a span across clips (and its track), likewise;
  // `then` (the report of the span) follows a success on the same sheet.
  void exportIncidentVideo(const IncidentExportRequest& request, RecordingListPane* progressVCParentControll,
                           std::optional<TaskRunner::Job> then = std::nullopt);
  // Rebuilds the damaged videos of `infos` into the folder `targetDirectory`
  // (never on the card), likewise. `didFinish` hears the copies made
  // (damaged video, copy), also after a partial failure; not after a cancel.
  using RepairedCopies = QList<std::pair<QString, QString>>;
  void repairRecordings(const DCFInfoList& infos, const QString& targetDirectory,
                        RecordingListPane* progressVCParentControll,
                        std::function<void(const RepairedCopies& repaired)> didFinish = {});
  // Why repaired copies of `infos` cannot go into `targetDirectory` (not a
  // writable folder, or on the card itself); empty when they can.
  static QString repairTargetProblem(const QString& targetDirectory, const DCFInfoList& infos);
  // Plays `copy` in place of the damaged video `damagedPath` until the
  // window closes; the drive no longer passes its recording by.
  void useRepairedCopy(const QString& damagedPath, const QString& copy);
  // Damaged video -> its repaired copy in use.
  const QHash<QString, QString>& repairedCopies() const { return repairedCopies_; }
  // Why a backup cannot go into `targetRootDirPath` (it exists and is not
  // empty, or is a file); empty when it can. The save panel asks first.
  static QString backUpTargetProblem(const QString& targetRootDirPath);
  TaskRunner& tasks() { return tasks_; }

  bool listDidSelect() const { return listDidSelect_; }
  const std::shared_ptr<DCFAsyncParser>& currentParser() const { return currentParser_; }
  // The newest open task sheet.
  ProgressSheet* currentProgressVC() const { return tasks_.currentSheet(); }
  // The thumbnail cache used by the background parser; empty for the
  // application's cache location (tests point it elsewhere).
  void setThumbnailDirectory(const QString& directory) { thumbnailDirectory_ = directory; }
  const QString& thumbnailDirectory() const { return thumbnailDirectory_; }

  // --- Panes (not owned) ---
  RecordingListPane* dcfListVC() const { return dcfListVC_; }
  void setDcfListVC(RecordingListPane* pane) { dcfListVC_ = pane; }
  RecordingListPane* eventVC() const { return eventVC_; }
  void setEventVC(RecordingListPane* pane) { eventVC_ = pane; }
  RecordingListPane* photoListVC() const { return photoListVC_; }
  void setPhotoListVC(RecordingListPane* pane) { photoListVC_ = pane; }
  // Follows the map's choices: a marker's recording becomes current, a place
  // on a line is sought (in the current recording) or its recording chosen.
  void observeMap(MapVewController* map);
  PlayerPane* playerVC() const { return playerVC_; }
  void setPlayerVC(PlayerPane* pane) { playerVC_ = pane; }
  PlayerPane* playerVCSecondary() const { return playerVCSecondary_; }
  void setPlayerVCSecondary(PlayerPane* pane) { playerVCSecondary_ = pane; }
  const QList<PlayerPane*>& playerVCs() const { return playerVCs_; }
  void setPlayerVCs(const QList<PlayerPane*>& panes) { playerVCs_ = panes; }
  PlayerSplitPane* playerSplitVC() const { return playerSplitVC_; }
  void setPlayerSplitVC(PlayerSplitPane* pane) { playerSplitVC_ = pane; }
  TabPane* tabVC() const { return tabVC_; }
  void setTabVC(TabPane* pane) { tabVC_ = pane; }

 signals:
  // The user chose a recording whose front video the walk found unplayable
  // (no index, no repaired copy in use): it is not loaded, so no player
  // fails on it and the drive does not step on; the window offers a rebuild.
  void unplayableRecordingChosen(const std::shared_ptr<DCFInfo>& info);

 private:
  // Loads `info`'s front video into the primary player (the window's clock)
  // and its rear video into the secondary one; a list selection starts play.
  void loadCurrentDCFIntoPlayers(const DCFInfoPtr& info);

  // What the catalogue's news asks of the panes.
  void showCatalogue();
  void showCurrentDCF(const DCFInfoPtr& info, int fromMediaList);
  void showRequestedDCF(const DCFInfoPtr& info, int fromMediaList);
  void showCurrentPictureWithoutDCF();
  void selectionDidChange(const DCFInfoList& infos);
  // Re-parses from the current recording (from the start when there is none).
  void reparseFromCurrent();

  RecordingCatalogue catalogue_;
  bool listDidSelect_ = false;
  std::shared_ptr<DCFAsyncParser> currentParser_;
  // The first task started (true) or the last one's sheet closed.
  void tasksBusyChanged(bool busy);
  TaskRunner tasks_;
  QString thumbnailDirectory_;

  // Playback half.
  void picturePositionAction(PlayerPane* player);
  PlaybackClock clock_;
  QMetaObject::Connection observeMasterDate();
  int consecutivePlayFailures_ = 0;
  QHash<QString, QString> repairedCopies_;
  // The file a player opens for the video at `path`: its repaired copy if any.
  QString playablePath(const QString& path) const { return repairedCopies_.value(path, path); }
  // Pauses the players and tells `list` why the drive ended.
  void stopDrive(RecordingListPane* list, const QString& reason);
  QMetaObject::Connection masterDateConnection_ = observeMasterDate();

  RecordingListPane* dcfListVC_ = nullptr;
  RecordingListPane* eventVC_ = nullptr;
  RecordingListPane* photoListVC_ = nullptr;
  PlayerPane* playerVC_ = nullptr;
  PlayerPane* playerVCSecondary_ = nullptr;
  QList<PlayerPane*> playerVCs_;
  PlayerSplitPane* playerSplitVC_ = nullptr;
  TabPane* tabVC_ = nullptr;
};

}  // namespace dashcard
