#include "core/playback/player_pane_engine.h"

#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace dashcard {

namespace {
PlayerPane::Handler orNothing(PlayerPane::Handler handler) {
  return handler ? std::move(handler) : [] {};
}
}  // namespace

PlayerPaneEngine::PlayerPaneEngine(CustomAVPlayer::Options options, QObject* parent)
    : QObject(parent), player_(std::make_unique<CustomAVPlayer>(std::move(options))) {
  willStartPlayBlock_ = progressBlock_ = didStopPlayingBlock_ = didErrorBlock_ = [] {};
  connect(player_.get(), &CustomAVPlayer::loaded, this, &PlayerPaneEngine::handleLoaded);
  connect(player_.get(), &CustomAVPlayer::timeChanged, this, &PlayerPaneEngine::handleTime);
  connect(player_.get(), &CustomAVPlayer::endOfItem, this, &PlayerPaneEngine::handleEndPlay);
  connect(player_.get(), &CustomAVPlayer::errorOccurred, this, &PlayerPaneEngine::handleError);
}

PlayerPaneEngine::~PlayerPaneEngine() {
  // The player goes first: no signal may reach a half-destroyed engine.
  disconnect(player_.get(), nullptr, this, nullptr);
  player_.reset();
}

float PlayerPaneEngine::nextPlaybackRate(float current, bool isSyncPlay) {
  const float ceiling = isSyncPlay ? 8.0F : 16.0F;
  float next = current * 2.0F;
  if (next == 0.0F) next = 1.0F;
  if (next > ceiling || !std::isfinite(next)) next = 0.5F;
  return next;
}

void PlayerPaneEngine::resetZoomPlayerView() { targetRate_ = 1.0F; }

void PlayerPaneEngine::playWithPath(const QString& path) { playWithPath(path, {}, {}, {}, {}); }

void PlayerPaneEngine::playWithPath(const QString& path, Handler willStartPlay, Handler progress,
                                    Handler didStopPlaying) {
  playWithPath(path, std::move(willStartPlay), std::move(progress), std::move(didStopPlaying), {});
}

void PlayerPaneEngine::playWithPath(const QString& path, Handler willStartPlay, Handler progress,
                                    Handler didStopPlaying, Handler didError) {
  playerIsActiveChanged(true);
  pictureViewIsActive(false);
  willStartPlayBlock_ = orNothing(std::move(willStartPlay));
  progressBlock_ = orNothing(std::move(progress));
  didStopPlayingBlock_ = orNothing(std::move(didStopPlaying));
  didErrorBlock_ = orNothing(std::move(didError));
  playAtPath(path);
}

void PlayerPaneEngine::playAtPath(const QString& path) {
  pendingProgress_ = -1.0F;
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists() || info.isDir()) {
    // No item: the pane goes inactive. The previous item is dropped too, so
    // an invisible player does not go on decoding the last recording.
    currentItemPath_ = path;
    player_->unload();
    clearItemTimes();
    playerIsActiveChanged(false);
    return;
  }
  currentItemPath_ = path;
  clearItemTimes();
  // Only the primary player is heard: the rear camera's sound would echo the front's.
  player_->setVolume(isPrimaryPlayer_ ? volume_ : 0.0F);
  player_->loadFile(path, targetRate_);
}

void PlayerPaneEngine::handleLoaded() {
  playerViewIsError(false);
  currentItemOriginalDuration_ = player_->duration();
  if (pendingProgress_ >= 0.0F) {
    const float pending = pendingProgress_;
    pendingProgress_ = -1.0F;
    refreshTimes(player_->position());
    setCurrentProgress(pending);
  }
  refreshTimes(player_->position());
  willStartPlayBlock_();
}

void PlayerPaneEngine::clearItemTimes() {
  currentItemOriginalDuration_ = 0.0;
  currentTime_ = totalTime_ = 0.0;
  progress_ = 0.0F;
}

void PlayerPaneEngine::handleError() {
  clearItemTimes();
  pendingProgress_ = -1.0F;
  playerViewIsError(true);
}

void PlayerPaneEngine::refreshTimes(double position) {
  const double rate = targetRate_ > 0.0F ? static_cast<double>(targetRate_) : 1.0;
  currentTime_ = position / rate;
  totalTime_ = player_->duration() / rate;
  progress_ = totalTime_ > 0.0 ? static_cast<float>(currentTime_ / totalTime_) : 0.0F;
}

void PlayerPaneEngine::handleTime(double position) {
  if (!player_->isLoaded()) return;
  refreshTimes(position);
  // The progress handler (the window's tick for the primary player).
  const Handler handler = progressBlock_;
  handler();
  emit timeUpdated();
}

void PlayerPaneEngine::handleEndPlay() {
  if (!player_->isPlaying()) return;
  const Handler handler = didStopPlayingBlock_;
  handler();
}

void PlayerPaneEngine::showImageWithPath(const QString& path) {
  playerIsActiveChanged(true);
  QImage image;
  if (!path.isEmpty()) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    image = reader.read();
  }
  if (!image.isNull()) {
    picture_ = image;
    pictureViewIsActive(true);
  } else {
    picture_ = QImage();
    pictureViewIsActive(false);
    playerIsActiveChanged(false);
  }
}

void PlayerPaneEngine::play() {
  if (!player_->isPlaying()) player_->play();
}

void PlayerPaneEngine::pause() { player_->pause(); }

void PlayerPaneEngine::mutePlay() {
  player_->setVolume(0.0F);
  play();
}

bool PlayerPaneEngine::isPlaying() const { return player_->isPlaying(); }

void PlayerPaneEngine::playPauseSwitch() {
  if (player_->isPlaying()) {
    player_->pause();
  } else {
    player_->play();
  }
}

void PlayerPaneEngine::reloadCurrentItem() {
  if (currentItemPath_.isEmpty() || !player_->hasItem()) return;
  const float p = progress_;
  playAtPath(currentItemPath_);
  setCurrentProgress(p);
}

void PlayerPaneEngine::setCurrentProgress(float progress) {
  if (!std::isfinite(progress)) progress = 0.0F;
  progress = std::clamp(progress, 0.0F, 1.0F);
  if (player_->hasItem() && !player_->isLoaded() && !player_->hasError()) {
    // The length is not known yet: seek once the item is loaded.
    pendingProgress_ = progress;
    return;
  }
  setCurrentDuration(static_cast<double>(progress) * totalTime_);
}

void PlayerPaneEngine::setCurrentDuration(double seconds) {
  const double rate = targetRate_ > 0.0F ? static_cast<double>(targetRate_) : 1.0;
  player_->seek(seconds * rate);
  refreshTimes(player_->position());
}

bool PlayerPaneEngine::canPlayFastForward() const { return player_->isLoaded() && !player_->hasError(); }

bool PlayerPaneEngine::incrementPlaybackRate(bool isSyncPlay) {
  if (!canPlayFastForward()) return false;
  updatePlayerViewRate(nextPlaybackRate(targetRate_, isSyncPlay));
  return true;
}

void PlayerPaneEngine::updatePlaybackRate(double rate) { updatePlayerViewRate(rate); }

void PlayerPaneEngine::updatePlayerViewRate(double rate) {
  const float p = progress_;
  if (!std::isfinite(rate) || rate < 0.0) return;
  targetRate_ = static_cast<float>(rate);
  emit rateChanged(targetRate_);
  if (rate == 0.0) return;
  // mpv changes the speed in place; the observable values are those of an
  // item rebuilt at the new rate and sought back to the same fraction.
  player_->setSpeed(rate);
  if (player_->isLoaded()) {
    refreshTimes(player_->position());
    setCurrentProgress(p);
    willStartPlayBlock_();
  }
}

void PlayerPaneEngine::audioMuteEnable(bool muted) { player_->setMuted(muted); }

bool PlayerPaneEngine::muteState() const { return player_->isMuted(); }

void PlayerPaneEngine::playerIsActiveChanged(bool active) {
  playerViewIsError(false);
  playerIsActive_ = active;
  emit activeChanged(active);
}

void PlayerPaneEngine::playerViewIsError(bool error) {
  const bool changed = playerIsError_ != error;
  playerIsError_ = error;
  if (changed) emit errorChanged(error);
  if (error) {
    const Handler handler = didErrorBlock_;
    handler();
  }
}

void PlayerPaneEngine::pictureViewIsActive(bool active) {
  pictureIsActive_ = active;
  emit pictureChanged(active);
}

void PlayerPaneEngine::dispose() {
  willStartPlayBlock_ = progressBlock_ = didStopPlayingBlock_ = didErrorBlock_ = [] {};
  player_->pause();
  player_->unload();
  picture_ = QImage();
  currentItemPath_.clear();
}

}  // namespace dashcard
