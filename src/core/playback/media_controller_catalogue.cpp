// The catalogue half of MediaController: the catalogue's news shown on the
// panes, volume renames and the background parser. The playback half is in
// media_controller_playback.cpp.
#include "core/playback/media_controller.h"

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/media/dcf_async_parser.h"
#include "core/telemetry/nmea_data.h"

#include <QPointer>
#include <QSignalBlocker>

#include <utility>

namespace dashcard {

MediaController::MediaController(QObject* parent) : QObject(parent) {
  connect(&tasks_, &TaskRunner::busyChanged, this, &MediaController::tasksBusyChanged);
  connect(&catalogue_, &RecordingCatalogue::catalogueDidChange, this, &MediaController::showCatalogue);
  connect(&catalogue_, &RecordingCatalogue::currentDCFDidChange, this, &MediaController::showCurrentDCF);
  connect(&catalogue_, &RecordingCatalogue::recordingRequested, this, &MediaController::showRequestedDCF);
  connect(&catalogue_, &RecordingCatalogue::selectionDidChange, this, &MediaController::selectionDidChange);
  connect(&catalogue_, &RecordingCatalogue::pictureWithoutDCFChosen, this,
          &MediaController::showCurrentPictureWithoutDCF);
}

MediaController::~MediaController() {
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
}

void MediaController::showCatalogue() {
  const RecordingCatalogue& c = catalogue_;
  const bool hasContent = c.mediaTree().size() + c.pictureTree().size() > 0;
  if (tabVC_ != nullptr) {
    tabVC_->tabViewIsActive(hasContent);
  }
  if (playerSplitVC_ != nullptr) {
    playerSplitVC_->setupDividerWithSecondaryPlayerEnable(c.hasSecondary());
  }
  for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
    if (player != nullptr) {
      player->resetZoomPlayerView();
    }
  }
  if (c.mediaTree().isEmpty()) {
    for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
      if (player != nullptr) {
        player->playWithPath(QString());
      }
    }
  }
  if (dcfListVC_ != nullptr) {
    dcfListVC_->reloadDCFInfo(c.mediaTreeNormal(), c.mediaTree());
  }
  if (eventVC_ != nullptr) {
    eventVC_->reloadDCFInfo(c.mediaTreeEvent(), c.mediaTree());
  }
  if (!c.mediaTreeNormal().isEmpty()) {
    if (tabVC_ != nullptr) {
      tabVC_->setSelectedTabViewItemIndex(0);
    }
    if (dcfListVC_ != nullptr) {
      dcfListVC_->selectFirstItem();
    }
  } else if (!c.mediaTreeEvent().isEmpty()) {
    if (tabVC_ != nullptr) {
      tabVC_->setSelectedTabViewItemIndex(1);
    }
    if (eventVC_ != nullptr) {
      eventVC_->selectFirstItem();
    }
  }
  if (photoListVC_ != nullptr) {
    photoListVC_->reloadDCFInfo(c.pictureTree());
  }
}

void MediaController::volumeRenameToPath(const QString& newPath, const QString& oldPath) {
  if (catalogue_.mediaTree().isEmpty() || oldPath.isEmpty() || catalogue_.mediaTree().first()->rootPath() != oldPath) {
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
  catalogue_.setCanReloadMedia(true);
  catalogue_.moveRoot(newPath, oldPath);
  reparseFromCurrent();
}

void MediaController::reparseFromCurrent() {
  const DCFInfoPtr& current = catalogue_.currentDCF();
  reparseAtIndex(std::max<qsizetype>(0, current ? catalogue_.mediaTree().indexOf(current) : -1));
}

void MediaController::selectionDidChange(const DCFInfoList& infos) {
  if (infos.size() > 1) {
    for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
      if (player != nullptr) {
        player->pause();
      }
    }
  }
}

void MediaController::showCurrentDCF(const DCFInfoPtr& info, int fromMediaList) {
  if (fromMediaList == RecordingCatalogue::kMediaListFollower) {
    // The follower shows what the master shows; the players keep their play
    // state, so a playing follower plays on and a paused one stays paused.
    listDidSelect_ = false;
  } else {
    RecordingListPane* other = fromMediaList == RecordingCatalogue::kMediaListNormal ? eventVC_ : dcfListVC_;
    if (other != nullptr) {
      other->deselection();
    }
    listDidSelect_ = true;
  }
  loadCurrentDCFIntoPlayers(info);
  if (info->thumbnailPath().isEmpty()) {
    const qsizetype index = catalogue_.mediaTree().indexOf(info);
    if (index >= 0) {
      reparseAtIndex(index);
    }
  }
  if (const PictureInfoPtr& picture = catalogue_.currentPicture()) {
    if (playerVC_ != nullptr) {
      playerVC_->showImageWithPath(picture->filePath());
    }
    if (playerVCSecondary_ != nullptr) {
      playerVCSecondary_->showImageWithPath(picture->secondaryFilePath());
    }
  }
}

void MediaController::showRequestedDCF(const DCFInfoPtr& info, int fromMediaList) {
  const bool event = fromMediaList == RecordingCatalogue::kMediaListMapEvent;
  const int tab = event ? 1 : 0;
  if (tabVC_ != nullptr && tabVC_->selectedTabViewItemIndex() != tab) {
    tabVC_->setSelectedTabViewItemIndex(tab);
  }
  RecordingListPane* list = event ? eventVC_ : dcfListVC_;
  RecordingListPane* other = event ? dcfListVC_ : eventVC_;
  if (list != nullptr) {
    list->selectCurrentDCF(info);
  }
  if (other != nullptr) {
    other->deselection();
  }
}
void MediaController::loadCurrentDCFIntoPlayers(const DCFInfoPtr& info) {
  QPointer<MediaController> weak(this);
  clock_.clipDidLoad();
  const bool unplayable = listDidSelect_ && info->isUnplayable() && !repairedCopies_.contains(info->filePath());
  if (playerVC_ != nullptr) {
    playerVC_->playWithPath(
        unplayable ? QString() : playablePath(info->filePath()),
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
  if (unplayable) {
    listDidSelect_ = false;
    emit unplayableRecordingChosen(info);
  }
}

void MediaController::showCurrentPictureWithoutDCF() {
  const PictureInfoPtr picture = catalogue_.currentPicture();
  if (!picture) {
    return;
  }
  if (playerVC_ != nullptr) {
    playerVC_->showImageWithPath(picture->filePath());
    playerVC_->pause();
  }
  if (playerVCSecondary_ != nullptr) {
    playerVCSecondary_->showImageWithPath(picture->secondaryFilePath());
    playerVCSecondary_->pause();
  }
  catalogue_.detachCurrentPicture();
}

// --- Background parsing ---

void MediaController::reparseAtIndex(qsizetype index) {
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  const DCFInfoList& tree = catalogue_.mediaTree();
  if (tree.isEmpty()) {
    return;
  }
  currentParser_ = std::make_shared<DCFAsyncParser>(thumbnailDirectory_);
  QPointer<MediaController> weak(this);
  currentParser_->setUpDCFAsync(
      tree, std::clamp<qsizetype>(index, 0, tree.size() - 1),
      [weak](const DCFInfoPtr& info) {
        if (weak) {
          weak->catalogue_.walkDidRead(info);
        }
      },
      [weak] {
        if (weak) {
          weak->catalogue_.walkDidEnd();
        }
      });
}

void MediaController::dispose() {
  QObject::disconnect(masterDateConnection_);  // no more master dates
  if (currentParser_) {
    currentParser_->setCancelFlag(true);
  }
  catalogue_.stopScanning();
  // The tasks of a closed window would only keep writing.
  QObject::disconnect(&tasks_, nullptr, this, nullptr);
  tasks_.cancelAll();
  dcfListVC_ = nullptr;
  photoListVC_ = nullptr;
  eventVC_ = nullptr;
  playerVC_ = nullptr;
  playerVCSecondary_ = nullptr;
  playerVCs_.clear();
  tabVC_ = nullptr;
  playerSplitVC_ = nullptr;
}

}  // namespace dashcard
