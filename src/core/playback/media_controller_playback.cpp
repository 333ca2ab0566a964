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

// Length assumed for a recording that was never played (duration 0) when a
// master's date is matched.
constexpr double kUnknownDuration = 180.0;

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

QDateTime MediaController::userDate() const {
  return QDateTime::fromMSecsSinceEpoch(userDateMs_.load(), Qt::UTC);
}

void MediaController::setUserDate(double seconds) {
  userDateMs_.store(std::isfinite(seconds) ? std::llround(seconds * 1000.0) : 0);
}

void MediaController::publishMoment(double seconds, double duration) {
  const std::shared_ptr<NMEAData> nmea = currentDCF_ ? currentDCF_->nmea() : nullptr;
  moment_ = TelemetryMoment::at(nmea.get(), seconds, duration);
  emit momentDidChange(moment_);
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
  publishMoment(s->originalCurrentTime(), s->originalTotalTime());
  if (graphVC_ != nullptr && graphVC_->userControlIsActive()) {
    // The user holds the time slider: both stand still.
    s->pause();
    if (t != nullptr) t->pause();
  } else {
    if (graphVC_ != nullptr) graphVC_->updateProgress(moment_);
    if (t != nullptr) alignFollower(s, t);
  }
  if (mapVC_ != nullptr) mapVC_->updateDCF(currentDCF_, moment_);
  double u = 0.0;
  if (currentDCF_ && currentDCF_->startDate().isValid()) {
    u = secondsSince1970(currentDCF_->startDate()) + s->originalCurrentTime();
  } else if (currentDCF_ && currentDCF_->fileDate().isValid()) {
    u = secondsSince1970(currentDCF_->fileDate()) - s->originalTotalTime() + s->originalCurrentTime();
  }
  setUserDate(u);
  if (isMasterController()) MediaControllerManager::sharedInstance()->updateReferenceTime(userDate(), this);
}

void MediaController::alignFollower(PlayerPane* s, PlayerPane* t) {
  // Judged only once the follower's last seek landed: while it runs its
  // progress shows the target, and a seek that lands late would pass for done.
  if (t->isSeeking()) return;
  const double length = t->originalTotalTime();
  const double rate = s->playbackRate() > 0.0 ? s->playbackRate() : 1.0;
  const bool playing = s->isPlaying() && t->isPlaying();
  // Media seconds the follower is behind (negative: ahead).
  const double behind = static_cast<double>(s->progress() - t->progress()) * length;
  if (followerCorrecting_) {
    // What is left after a correction of a playing pair is the time its
    // seek took: the next one aims that far ahead.
    followerCorrecting_ = false;
    if (playing) followerLeadSeconds_ = std::clamp(followerLeadSeconds_ + behind / rate, 0.0, kMaxFollowerLead);
  }
  // A paused pair stands within 10 ms; a playing one within 50 ms plus
  // 100 ms of media per unit of rate (ticks and, at high rates, key frames
  // only are that coarse).
  const double tolerance = t->isPlaying() ? 0.05 + 0.1 * rate : 0.01;
  if (length > 0.0 && std::fabs(behind) > tolerance) {
    if (s->isPlaying()) {
      t->play();
    } else {
      t->pause();
    }
    const double lead = s->isPlaying() ? followerLeadSeconds_ * rate / length : 0.0;
    t->setCurrentProgress(static_cast<float>(std::min(1.0, static_cast<double>(s->progress()) + lead)));
    followerCorrecting_ = true;
  }
  if (s->playbackRate() != t->playbackRate()) t->updatePlaybackRate(s->playbackRate());
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
  publishMoment(p - b, s->originalTotalTime());
  if (graphVC_ != nullptr) graphVC_->updateProgress(moment_);
  s->setCurrentProgress(fraction);
  if (mapVC_ != nullptr) mapVC_->updateDCF(currentDCF_, moment_);
  s->pause();
}

void MediaController::didStopPlayingAction() {
  if (!currentDCF_) return;
  const bool event = currentDCF_->isEventDCF();
  RecordingListPane* list = event ? eventVC_ : dcfListVC_;
  if (list == nullptr) return;
  // Clips the walk found unplayable are passed by without loading them:
  // the list is asked for the row after the last one passed.
  const DCFInfoList& rows = event ? mediaTreeEvent_ : mediaTreeNormal_;
  DCFInfoPtr after = currentDCF_;
  qsizetype next = rows.indexOf(currentDCF_) + 1;
  for (qsizetype passed = 0; passed < rows.size(); ++passed, ++next) {
    const DCFInfoPtr& candidate = rows.at(next % rows.size());
    if (!candidate->isUnplayable() || repairedCopies_.contains(candidate->filePath())) break;
    if (passed + 1 == rows.size() || candidate == currentDCF_) {
      stopDrive(list, tr("Playback stopped: no other recording in this list can be played (%1).")
                          .arg(candidate->damageReason().section(u'\n', 0, 0)));
      return;
    }
    after = candidate;
  }
  list->selectNextDCFWithCurrentDCF(after);
}

void MediaController::didFailPlayingAction() {
  if (!currentDCF_) return;
  RecordingListPane* list = currentDCF_->isEventDCF() ? eventVC_ : dcfListVC_;
  // Stepping on and on would run down a card of clips that cannot be played.
  if (++consecutivePlayFailures_ >= kMaxFailuresInARow) {
    consecutivePlayFailures_ = 0;
    stopDrive(list, tr("Playback stopped: %1 recordings in a row could not be played, the last %2.")
                        .arg(kMaxFailuresInARow)
                        .arg(QFileInfo(currentDCF_->filePath()).fileName()));
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

void MediaController::observeMap(MapVewController* map) {
  const auto listOf = [](const DCFInfoPtr& info) { return info->isEventDCF() ? kMediaListMapEvent : kMediaListMapNormal; };
  connect(map, &MapVewController::recordingChosen, this,
          [this, listOf](const DCFInfoPtr& info) { updateCurrentDCF(info, listOf(info), nullptr); });
  connect(map, &MapVewController::positionChosen, this, [this, listOf](const DCFInfoPtr& info, float progress) {
    if (info == currentDCF_) {
      updateProgress(progress);
    } else {
      updateCurrentDCF(info, listOf(info), nullptr);
    }
  });
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
