// The playback half of MediaController: the window's clock (the primary
// player's tick), the front/rear alignment, the end of a clip and the
// master/follower synchronisation between windows.
#include "core/playback/media_controller.h"

#include "core/catalogue/custom_point_annotation.h"
#include "core/map/map_vew_controller.h"
#include "core/playback/media_controller_manager.h"
#include "core/telemetry/nmea_data.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {

double secondsSince1970(const QDateTime& date) { return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0; }

}  // namespace

QMetaObject::Connection MediaController::observeMasterDate() {
  return connect(MediaControllerManager::sharedInstance(), &MediaControllerManager::masterDateDidUpdate, this,
                 &MediaController::masterMediaControllerDateDidUpdate);
}

bool MediaController::isMasterController() const {
  return MediaControllerManager::sharedInstance()->masterController() == this;
}

PlayerPane* MediaController::targetVCWithSourceVC(PlayerPane* source) const {
  for (PlayerPane* pane : playerVCs_) {
    if (pane != nullptr && pane != source) return pane;
  }
  return nullptr;
}

void MediaController::willStartAction(PlayerPane* player) {
  consecutivePlayFailures_ = 0;
  if (player == nullptr || playerVCSecondary_ == nullptr) return;
  if (playerVCSecondary_->playbackRate() != player->playbackRate()) {
    playerVCSecondary_->updatePlaybackRate(player->playbackRate());
  }
}

void MediaController::progressAction(PlayerPane* player) {
  const DCFInfoPtr current = catalogue_.currentDCF();
  PlayerPane* const s = player;
  if (s == nullptr) return;
  if (current) current->setDuration(s->originalTotalTime());
  if (catalogue_.currentPicture()) {
    picturePositionAction(s);
    return;
  }
  PlayerPane* const t = targetVCWithSourceVC(s);
  clock_.tick(current, *s);
  if (clock_.isHeldByUser()) {
    s->pause();
    if (t != nullptr) t->pause();
  } else if (t != nullptr) {
    clock_.alignFollower(*s, *t);
  }
  if (isMasterController()) MediaControllerManager::sharedInstance()->updateReferenceTime(clock_.userDate(), this);
}

void MediaController::picturePositionAction(PlayerPane* s) {
  const DCFInfoPtr current = catalogue_.currentDCF();
  if (s->totalTime() == 0.0) return;
  if (!current) {
    catalogue_.showCurrentPictureAlone();
    return;
  }
  const PictureInfoPtr picture = catalogue_.currentPicture();
  const double p = secondsSince1970(picture->fileDate());
  clock_.setUserDate(p);
  double b = 0.0;
  if (current->startDate().isValid()) {
    b = secondsSince1970(current->startDate());
  } else if (current->fileDate().isValid()) {
    b = secondsSince1970(current->fileDate()) - s->originalTotalTime();
  }
  const float fraction = static_cast<float>((p - b) / s->originalTotalTime());
  if (!(fraction >= 0.0F && fraction <= 1.0F)) {
    // Taken outside the recording: shown alone.
    catalogue_.showCurrentPictureAlone();
    return;
  }
  clock_.publishMoment(current, p - b, s->originalTotalTime());
  s->setCurrentProgress(fraction);
  s->pause();
}

void MediaController::didStopPlayingAction() {
  const DCFInfoPtr current = catalogue_.currentDCF();
  if (!current) return;
  const bool event = current->isEventDCF();
  RecordingListPane* list = event ? eventVC_ : dcfListVC_;
  if (list == nullptr) return;
  // Clips the walk found unplayable are passed by without loading them:
  // the list is asked for the row after the last one passed.
  const DCFInfoList& rows = event ? catalogue_.mediaTreeEvent() : catalogue_.mediaTreeNormal();
  DCFInfoPtr after = current;
  qsizetype next = rows.indexOf(current) + 1;
  for (qsizetype passed = 0; passed < rows.size(); ++passed, ++next) {
    const DCFInfoPtr& candidate = rows.at(next % rows.size());
    if (!candidate->isUnplayable() || repairedCopies_.contains(candidate->filePath())) break;
    if (passed + 1 == rows.size() || candidate == current) {
      stopDrive(list, tr("Playback stopped: no other recording in this list can be played (%1).")
                          .arg(candidate->damageReason().section(u'\n', 0, 0)));
      return;
    }
    after = candidate;
  }
  list->selectNextDCFWithCurrentDCF(after);
}

void MediaController::didFailPlayingAction() {
  const DCFInfoPtr current = catalogue_.currentDCF();
  if (!current) return;
  RecordingListPane* list = current->isEventDCF() ? eventVC_ : dcfListVC_;
  // Stepping on and on would run down a card of clips that cannot be played.
  if (++consecutivePlayFailures_ >= kMaxFailuresInARow) {
    consecutivePlayFailures_ = 0;
    stopDrive(list, tr("Playback stopped: %1 recordings in a row could not be played, the last %2.")
                        .arg(kMaxFailuresInARow)
                        .arg(QFileInfo(current->filePath()).fileName()));
    return;
  }
  didStopPlayingAction();
}

void MediaController::stopDrive(RecordingListPane* list, const QString& reason) {
  for (PlayerPane* player : {playerVC_, playerVCSecondary_}) {
    if (player != nullptr) player->pause();
  }
  listDidSelect_ = false;
  if (list != nullptr) list->playbackDidStop(reason);
}

void MediaController::masterMediaControllerDateDidUpdate(const QDateTime& date) {
  if (!isMasterController()) updateCurrentDate(date);
}

void MediaController::updateCurrentDate(const QDateTime& date) {
  if (isMasterController() || !catalogue_.canReloadMedia() || !date.isValid()) return;
  float fraction = 0.0F;
  const DCFInfoPtr found = PlaybackClock::recordingAt(catalogue_.mediaTree(), date, &fraction);
  if (!found) return;
  if (found != catalogue_.currentDCF()) catalogue_.updateCurrentDCF(found, RecordingCatalogue::kMediaListFollower, nullptr);
  if (playerVC_ == nullptr) return;
  const double drift = std::fabs(secondsSince1970(clock_.userDate()) - secondsSince1970(date));
  if (drift > playerVC_->playbackRate() * 0.3) playerVC_->setCurrentProgress(fraction);

  MediaController* master = MediaControllerManager::sharedInstance()->masterController();
  if (master != nullptr && master->playerVC_ != nullptr) {
    double r = master->playerVC_->playbackRate();
    if (r > 8.0) {
      r = 8.0;
      master->playerVC_->updatePlaybackRate(8.0);
    }
    if (playerVC_ != nullptr && playerVC_->playbackRate() != r) playerVC_->updatePlaybackRate(r);
  }
}

void MediaController::updateProgress(float progress) {
  if (playerVC_ != nullptr) playerVC_->setCurrentProgress(progress);
  if (playerVCSecondary_ != nullptr) playerVCSecondary_->setCurrentProgress(progress);
}

void MediaController::observeMap(MapVewController* map) {
  const auto listOf = [](const DCFInfoPtr& info) {
    return info->isEventDCF() ? RecordingCatalogue::kMediaListMapEvent : RecordingCatalogue::kMediaListMapNormal;
  };
  connect(map, &MapVewController::recordingChosen, this,
          [this, listOf](const DCFInfoPtr& info) { catalogue_.updateCurrentDCF(info, listOf(info), nullptr); });
  connect(map, &MapVewController::positionChosen, this, [this, listOf](const DCFInfoPtr& info, float progress) {
    if (info == catalogue_.currentDCF()) {
      updateProgress(progress);
    } else {
      catalogue_.updateCurrentDCF(info, listOf(info), nullptr);
    }
  });
}

void MediaController::focusCurrentDCF() {
  const DCFInfoPtr current = catalogue_.currentDCF();
  if (!current) return;
  const int tab = current->isEventDCF() ? 1 : 0;
  if (tabVC_ != nullptr && tabVC_->selectedTabViewItemIndex() != tab) tabVC_->setSelectedTabViewItemIndex(tab);
  RecordingListPane* list = tab == 1 ? eventVC_ : dcfListVC_;
  if (list != nullptr) list->focusCurrentDCF();
}

DCFInfoList MediaController::getAllSelectedItems() const {
  DCFInfoList items;
  if (dcfListVC_ != nullptr) {
    const DCFInfoList normal = dcfListVC_->selectedDCFInfos();
    if (!normal.isEmpty()) items += normal;
  }
  if (eventVC_ != nullptr) {
    const DCFInfoList events = eventVC_->selectedDCFInfos();
    if (!events.isEmpty()) items += events;
  }
  return items;
}

}  // namespace dashcard
