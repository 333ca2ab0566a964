// The playback half of MediaController: the window's clock (the primary
// player's tick), the front/rear alignment, the end of a clip and the
// master/follower synchronisation between windows.
#include "core/playback/media_controller.h"

#include "core/catalogue/custom_point_annotation.h"
#include "core/common/notification_center.h"
#include "core/playback/media_controller_manager.h"

#include <cmath>

namespace dashcard {

namespace {

// Length assumed for a recording that was never played (duration 0) when a
// master's date is matched.
constexpr double kUnknownDuration = 180.0;

double secondsSince1970(const QDateTime& date) { return static_cast<double>(date.toMSecsSinceEpoch()) / 1000.0; }

}  // namespace

QMetaObject::Connection MediaController::observeMasterDate() {
  return connect(&NotificationCenter::defaultCenter(), &NotificationCenter::masterMediaControllerDateDidUpdate, this,
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

QDateTime MediaController::userDate() const {
  return QDateTime::fromMSecsSinceEpoch(userDateMs_.load(), Qt::UTC);
}

void MediaController::setUserDate(double seconds) {
  userDateMs_.store(std::isfinite(seconds) ? std::llround(seconds * 1000.0) : 0);
}

void MediaController::willStartAction(PlayerPane* player) {
  consecutivePlayFailures_ = 0;
  if (player == nullptr || playerVCSecondary_ == nullptr) return;
  if (playerVCSecondary_->playbackRate() != player->playbackRate()) {
    playerVCSecondary_->updatePlaybackRate(player->playbackRate());
  }
}

void MediaController::progressAction(PlayerPane* player) {
  PlayerPane* const s = player;
  if (s == nullptr) return;
  if (currentDCF_) currentDCF_->setDuration(s->originalTotalTime());
  if (currentPicture_) {
    picturePositionAction(s);
    return;
  }
  PlayerPane* const t = targetVCWithSourceVC(s);
  if (graphVC_ != nullptr && graphVC_->userControlIsActive()) {
    // The user holds the time slider: both stand still.
    s->pause();
    if (t != nullptr) t->pause();
  } else {
    if (graphVC_ != nullptr) {
      graphVC_->setProgressMax(1.0);
      graphVC_->setProgressMin(0.0);
      graphVC_->updateProgress(s->progress());
    }
    if (t != nullptr) {
      // A playing rear video may drift up to 1 s, a paused one 10 ms.
      const float d = std::fabs(s->progress() - t->progress());
      const float tolerance = static_cast<float>((t->isPlaying() ? 1.0 : 0.01) / t->originalTotalTime());
      if (d > tolerance) {
        if (s->isPlaying()) {
          t->play();
        } else {
          t->pause();
        }
        t->setCurrentProgress(s->progress());
      }
      if (s->playbackRate() != t->playbackRate()) t->updatePlaybackRate(s->playbackRate());
    }
  }
  if (mapVC_ != nullptr) mapVC_->updateDCF(currentDCF_, s->originalCurrentTime(), s->originalTotalTime());
  if (graphVC_ != nullptr) {
    const auto location = mapVC_ != nullptr ? mapVC_->userLocation() : nullptr;
    graphVC_->setCurrentSpeed(location ? static_cast<double>(location->speed) : 0.0);
  }
  double u = 0.0;
  if (currentDCF_ && currentDCF_->startDate().isValid()) {
    u = secondsSince1970(currentDCF_->startDate()) + s->originalCurrentTime();
  } else if (currentDCF_ && currentDCF_->fileDate().isValid()) {
    u = secondsSince1970(currentDCF_->fileDate()) - s->originalTotalTime() + s->originalCurrentTime();
  }
  setUserDate(u);
  if (isMasterController()) MediaControllerManager::sharedInstance()->updateReferenceTime(userDate(), this);
}

void MediaController::picturePositionAction(PlayerPane* s) {
  if (s->totalTime() == 0.0) return;
  if (!currentDCF_) {
    showCurrentPictureWithoutDCF();
    return;
  }
  const PictureInfoPtr picture = currentPicture_;
  const double p = secondsSince1970(picture->fileDate());
  setUserDate(p);
  double b = 0.0;
  if (currentDCF_->startDate().isValid()) {
    b = secondsSince1970(currentDCF_->startDate());
  } else if (currentDCF_->fileDate().isValid()) {
    b = secondsSince1970(currentDCF_->fileDate()) - s->originalTotalTime();
  }
  const float fraction = static_cast<float>((p - b) / s->originalTotalTime());
  if (!(fraction >= 0.0F && fraction <= 1.0F)) {
    // Taken outside the recording: shown alone.
    showCurrentPictureWithoutDCF();
    return;
  }
  if (graphVC_ != nullptr) graphVC_->updateProgress(fraction);
  s->setCurrentProgress(fraction);
  if (mapVC_ != nullptr) {
    mapVC_->updateDCF(currentDCF_, p - b, playerVC_ != nullptr ? playerVC_->originalTotalTime() : 0.0);
  }
  if (graphVC_ != nullptr) {
    const auto location = mapVC_ != nullptr ? mapVC_->userLocation() : nullptr;
    graphVC_->setCurrentSpeed(location ? static_cast<double>(location->speed) : 0.0);
  }
  s->pause();
}

void MediaController::didStopPlayingAction() {
  if (!currentDCF_) return;
  RecordingListPane* list = currentDCF_->isEventDCF() ? eventVC_ : dcfListVC_;
  if (list != nullptr) list->selectNextDCFWithCurrentDCF(currentDCF_);
}

void MediaController::didFailPlayingAction() {
  if (!currentDCF_) return;
  // Skipping on would cycle for ever through a list of unplayable clips.
  const qsizetype rows = currentDCF_->isEventDCF() ? mediaTreeEvent_.size() : mediaTreeNormal_.size();
  if (++consecutivePlayFailures_ >= rows) return;
  didStopPlayingAction();
}

void MediaController::masterMediaControllerDateDidUpdate(const QDateTime& date) {
  if (!isMasterController()) updateCurrentDate(date);
}

void MediaController::updateCurrentDate(const QDateTime& date) {
  if (isMasterController() || !canReloadMedia_ || !date.isValid()) return;
  const double t = secondsSince1970(date);
  DCFInfoPtr found;
  for (const DCFInfoPtr& info : mediaTree_) {
    if (!info || !info->fileDate().isValid()) continue;
    const double e = secondsSince1970(info->fileDate());
    const double length = info->duration() != 0.0 ? info->duration() : kUnknownDuration;
    if (e > t && e - length < t) {
      found = info;
      break;
    }
  }
  if (!found) return;
  const double duration = found->duration();
  const double e = secondsSince1970(found->fileDate());
  const float fraction = duration == 0.0 ? 0.0F : static_cast<float>((t - (e - duration)) / duration);
  if (found != currentDCF_) {
    updateCurrentDCF(found, kMediaListFollower, nullptr);
    followRecording(found);
  }
  if (playerVC_ == nullptr) return;
  const double drift = std::fabs(secondsSince1970(userDate()) - t);
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

void MediaController::followRecording(const DCFInfoPtr& info) {
  // The follower shows what the master shows: the recording becomes current
  // and is loaded; the players keep their play state, so a playing follower
  // plays on and a paused one stays paused.
  currentDCF_ = info;
  currentPicture_.reset();
  listDidSelect_ = false;  // play and pause are each window's own
  loadCurrentDCFIntoPlayers(info);
  if (info->thumbnailPath().isEmpty()) {
    const qsizetype index = mediaTree_.indexOf(info);
    if (index >= 0) reparseAtIndex(index);
  }
  if (graphVC_ != nullptr) graphVC_->drawGraphWithCurrentDCFInfo(info);
}

void MediaController::updateProgress(float progress) {
  if (playerVC_ != nullptr) playerVC_->setCurrentProgress(progress);
  if (playerVCSecondary_ != nullptr) playerVCSecondary_->setCurrentProgress(progress);
}

void MediaController::focusCurrentDCF() {
  if (!currentDCF_) return;
  const int tab = currentDCF_->isEventDCF() ? 1 : 0;
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
