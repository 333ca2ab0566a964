#pragma once

#include "core/playback/custom_av_player.h"
#include "core/playback/panes.h"
#include "core/playback/player_pane_engine.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QPointer>
#include <QRectF>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>

namespace dashcard {

class MediaController;
class PlayerInlineControls;
class PlayerScrollView;
class StatusIndicatorPanelView;
class VideoSurface;

// One player pane: a video (or a still picture) that can be zoomed, panned
// and mirrored, with its zoom control, rate, mirror and capture buttons.
// The playback itself is PlayerPaneEngine's; this class adds the widgets.
class ZoomPlayerViewController : public QWidget, public PlayerPane {
  Q_OBJECT

 public:
  // The window's player: mpv draws through a render context.
  static CustomAVPlayer::Options windowOptions();

  explicit ZoomPlayerViewController(QWidget* parent = nullptr);
  // `options.videoOutput` "null" makes a pane without pictures (tests,
  // benchmarks); otherwise a video surface is made.
  explicit ZoomPlayerViewController(CustomAVPlayer::Options options, QWidget* parent = nullptr);
  ~ZoomPlayerViewController() override;

  // PlayerPane
  void resetZoomPlayerView() override;
  void playWithPath(const QString& path) override;
  void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying) override;
  void playWithPath(const QString& path, Handler willStartPlay, Handler progress, Handler didStopPlaying,
                    Handler didError) override;
  void showImageWithPath(const QString& path) override;
  void play() override { engine_.play(); }
  void pause() override { engine_.pause(); }
  void mutePlay() override { engine_.mutePlay(); }
  bool isPlaying() const override { return engine_.isPlaying(); }
  void setCurrentProgress(float progress) override { engine_.setCurrentProgress(progress); }
  float progress() const override { return engine_.progress(); }
  double totalTime() const override { return engine_.totalTime(); }
  double originalTotalTime() const override { return engine_.originalTotalTime(); }
  double originalCurrentTime() const override { return engine_.originalCurrentTime(); }
  double playbackRate() const override { return engine_.playbackRate(); }
  void updatePlaybackRate(double rate) override { engine_.updatePlaybackRate(rate); }
  void audioMuteEnable(bool muted) override { engine_.audioMuteEnable(muted); }
  bool muteState() const override { return engine_.muteState(); }
  bool isSeeking() const override { return engine_.isSeeking(); }

  PlayerPaneEngine& engine() { return engine_; }
  const PlayerPaneEngine& engine() const { return engine_; }
  PlayerScrollView* playerScrollView() const { return scrollView_; }
  VideoSurface* videoSurface() const { return surface_; }

  void becomePrimaryPlayer();
  bool isPrimaryPlayer() const { return engine_.isPrimaryPlayer(); }
  int style() const { return style_; }
  // The platform controls are shown: no error, zoom at rest, not mirrored.
  bool controlsVisible() const { return controlsVisible_; }
  bool isMirror() const { return isMirror_; }
  bool isMirrorMode() const { return isMirrorMode_; }
  bool isInitialPosition() const;
  QRectF contentRect() const { return contentRect_; }
  int lastSelectedSegment() const;
  int selectedSegment() const;
  bool scrollBySegment() const { return scrollBySegment_; }

  // Buttons and actions.
  void incrementPlaybackRate();
  void playPauseSwitch() { engine_.playPauseSwitch(); }
  void setMirror(bool mirror);
  void segmentDidChange(int segment);
  void updateMirrorMode();
  void updateControlStyle();
  // The capture button: pauses, takes the snapshot, asks for a file and
  // writes it; without a picture it shows the error and asks nothing.
  void snapButtonPressed();
  // The picture the capture writes: the exact frame at magnification 1
  // (mirrored when the player is), otherwise the visible area of the view;
  // null when there is no frame.
  QImage snapshotImage() const;
  // A capture: the picture with the position and date of one moment.
  struct Snapshot {
    QImage image;
    std::optional<CustomLocation> location;
    QDateTime date;
  };
  // The snapshot of now; none and `errorText` without a picture.
  std::optional<Snapshot> takeSnapshot(QString* errorText = nullptr) const;
  // Writes the snapshot of now; false and `errorText` when nothing was written.
  bool writeSnapshot(const QString& path, QString* errorText = nullptr);

  QToolButton* rateChangeButton() const { return rateChangeButton_; }
  QToolButton* captureButton() const { return captureButton_; }
  QToolButton* mirrorButton() const { return mirrorButton_; }
  QButtonGroup* segmentFocusControl() const { return segmentFocusControl_; }
  // Play/pause, times and scrubber; shown while controlsVisible().
  PlayerInlineControls* inlineControls() const { return inlineControls_; }
  // The vehicle lamps (shown by the primary player).
  StatusIndicatorPanelView* carInfoStatusViewPanel() const { return carInfoStatusViewPanel_; }

  // What the pane asks of its window (the window sets them).
  void setMediaController(MediaController* controller);
  void setIsSyncPlay(std::function<bool()> isSyncPlay) { isSyncPlay_ = std::move(isSyncPlay); }

  void dispose();

 signals:
  void showBottomBarRequested();
  void hideBottomBarRequested();

 private:
  void buildViews(bool withSurface);
  void playerIsActive(bool active);
  void playerViewIsError(bool error);
  void enableControls(bool enabled);
  void pictureViewIsActive(bool active);
  void applyZoom(bool fromSegment);
  void surfaceReady();
  std::optional<CustomLocation> snapshotLocation() const;
  void showCaptureError(const QString& text);
  QDateTime userDate() const;

  PlayerPaneEngine engine_;
  PlayerScrollView* scrollView_ = nullptr;
  VideoSurface* surface_ = nullptr;
  QWidget* subControlBaseView_ = nullptr;
  QToolButton* rateChangeButton_ = nullptr;
  QToolButton* captureButton_ = nullptr;
  QToolButton* mirrorButton_ = nullptr;
  QButtonGroup* segmentFocusControl_ = nullptr;
  PlayerInlineControls* inlineControls_ = nullptr;
  StatusIndicatorPanelView* carInfoStatusViewPanel_ = nullptr;
  bool playingBeforeScrub_ = false;
  int style_ = 0;
  bool controlsVisible_ = false;
  bool isMirror_ = false;
  bool isMirrorMode_ = false;
  bool scrollBySegment_ = false;
  QRectF contentRect_;
  QPointer<MediaController> mediaController_;
  std::function<bool()> isSyncPlay_;
};

}  // namespace dashcard
