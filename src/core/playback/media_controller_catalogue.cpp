// The catalogue half of MediaController: card acceptance, the scan and its
// publication to the panes, volume renames, selection and the background
// parser. The playback half is in media_controller_playback.cpp.
#include "core/playback/media_controller.h"

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/recent_documents.h"
#include "core/catalogue/thumbnail_cache.h"
#include "core/common/const_class.h"
#include "core/common/main_thread.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/export/progress_report_manager.h"
#include "core/media/dcf_async_parser.h"
#include "core/media/incident_export.h"
#include "core/telemetry/nmea_data.h"

#include <QPointer>
#include <QSignalBlocker>

#include <utility>

namespace dashcard {

MediaController::MediaController(QObject* parent) : QObject(parent) {
  connect(&tasks_, &TaskRunner::busyChanged, this, &MediaController::tasksBusyChanged);
}

MediaController::~MediaController() {
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  scanCancel_->store(true);
}

// --- Acceptance and listing ---

bool MediaController::mediaIsAvailable(const QString& path) { return mediaIsRynd(path); }

bool MediaController::mediaIsRynd(const QString& path) { return CardScanner::mediaIsRynd(path); }


// --- Thumbnail cache ---

QString MediaController::cachesDirectoryPath() { return ThumbnailCache::cachesDirectoryPath(); }

QStringList MediaController::cacheFiles() { return ThumbnailCache::cacheFiles(cachesDirectoryPath()); }

void MediaController::cacheCleaning() {
  ThumbnailCache::cacheCleaning(cachesDirectoryPath(), ConstClass::MAX_THUMB_CACHE);
}

// --- Scan ---

void MediaController::mediaTreeAsyncAtRootPath(const QString& rootPath, ProgressHandler progressHandler,
                                               CompletionHandler completionHandler) {
  ProgressHandler progress = progressHandler ? std::move(progressHandler) : ProgressHandler([](int, int) {});
  CompletionHandler completion =
      completionHandler ? std::move(completionHandler) : CompletionHandler([](bool) {});
  if (!canReloadMedia_) {
    completion(false);
  }
  progress(0, 0);
  if (!mediaIsRynd(rootPath)) {
    completion(true);
    return;
  }
  QPointer<MediaController> weak(this);
  std::shared_ptr<std::atomic<bool>> cancel = scanCancel_;
  startBackgroundJob([weak, cancel, rootPath, progress, completion] {
    std::uint64_t total = 0;
    ProgressReportManager reporter;
    reporter.progressReeport([&total, progress](unsigned long long value) {
      int percentage = ProgressReportManager::percentageWithNow(value, total);
      if (percentage < 0) {
        percentage = 100;
      }
      runOnMainThreadAsync([progress, percentage] { progress(1, percentage); });
    });
    CardScanner scanner;
    scanner.setCancelFlag(cancel.get());
    CardScanner::Result result =
        scanner.scan(rootPath, [&](std::uint64_t processed, std::uint64_t all, bool force) {
          total = all;
          if (force) {
            reporter.forceReport(processed);
          } else {
            reporter.report(processed);
          }
        });
    runOnMainThreadAsync([weak, cancel, rootPath, progress, completion, result = std::move(result)] {
      progress(3, 100);
      if (weak && !cancel->load()) {
        weak->setMediaInfoWithRootPath(rootPath, result.recordings, result.pictures);
      }
      completion(true);
    });
  });
}

bool MediaController::mediaTreeSyncAtRootPath(const std::optional<QString>& rootPath) {
  if (!canReloadMedia_) {
    return false;
  }
  if (rootPath && !rootPath->isEmpty()) {
    const CardScanner::Result result = CardScanner().scan(*rootPath);
    if (result.scanned) {
      setMediaInfoWithRootPath(*rootPath, result.recordings, result.pictures);
    }
    return true;
  }
  setMediaInfoWithRootPath(QString(), {}, {});
  return true;
}

void MediaController::setMediaInfoWithRootPath(const QString& rootPath, const DCFInfoList& dcfResult,
                                               const PictureInfoList& pictureResult) {
  mediaTree_ = dcfResult;
  pictureTree_ = pictureResult;
  hasSecondary_ = std::any_of(mediaTree_.cbegin(), mediaTree_.cend(),
                              [](const DCFInfoPtr& info) { return !info->secondaryFilePath().isEmpty(); });
  const bool hasContent = mediaTree_.size() + pictureTree_.size() > 0;
  if (hasContent && !rootPath.isEmpty()) {
    RecentDocuments::noteNewRecentDocumentPath(rootPath);
  }
  if (tabVC_ != nullptr) {
    tabVC_->tabViewIsActive(hasContent);
  }
  if (playerSplitVC_ != nullptr) {
    playerSplitVC_->setupDividerWithSecondaryPlayerEnable(hasSecondary_);
  }
  for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
    if (player != nullptr) {
      player->resetZoomPlayerView();
    }
  }
  if (mediaTree_.isEmpty()) {
    for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
      if (player != nullptr) {
        player->playWithPath(QString());
      }
    }
  }
  mediaTreeNormal_.clear();
  mediaTreeEvent_.clear();
  for (const DCFInfoPtr& info : mediaTree_) {
    (info->isEventDCF() ? mediaTreeEvent_ : mediaTreeNormal_).append(info);
  }
  if (dcfListVC_ != nullptr) {
    dcfListVC_->reloadDCFInfo(mediaTreeNormal_, mediaTree_);
  }
  if (eventVC_ != nullptr) {
    eventVC_->reloadDCFInfo(mediaTreeEvent_, mediaTree_);
  }
  if (!mediaTreeNormal_.isEmpty()) {
    if (tabVC_ != nullptr) {
      tabVC_->setSelectedTabViewItemIndex(0);
    }
    if (dcfListVC_ != nullptr) {
      dcfListVC_->selectFirstItem();
    }
  } else if (!mediaTreeEvent_.isEmpty()) {
    if (tabVC_ != nullptr) {
      tabVC_->setSelectedTabViewItemIndex(1);
    }
    if (eventVC_ != nullptr) {
      eventVC_->selectFirstItem();
    }
  }
  if (mapVC_ != nullptr) {
    mapVC_->reloadDCFInfo(mediaTree_);
  }
  if (photoListVC_ != nullptr) {
    photoListVC_->reloadDCFInfo(pictureTree_);
  }
  if (graphVC_ != nullptr) {
    graphVC_->drawGraphWithCurrentDCFInfo(nullptr);
  }
  emit catalogueDidChange();
}

// --- Volumes and selection ---

void MediaController::volumeRenameToPath(const QString& newPath, const QString& oldPath) {
  if (mediaTree_.isEmpty() || oldPath.isEmpty()) {
    return;
  }
  if (mediaTree_.first()->rootPath() != oldPath) {
    return;
  }
  // Every job on the old path stops; the sheet goes with its close step, so
  // the card is free again (later scans, a follower window).
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  {
    const QSignalBlocker quiet(&tasks_);  // the walk restarts below, on the new path
    tasks_.cancelAll();
  }
  setCanReloadMedia(true);
  for (const DCFInfoPtr& info : mediaTree_) {
    info->changeWithRootPath(newPath);
  }
  const qsizetype index = currentDCF_ ? mediaTree_.indexOf(currentDCF_) : -1;
  reparseAtIndex(std::max<qsizetype>(0, index));
}

void MediaController::updateSelectedDCFs(const DCFInfoList& infos) {
  if (infos.size() > 1) {
    for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
      if (player != nullptr) {
        player->pause();
      }
    }
  }
  selectedDCFs_ = infos;
}

void MediaController::updateCurrentDCF(const DCFInfoPtr& info, int fromMediaList, const PictureInfoPtr& currentPicture) {
  currentPicture_ = currentPicture;
  switch (fromMediaList) {
    case kMediaListNormal:
    case kMediaListEvent: {
      if (!info) {
        showCurrentPictureWithoutDCF();
        return;
      }
      currentDCF_ = info;
      RecordingListPane* other = fromMediaList == kMediaListNormal ? eventVC_ : dcfListVC_;
      if (other != nullptr) {
        other->deselection();
      }
      listDidSelect_ = true;
      loadCurrentDCFIntoPlayers(info);
      if (info->thumbnailPath().isEmpty()) {
        const qsizetype index = mediaTree_.indexOf(info);
        if (index >= 0) {
          reparseAtIndex(index);
        }
      }
      if (currentPicture_) {
        if (playerVC_ != nullptr) {
          playerVC_->showImageWithPath(currentPicture_->filePath());
        }
        if (playerVCSecondary_ != nullptr) {
          playerVCSecondary_->showImageWithPath(currentPicture_->secondaryFilePath());
        }
      }
      if (graphVC_ != nullptr) {
        graphVC_->drawGraphWithCurrentDCFInfo(info);
      }
      return;
    }
    case kMediaListMapNormal:
      if (tabVC_ != nullptr && tabVC_->selectedTabViewItemIndex() != 0) {
        tabVC_->setSelectedTabViewItemIndex(0);
      }
      if (dcfListVC_ != nullptr) {
        dcfListVC_->selectCurrentDCF(info);
      }
      if (eventVC_ != nullptr) {
        eventVC_->deselection();
      }
      return;
    case kMediaListMapEvent:
      if (tabVC_ != nullptr && tabVC_->selectedTabViewItemIndex() != 1) {
        tabVC_->setSelectedTabViewItemIndex(1);
      }
      if (eventVC_ != nullptr) {
        eventVC_->selectCurrentDCF(info);
      }
      if (dcfListVC_ != nullptr) {
        dcfListVC_->deselection();
      }
      return;
    default:
      return;
  }
}

void MediaController::loadCurrentDCFIntoPlayers(const DCFInfoPtr& info) {
  QPointer<MediaController> weak(this);
  followerCorrecting_ = false;  // what a new clip's load leaves teaches nothing of seeks
  if (playerVC_ != nullptr) {
    playerVC_->playWithPath(
        playablePath(info->filePath()),
        [weak] {
          if (!weak) {
            return;
          }
          weak->willStartAction(weak->playerVC_);
          if (weak && weak->listDidSelect_ && weak->playerVC_ != nullptr) {
            weak->playerVC_->play();
            weak->listDidSelect_ = false;
          }
        },
        [weak] {
          if (weak) {
            weak->progressAction(weak->playerVC_);
          }
        },
        [weak] {
          if (weak) {
            weak->didStopPlayingAction();
          }
        },
        [weak] {
          if (weak) {
            weak->didFailPlayingAction();
          }
        });
  }
  if (playerVCSecondary_ != nullptr) {
    playerVCSecondary_->playWithPath(playablePath(info->secondaryFilePath()), {},
                                     [weak] {
                                       if (!weak || weak->playerVCSecondary_ == nullptr) {
                                         return;
                                       }
                                       PlayerPane* rear = weak->playerVCSecondary_;
                                       if (!rear->isPlaying()) {
                                         return;
                                       }
                                       if (weak->playerVC_ != nullptr && weak->playerVC_->isPlaying()) {
                                         rear->mutePlay();
                                       } else {
                                         rear->pause();
                                       }
                                     },
                                     {});
  }
}

void MediaController::showCurrentPictureWithoutDCF() {
  const PictureInfoPtr picture = currentPicture_;
  if (!picture) {
    return;
  }
  if (graphVC_ != nullptr) {
    graphVC_->drawGraphWithCurrentDCFInfo(nullptr);
    graphVC_->updateProgress(TelemetryMoment::at(nullptr, 0.0, 0.0));
  }
  if (mapVC_ != nullptr) {
    mapVC_->upDateWithCenterLocation(picture->location());
  }
  if (playerVC_ != nullptr) {
    playerVC_->showImageWithPath(picture->filePath());
    playerVC_->pause();
  }
  if (playerVCSecondary_ != nullptr) {
    playerVCSecondary_->showImageWithPath(picture->secondaryFilePath());
    playerVCSecondary_->pause();
  }
  if (const DCFInfoPtr parent = picture->parentDCFInfo()) {
    parent->removePicture(picture);
  }
  picture->setParentDCFInfo(nullptr);
}

// --- Background parsing ---

void MediaController::reparseAtIndex(qsizetype index) { reparseAtIndex(index, {}); }

void MediaController::reparseAtIndex(qsizetype index,
                                     std::function<void(const DCFInfoPtr&)> firstObjectCompletionHandler) {
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  if (mediaTree_.isEmpty()) {
    return;
  }
  currentParser_ = std::make_shared<DCFAsyncParser>(thumbnailDirectory_);
  QPointer<MediaController> weak(this);
  auto first = std::make_shared<std::function<void(const DCFInfoPtr&)>>(std::move(firstObjectCompletionHandler));
  currentParser_->setUpDCFAsync(
      mediaTree_, std::clamp<qsizetype>(index, 0, mediaTree_.size() - 1),
      [weak, first](const DCFInfoPtr& info) {
        if (!weak) {
          return;
        }
        weak->parserDidProcess(info);
        if (*first) {
          auto handler = std::move(*first);
          *first = nullptr;
          handler(info);
        }
      },
      [weak] {
        if (weak) {
          weak->parserDidFinish();
        }
      });
}

void MediaController::parserDidProcess(const DCFInfoPtr& info) {
  if (mapVC_ != nullptr) {
    const auto& nmea = info->nmea();
    if (!nmea->isParsing() && !nmea->varidLocations().empty()) {
      mapVC_->focusMapOverlays(info->routeLine(), false);
    }
  }
  if (graphVC_ != nullptr) graphVC_->telemetryDidParse(info);
  if (mapVC_ != nullptr) {
    mapVC_->addAnnotations(info->annotation());
    mapVC_->addRouteOverlayLines(info->routeLine());
  }
  emit dcfInfoDidParse(info);
}

void MediaController::parserDidFinish() {
  if (mapVC_ == nullptr) {
    return;
  }
  for (const DCFInfoPtr& info : mediaTree_) {
    mapVC_->upDateOverlayLines(info->routeLine());
  }
}

void MediaController::dispose() {
  QObject::disconnect(masterDateConnection_);  // no more master dates
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  scanCancel_->store(true);
  // The tasks of a closed window would only keep writing.
  QObject::disconnect(&tasks_, nullptr, this, nullptr);
  tasks_.cancelAll();
  dcfListVC_ = nullptr;
  photoListVC_ = nullptr;
  eventVC_ = nullptr;
  mapVC_ = nullptr;
  playerVC_ = nullptr;
  playerVCSecondary_ = nullptr;
  playerVCs_.clear();
  graphVC_ = nullptr;
  tabVC_ = nullptr;
  playerSplitVC_ = nullptr;
}

}  // namespace dashcard
