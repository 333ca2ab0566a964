#pragma once

#include "core/playback/custom_av_player.h"
#include "core/playback/panes.h"

#include <QImage>
#include <QObject>
#include <QPointer>

#include <memory>

namespace dashcard {

// The playback side of one player pane, without widgets: one CustomAVPlayer,
// the rate-scaled item times (the item of a file played at rate r lasts
// duration ÷ r), the start, progress, end and error handlers, the rate cycle
// and the picture state. ZoomPlayerViewController puts widgets around it;
// tests and benchmarks use it directly as a PlayerPane.
class PlayerPaneEngine : public QObject, public PlayerPane {
  Q_OBJECT

 public:
  explicit PlayerPaneEngine(CustomAVPlayer::Options options = {}, QObject* parent = nullptr);
  ~PlayerPaneEngine() override;

  // The next rate of the rate button: doubles, 1 after 0, back to 0.5 above
  // the ceiling (8 in synchronised play, else 16).
  static float nextPlaybackRate(float current, bool isSyncPlay);

  CustomAVPlayer* player() const { return player_.get(); }

  // PlayerPane
  void resetZoomPlayerView() override;
  void playWithPath(const QString& path) override;
  void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying) override;
  void showImageWithPath(const QString& path) override;
  void play() override;
  void pause() override;
  void mutePlay() override;
  bool isPlaying() const override;
  void setCurrentProgress(float progress) override;
  float progress() const override { return progress_; }
  double totalTime() const override { return totalTime_; }
  double originalTotalTime() const override { return currentItemOriginalDuration_; }
  double originalCurrentTime() const override { return originalTotalTime() * static_cast<double>(progress_); }
  double playbackRate() const override { return targetRate_; }
  void updatePlaybackRate(double rate) override;
  void audioMuteEnable(bool muted) override;
  bool muteState() const override;
  bool isSeeking() const override { return pendingProgress_ >= 0.0F || player_->isSeeking(); }

  void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying,
                    Handler didError) override;
  void playPauseSwitch();
  // Loads the current file again at the same place (a render context came late).
  void reloadCurrentItem();
  // Seconds of the current (rate-scaled) item.
  void setCurrentDuration(double seconds);
  // The rate button: false when the rate cannot change (no playable item).
  bool incrementPlaybackRate(bool isSyncPlay);
  void updatePlayerViewRate(double rate);
  bool canPlayFastForward() const;

  double currentTime() const { return currentTime_; }
  float targetRate() const { return targetRate_; }
  const QString& currentItemPath() const { return currentItemPath_; }
  bool playerIsError() const { return playerIsError_; }
  bool playerIsActive() const { return playerIsActive_; }
  bool pictureIsActive() const { return pictureIsActive_; }
  const QImage& picture() const { return picture_; }
  float volume() const { return volume_; }

  bool isPrimaryPlayer() const { return isPrimaryPlayer_; }
  void setPrimaryPlayer(bool primary) { isPrimaryPlayer_ = primary; }

  // Stops the player and drops the item, the picture and the handlers.
  void dispose();

 signals:
  // After every time callback's own updates and handler (mirror refresh).
  void timeUpdated();
  void activeChanged(bool active);
  void errorChanged(bool error);
  // A still picture is shown (or hidden: null image, false).
  void pictureChanged(bool shown);
  void rateChanged(float rate);

 private:
  void playAtPath(const QString& path);
  void handleLoaded();
  void handleTime(double position);
  void handleEndPlay();
  void handleError();
  void playerIsActiveChanged(bool active);
  void playerViewIsError(bool error);
  void pictureViewIsActive(bool active);
  void refreshTimes(double position);
  void clearItemTimes();

  std::unique_ptr<CustomAVPlayer> player_;
  float progress_ = 0.0F;
  double totalTime_ = 0.0;
  double currentTime_ = 0.0;
  float targetRate_ = 1.0F;
  QString currentItemPath_;
  double currentItemOriginalDuration_ = 0.0;
  bool isPrimaryPlayer_ = false;
  float volume_ = 1.0F;
  bool playerIsError_ = false;
  bool playerIsActive_ = false;
  bool pictureIsActive_ = false;
  QImage picture_;
  // A seek asked for while the item was still loading, as a fraction.
  float pendingProgress_ = -1.0F;
  Handler willStartPlayBlock_, progressBlock_, didStopPlayingBlock_, didErrorBlock_;
};

}  // namespace dashcard
