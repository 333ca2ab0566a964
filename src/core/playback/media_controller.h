#pragma once

#include "core/catalogue/card_scanner.h"
#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"
#include "core/export/dcf_async_back_up.h"
#include "core/map/map_pane.h"
#include "core/playback/panes.h"
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
  // Where a selection comes from (updateCurrentDCF's `fromMediaList`).
  enum MediaList : int {
    kMediaListFollower = 0,
    kMediaListNormal = 1,
    kMediaListEvent = 2,
    kMediaListPhoto = 3,
    kMediaListMapNormal = 4,
    kMediaListMapEvent = 5,
  };

  using ProgressHandler = std::function<void(int phase, int percentage)>;
  using CompletionHandler = std::function<void(bool success)>;

  explicit MediaController(QObject* parent = nullptr);
  ~MediaController() override;

  // --- Card acceptance and listing (no controller state) ---
  static bool mediaIsAvailable(const QString& path);
  static bool mediaIsRynd(const QString& path);

  // --- Thumbnail cache ---
  static QString cachesDirectoryPath();
  static QStringList cacheFiles();
  // Run when the application quits: drops export left-overs and keeps at
  // most MAX_THUMB_CACHE thumbnails, the newest.
  static void cacheCleaning();

  // --- Scan ---
  // Scans `rootPath` in the background and publishes the catalogue.
  // Progress: (0, 0) at once on this thread, (1, percent) throttled, (3, 100)
  // before publication. Completion: false at once when reloading is not
  // allowed (the scan still runs and ends with true).
  void mediaTreeAsyncAtRootPath(const QString& rootPath, ProgressHandler progressHandler = {},
                                CompletionHandler completionHandler = {});
  // With no root: empties the catalogue (false when reloading is not allowed).
  bool mediaTreeSyncAtRootPath(const std::optional<QString>& rootPath);
  void setMediaInfoWithRootPath(const QString& rootPath, const DCFInfoList& dcfResult,
                                const PictureInfoList& pictureResult);

  // --- Volumes and selection ---
  void volumeRenameToPath(const QString& newPath, const QString& oldPath);
  void updateSelectedDCFs(const DCFInfoList& infos);
  void updateCurrentDCF(const DCFInfoPtr& info, int fromMediaList, const PictureInfoPtr& currentPicture);
  void showCurrentPictureWithoutDCF();

  // --- Background parsing ---
  void reparseAtIndex(qsizetype index);
  // `firstObjectCompletionHandler` runs once on the main thread after the
  // first recording of the walk was handed over.
  void reparseAtIndex(qsizetype index, std::function<void(const DCFInfoPtr&)> firstObjectCompletionHandler);

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
  // Seeks both players to `progress` (the graph's time slider).
  void updateProgress(float progress);
  void focusCurrentDCF();
  // The file list's selection followed by the event list's.
  DCFInfoList getAllSelectedItems() const;
  // The wall-clock date of the primary player's position, set by every tick.
  QDateTime userDate() const;
  // What the telemetry says at the primary player's position, made by every tick.
  const TelemetryMoment& moment() const { return moment_; }

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
  // Writes one video of a span across clips (and its track), likewise.
  // `didFinish` (optional) hears whether the export succeeded, after the sheet did.
  void exportIncidentVideo(const IncidentExportRequest& request, RecordingListPane* progressVCParentControll,
                           std::function<void(bool succeeded)> didFinish = {});
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

  // --- Catalogue state ---
  const DCFInfoList& mediaTree() const { return mediaTree_; }
  const PictureInfoList& pictureTree() const { return pictureTree_; }
  const DCFInfoList& mediaTreeNormal() const { return mediaTreeNormal_; }
  const DCFInfoList& mediaTreeEvent() const { return mediaTreeEvent_; }
  bool hasSecondary() const { return hasSecondary_; }
  bool canReloadMedia() const { return canReloadMedia_; }
  void setCanReloadMedia(bool can) { canReloadMedia_ = can; }
  bool listDidSelect() const { return listDidSelect_; }
  const DCFInfoPtr& currentDCF() const { return currentDCF_; }
  const DCFInfoList& selectedDCFs() const { return selectedDCFs_; }
  const PictureInfoPtr& currentPicture() const { return currentPicture_; }
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
  MapPane* mapVC() const { return mapVC_; }
  void setMapVC(MapPane* pane) { mapVC_ = pane; }
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
  GraphPane* graphVC() const { return graphVC_; }
  void setGraphVC(GraphPane* pane) { graphVC_ = pane; }
  TabPane* tabVC() const { return tabVC_; }
  void setTabVC(TabPane* pane) { tabVC_ = pane; }

 signals:
  // A background walk handed a recording over (after the panes were told).
  void dcfInfoDidParse(const std::shared_ptr<DCFInfo>& info);
  // A catalogue was published (also an empty one): lists, front/rear state.
  void catalogueDidChange();
  // Every tick: the lamps and the capture follow it.
  void momentDidChange(const TelemetryMoment& moment);

 private:
  // Loads `info`'s front video into the primary player (the window's clock)
  // and its rear video into the secondary one; a list selection starts play.
  void loadCurrentDCFIntoPlayers(const DCFInfoPtr& info);
  void parserDidProcess(const DCFInfoPtr& info);
  void parserDidFinish();

  DCFInfoList mediaTree_;
  PictureInfoList pictureTree_;
  DCFInfoList mediaTreeNormal_;
  DCFInfoList mediaTreeEvent_;
  bool hasSecondary_ = false;
  bool canReloadMedia_ = true;
  bool listDidSelect_ = false;
  DCFInfoPtr currentDCF_;
  DCFInfoList selectedDCFs_;
  PictureInfoPtr currentPicture_;
  std::shared_ptr<DCFAsyncParser> currentParser_;
  // The first task started (true) or the last one's sheet closed.
  void tasksBusyChanged(bool busy);
  TaskRunner tasks_;
  QString thumbnailDirectory_;
  // Set by dispose(): a running scan stops and publishes nothing.
  std::shared_ptr<std::atomic<bool>> scanCancel_ = std::make_shared<std::atomic<bool>>(false);

  // Playback half.
  void picturePositionAction(PlayerPane* player);
  void setUserDate(double secondsSince1970);
  void publishMoment(double seconds, double duration);
  // Brings the rear player `t` to the primary `s`'s position.
  void alignFollower(PlayerPane* s, PlayerPane* t);
  // How long (wall-clock seconds) a seek of the playing rear player took
  // last time, learnt from what was left after it; a correction aims ahead by it.
  static constexpr double kMaxFollowerLead = 2.0;
  double followerLeadSeconds_ = 0.0;
  bool followerCorrecting_ = false;
  TelemetryMoment moment_;
  // A follower window found a recording at the master's date: it becomes
  // current and is loaded.
  void followRecording(const DCFInfoPtr& info);
  QMetaObject::Connection observeMasterDate();
  // userDate is read by other windows' ticks through the manager: atomic.
  std::atomic<qint64> userDateMs_{0};
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
  MapPane* mapVC_ = nullptr;
  PlayerPane* playerVC_ = nullptr;
  PlayerPane* playerVCSecondary_ = nullptr;
  QList<PlayerPane*> playerVCs_;
  PlayerSplitPane* playerSplitVC_ = nullptr;
  GraphPane* graphVC_ = nullptr;
  TabPane* tabVC_ = nullptr;
};

}  // namespace dashcard
