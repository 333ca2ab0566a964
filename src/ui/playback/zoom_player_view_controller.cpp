#include "ui/playback/zoom_player_view_controller.h"

#include "core/common/date_format.h"
#include "core/common/hardware_decoding.h"
#include "core/common/path_text.h"
#include "core/common/save_folder.h"
#include "core/media/image_capture.h"
#include "core/playback/media_controller.h"
#include "core/playback/rate_string_transformer.h"
#include "core/telemetry/nmea_data.h"
#include "ui/playback/mpv_open_gl_widget.h"
#include "ui/playback/player_inline_controls.h"
#include "ui/playback/player_scroll_view.h"
#include "ui/playback/video_surface.h"
#include "ui/telemetry/status_indicator_panel_view.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace dashcard {

CustomAVPlayer::Options ZoomPlayerViewController::windowOptions() {
  CustomAVPlayer::Options options;
  options.videoOutput = QStringLiteral("libmpv");
  // The usual sound servers and devices, not mpv's last resort SDL: two
  // players starting SDL audio at once (front and rear, no sound device)
  // race on its global state and can hang a player's core for good.
  options.audioOutput = QStringLiteral("pipewire,pulse,alsa,jack");
  if (!shouldTryHardwareDecoding()) options.hwdec = QStringLiteral("no");
  return options;
}

ZoomPlayerViewController::ZoomPlayerViewController(QWidget* parent)
    : ZoomPlayerViewController(windowOptions(), parent) {}

ZoomPlayerViewController::ZoomPlayerViewController(CustomAVPlayer::Options options, QWidget* parent)
    : QWidget(parent), engine_(options) {
  buildViews(options.videoOutput != QLatin1String("null"));
  connect(&engine_, &PlayerPaneEngine::activeChanged, this, &ZoomPlayerViewController::playerIsActive);
  connect(&engine_, &PlayerPaneEngine::errorChanged, this, &ZoomPlayerViewController::playerViewIsError);
  connect(&engine_, &PlayerPaneEngine::pictureChanged, this, &ZoomPlayerViewController::pictureViewIsActive);
  connect(&engine_, &PlayerPaneEngine::timeUpdated, this, [this] {
    // The secondary player's rate follows the primary's.
    if (!engine_.isPrimaryPlayer()) rateChangeButton_->setEnabled(false);
    updateMirrorMode();
    if (inlineControls_->isVisible()) {
      inlineControls_->updateWithTime(engine_.originalCurrentTime(), engine_.originalTotalTime(), engine_.isPlaying());
    }
  });
  connect(&engine_, &PlayerPaneEngine::rateChanged, this, [this](float rate) {
    rateChangeButton_->setText(RateStringTransformer::transformedValue(static_cast<double>(rate)));
  });
  // Set-up of a new pane.
  resetZoomPlayerView();
  scrollView_->setSingleClickBlock([this](PlayerScrollView* view) {
    if (engine_.isPrimaryPlayer()) view->setFocus(Qt::MouseFocusReason);
  });
  scrollView_->setDoubleClickBlock([this](PlayerScrollView*) { playPauseSwitch(); });
  style_ = 0;
  rateChangeButton_->setEnabled(false);
  playerIsActive(false);  // no item yet
}

ZoomPlayerViewController::~ZoomPlayerViewController() {
  // The render context goes before the player it draws.
  if (surface_) surface_->detach();
  engine_.dispose();
}

void ZoomPlayerViewController::buildViews(bool withSurface) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  scrollView_ = new PlayerScrollView(this);
  scrollView_->setMinimumSize(160, 90);
  if (withSurface) {
    surface_ = VideoSurface::create(engine_.player(), scrollView_);
    scrollView_->setDocumentView(surface_->widget());
    if (auto* gl = qobject_cast<MpvOpenGLWidget*>(surface_->widget())) {
      connect(gl, &MpvOpenGLWidget::ready, this, &ZoomPlayerViewController::surfaceReady);
    }
  }
  layout->addWidget(scrollView_, 1);

  inlineControls_ = new PlayerInlineControls(this);
  inlineControls_->setVisible(false);
  layout->addWidget(inlineControls_);
  connect(inlineControls_, &PlayerInlineControls::playPauseClicked, this, &ZoomPlayerViewController::playPauseSwitch);
  connect(inlineControls_, &PlayerInlineControls::scrubBegan, this, [this] {
    playingBeforeScrub_ = engine_.isPlaying();
    engine_.pause();
  });
  connect(inlineControls_, &PlayerInlineControls::scrubbed, this, [this](float progress) {
    // Both players follow, as with the graph's slider.
    if (mediaController_) {
      mediaController_->updateProgress(progress);
    } else {
      engine_.setCurrentProgress(progress);
    }
  });
  connect(inlineControls_, &PlayerInlineControls::scrubEnded, this, [this] {
    if (playingBeforeScrub_) engine_.play();
  });

  subControlBaseView_ = new QWidget(this);
  auto* bar = new QHBoxLayout(subControlBaseView_);
  bar->setContentsMargins(4, 2, 4, 2);
  bar->setSpacing(2);
  carInfoStatusViewPanel_ = new StatusIndicatorPanelView(subControlBaseView_);
  carInfoStatusViewPanel_->setVisible(false);
  bar->addWidget(carInfoStatusViewPanel_);
  segmentFocusControl_ = new QButtonGroup(this);
  segmentFocusControl_->setExclusive(true);
  static const char* const kSegmentTexts[] = {"\u2715", "1:1", "\u25A3", "\u25F0", "\u25F3", "\u25F1", "\u25F2"};
  static const char* const kSegmentTips[] = {"",
                                             QT_TR_NOOP("Whole picture"),
                                             QT_TR_NOOP("Centre"),
                                             QT_TR_NOOP("Top left"),
                                             QT_TR_NOOP("Top right"),
                                             QT_TR_NOOP("Bottom left"),
                                             QT_TR_NOOP("Bottom right")};
  for (int s = 0; s <= 6; ++s) {
    auto* button = new QToolButton(subControlBaseView_);
    button->setText(QString::fromUtf8(kSegmentTexts[s]));
    button->setCheckable(true);
    button->setAutoRaise(true);
    if (s > 0) button->setToolTip(tr(kSegmentTips[s]));
    if (s == 0) button->setVisible(false);  // selected only by scrolling
    segmentFocusControl_->addButton(button, s);
    bar->addWidget(button);
  }
  connect(segmentFocusControl_, &QButtonGroup::idClicked, this, &ZoomPlayerViewController::segmentDidChange);
  bar->addStretch(1);
  rateChangeButton_ = new QToolButton(subControlBaseView_);
  rateChangeButton_->setObjectName(QStringLiteral("rateChangeButton"));
  rateChangeButton_->setText(RateStringTransformer::transformedValue(1.0));
  rateChangeButton_->setToolTip(tr("Playback speed"));
  connect(rateChangeButton_, &QToolButton::clicked, this, &ZoomPlayerViewController::incrementPlaybackRate);
  mirrorButton_ = new QToolButton(subControlBaseView_);
  mirrorButton_->setObjectName(QStringLiteral("mirrorButton"));
  mirrorButton_->setText(QStringLiteral("\u21C6"));
  mirrorButton_->setToolTip(tr("Mirror"));
  mirrorButton_->setCheckable(true);
  connect(mirrorButton_, &QToolButton::toggled, this, &ZoomPlayerViewController::setMirror);
  captureButton_ = new QToolButton(subControlBaseView_);
  captureButton_->setObjectName(QStringLiteral("captureButton"));
  captureButton_->setText(tr("Capture"));
  connect(captureButton_, &QToolButton::clicked, this, &ZoomPlayerViewController::snapButtonPressed);
  bar->addWidget(rateChangeButton_);
  bar->addWidget(mirrorButton_);
  bar->addWidget(captureButton_);
  layout->addWidget(subControlBaseView_);

  connect(scrollView_, &PlayerScrollView::didScroll, this, [this](bool fromSegment) { applyZoom(fromSegment); });
  connect(scrollView_, &PlayerScrollView::bottomPaneAction, this, [this](PlayerZoomModel::BottomPaneAction a) {
    if (a == PlayerZoomModel::BottomPaneAction::Show) emit showBottomBarRequested();
    if (a == PlayerZoomModel::BottomPaneAction::Hide) emit hideBottomBarRequested();
  });
}

void ZoomPlayerViewController::surfaceReady() {
  // A file given before the render context existed has no pictures: load it
  // again, also when it is still loading (its video may be set up already).
  if (engine_.player()->hasItem()) engine_.reloadCurrentItem();
}

bool ZoomPlayerViewController::isInitialPosition() const { return scrollView_->zoom().isInitialPosition(); }
int ZoomPlayerViewController::lastSelectedSegment() const { return scrollView_->zoom().lastSelectedSegment(); }
int ZoomPlayerViewController::selectedSegment() const { return scrollView_->zoom().selectedSegment(); }

void ZoomPlayerViewController::resetZoomPlayerView() {
  engine_.resetZoomPlayerView();
  rateChangeButton_->setText(RateStringTransformer::transformedValue(1.0));
  scrollView_->zoom().reset();
  if (auto* button = segmentFocusControl_->button(1)) button->setChecked(true);
  // The primary player keeps its controls across a reset.
  style_ = engine_.isPrimaryPlayer() ? 1 : 0;
  applyZoom(true);
}

void ZoomPlayerViewController::playWithPath(const QString& path) { playWithPath(path, {}, {}, {}, {}); }

void ZoomPlayerViewController::playWithPath(const QString& path, Handler willStartPlay, Handler progress,
                                            Handler didStopPlaying) {
  playWithPath(path, std::move(willStartPlay), std::move(progress), std::move(didStopPlaying), {});
}

void ZoomPlayerViewController::playWithPath(const QString& path, Handler willStartPlay, Handler progress,
                                            Handler didStopPlaying, Handler didError) {
  engine_.playWithPath(path, std::move(willStartPlay), std::move(progress), std::move(didStopPlaying),
                       std::move(didError));
}

void ZoomPlayerViewController::showImageWithPath(const QString& path) {
  engine_.showImageWithPath(path);
  const QImage& image = engine_.picture();
  QLabel* view = scrollView_->pictureView();
  if (image.isNull()) {
    view->clear();
  } else {
    view->setPixmap(QPixmap::fromImage(image).scaled(view->size().isEmpty() ? image.size() : view->size(),
                                                     Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  // A new picture arrives unmirrored; a mirrored pane turns it at once.
  view->setProperty("mirrored", false);
  updateMirrorMode();
}

void ZoomPlayerViewController::becomePrimaryPlayer() {
  engine_.setPrimaryPlayer(true);
  style_ = 1;
  updateControlStyle();
  rateChangeButton_->setEnabled(true);
  carInfoStatusViewPanel_->setVisible(true);
}

void ZoomPlayerViewController::incrementPlaybackRate() {
  const bool sync = isSyncPlay_ ? isSyncPlay_() : false;
  engine_.incrementPlaybackRate(sync);
}

void ZoomPlayerViewController::setMirror(bool mirror) {
  isMirror_ = mirror;
  if (mirrorButton_->isChecked() != mirror) {
    const QSignalBlocker block(mirrorButton_);
    mirrorButton_->setChecked(mirror);
  }
  updateControlStyle();
  updateMirrorMode();
}

void ZoomPlayerViewController::updateMirrorMode() {
  const bool mirrored = mirrorButton_->isChecked();
  if (surface_ && surface_->isMirrored() != mirrored) surface_->setMirrored(mirrored);
  QLabel* picture = scrollView_->pictureView();
  const QPixmap current = picture->pixmap();
  const bool pictureMirrored = picture->property("mirrored").toBool();
  if (!current.isNull() && pictureMirrored != mirrored) {
    picture->setPixmap(QPixmap::fromImage(current.toImage().mirrored(true, false)));
    picture->setProperty("mirrored", mirrored);
  }
}

void ZoomPlayerViewController::updateControlStyle() {
  controlsVisible_ = style_ != 0 && !engine_.playerIsError() && isInitialPosition() && !isMirror_;
  const bool shown = controlsVisible_ && engine_.playerIsActive() && !engine_.pictureIsActive();
  if (inlineControls_->isVisibleTo(this) != shown) {
    inlineControls_->setVisible(shown);
    if (shown) {
      inlineControls_->updateWithTime(engine_.originalCurrentTime(), engine_.originalTotalTime(), engine_.isPlaying());
    }
  }
}

void ZoomPlayerViewController::segmentDidChange(int segment) {
  PlayerZoomModel& zoom = scrollView_->zoom();
  if (segment >= 1 && segment <= 6) scrollBySegment_ = true;
  zoom.segmentDidChange(segment);
  if (auto* button = segmentFocusControl_->button(zoom.selectedSegment())) button->setChecked(true);
  applyZoom(true);
  scrollBySegment_ = false;
}

void ZoomPlayerViewController::applyZoom(bool fromSegment) {
  PlayerZoomModel& zoom = scrollView_->zoom();
  if (!fromSegment) {
    if (auto* button = segmentFocusControl_->button(zoom.selectedSegment())) button->setChecked(true);
  }
  const QRectF visible = zoom.visibleRect();
  const QSizeF bounds = zoom.bounds();
  engine_.player()->setVideoZoom(zoom.magnification(), visible.center().x() / bounds.width(),
                                 visible.center().y() / bounds.height());
  updateControlStyle();
  scrollView_->resetCursorRects();
}

void ZoomPlayerViewController::enableControls(bool enabled) {
  for (QAbstractButton* button : subControlBaseView_->findChildren<QAbstractButton*>()) button->setEnabled(enabled);
  // The secondary player's rate follows the primary's.
  if (enabled && !engine_.isPrimaryPlayer()) rateChangeButton_->setEnabled(false);
}

void ZoomPlayerViewController::playerIsActive(bool active) {
  playerViewIsError(false);
  enableControls(active);
  scrollView_->setScrollingEnabled(active);
  scrollView_->setVisible(active);
  subControlBaseView_->setVisible(active);
}

void ZoomPlayerViewController::playerViewIsError(bool error) {
  enableControls(!error);
  scrollView_->setScrollingEnabled(!error && engine_.playerIsActive());
  if (error) {
    // Zoom and mirror are reset; the next good file gets them back.
    contentRect_ = scrollView_->zoom().visibleRect();
    isMirrorMode_ = mirrorButton_->isChecked();
    scrollView_->zoom().setMagnification(1.0);
    scrollView_->zoom().didScroll(true);
    setMirror(false);
    applyZoom(true);
  } else if (isMirrorMode_ || !contentRect_.isNull()) {
    // The saved state returns with the next playable file.
    const bool mirror = isMirrorMode_;
    isMirrorMode_ = false;
    contentRect_ = QRectF();
    if (mirror) setMirror(true);
  }
  updateControlStyle();
}

void ZoomPlayerViewController::pictureViewIsActive(bool active) {
  QLabel* picture = scrollView_->pictureView();
  picture->setVisible(active);
  if (surface_) surface_->widget()->setVisible(!active);
  rateChangeButton_->setEnabled(!active && engine_.isPrimaryPlayer());
  captureButton_->setEnabled(!active);
  updateControlStyle();
}

void ZoomPlayerViewController::setMediaController(MediaController* controller) { mediaController_ = controller; }

QDateTime ZoomPlayerViewController::userDate() const {
  return mediaController_ ? mediaController_->clock()->userDate() : QDateTime::currentDateTimeUtc();
}

std::optional<CustomLocation> ZoomPlayerViewController::snapshotLocation() const {
  // The tick's moment: the position the map shows.
  if (!mediaController_ || !mediaController_->catalogue()->currentDCF()) return std::nullopt;
  return mediaController_->clock()->moment().captureLocation(userDate());
}

QImage ZoomPlayerViewController::snapshotImage() const {
  if (scrollView_->zoom().magnification() == 1.0) {
    // Null when there is no frame (no video track, nothing decoded yet).
    const QImage frame = engine_.player()->grabFrame();
    return isMirror_ && !frame.isNull() ? ImageCapture::flipImageHorizontally(frame) : frame;
  }
  return scrollView_->grab().toImage();
}

std::optional<ZoomPlayerViewController::Snapshot> ZoomPlayerViewController::takeSnapshot(QString* errorText) const {
  Snapshot snapshot{snapshotImage(), snapshotLocation(), userDate()};
  if (snapshot.image.isNull()) {
    if (errorText) *errorText = tr("No picture to capture");
    return std::nullopt;
  }
  return snapshot;
}

bool ZoomPlayerViewController::writeSnapshot(const QString& path, QString* errorText) {
  const std::optional<Snapshot> snapshot = takeSnapshot(errorText);
  return snapshot && ImageCapture::writeFileWithCaptureImage(snapshot->image, snapshot->location, path, errorText);
}

void ZoomPlayerViewController::showCaptureError(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, tr("Save Picture"), text, QMessageBox::Ok, window());
  box->setObjectName(QStringLiteral("CaptureErrorAlert"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  box->open();
}

void ZoomPlayerViewController::snapButtonPressed() {
  if (!engine_.player()->isLoaded()) return;
  engine_.pause();
  // The moment is the press: while the dialog is open the other player goes
  // on following the clock.
  QString error;
  const std::optional<Snapshot> snapshot = takeSnapshot(&error);
  if (!snapshot) {
    showCaptureError(error);
    return;
  }
  const QString name = captureImageFileName(snapshot->date);
  QStringList filters;
  for (const QString& type : ImageCapture::fileTypes()) filters << QStringLiteral("*.%1").arg(type);
  auto* dialog = new QFileDialog(window(), tr("Save Picture"), saveFolder(SaveKind::Capture), filters.join(QLatin1Char(' ')));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setDefaultSuffix(QStringLiteral("jpg"));
  dialog->selectFile(name);
  QPointer<ZoomPlayerViewController> self(this);
  // A clip lies directly in a recording folder at the card's top.
  const QString cardRoot =
      path_text::deletingLastPathComponent(path_text::deletingLastPathComponent(engine_.currentItemPath()));
  connect(dialog, &QFileDialog::fileSelected, this, [self, snapshot = *snapshot, cardRoot](const QString& file) {
    if (!self) return;
    if (isOutputOnCard(file, cardRoot)) {
      self->showCaptureError(tr("“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.")
                                 .arg(QFileInfo(file).fileName()));
      return;
    }
    rememberSaveFolder(SaveKind::Capture, file);
    QString error;
    if (!ImageCapture::writeFileWithCaptureImage(snapshot.image, snapshot.location, file, &error)) {
      self->showCaptureError(error);
    }
  });
  dialog->open();  // a sheet on the window
}

void ZoomPlayerViewController::dispose() {
  engine_.dispose();
  scrollView_->pictureView()->clear();
  scrollView_->pictureView()->setProperty("mirrored", false);
}

}  // namespace dashcard
