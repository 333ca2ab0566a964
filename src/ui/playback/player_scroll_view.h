#pragma once

#include "core/playback/player_click_counter.h"
#include "core/playback/player_zoom_model.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace dashcard {

// The zoomable, pannable area of a player: the video surface and the still
// picture, the click rules (single, double after 0.25 s, triple and Escape
// for the window's pane mode), the pan gesture and the cursors.
class PlayerScrollView : public QWidget {
  Q_OBJECT

 public:
  using ClickBlock = std::function<void(PlayerScrollView*)>;

  explicit PlayerScrollView(QWidget* parent = nullptr);

  // The video surface (owned by this view from now on).
  void setDocumentView(QWidget* view);
  QWidget* documentView() const { return document_; }
  QLabel* pictureView() const { return picture_; }

  PlayerZoomModel& zoom() { return zoom_; }
  const PlayerZoomModel& zoom() const { return zoom_; }
  PlayerClickCounter& clicks() { return clicks_; }

  bool scrollingEnabled() const { return scrollingEnabled_; }
  void setScrollingEnabled(bool enabled) { scrollingEnabled_ = enabled; }
  bool mouseIsDown() const { return mouseIsDown_; }

  void setSingleClickBlock(ClickBlock block) { singleClickBlock_ = std::move(block); }
  void setDoubleClickBlock(ClickBlock block) { doubleClickBlock_ = std::move(block); }

  // Magnification about `centre` (view coordinates); the change is a user scroll.
  void magnify(double factor, const QPointF& centre);
  // Emits tripleTapped.
  void fullScreenControl();

  // One mouse release with its click count, as the platform counts them
  // (tests drive the view through this).
  void mouseUpWithClickCount(const QPointF& position, int clickCount);
  // The pan gesture: began, changed with the translation so far, ended.
  void panBegan();
  void panChanged(const QPointF& translation);
  void panEnded();

 signals:
  // The visible rectangle changed; `fromSegment` when the zoom control did it.
  void didScroll(bool fromSegment);
  void bottomPaneAction(PlayerZoomModel::BottomPaneAction action);
  // A triple click: the window goes to or leaves full screen.
  void tripleTapped();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 public:
  void resetCursorRects();

 private:
  QPointer<QWidget> document_;
  QLabel* picture_;
  PlayerZoomModel zoom_;
  PlayerClickCounter clicks_;
  bool scrollingEnabled_ = true;
  bool mouseIsDown_ = false;
  bool dragging_ = false;
  QPointF pressPosition_;
  QPointF panOffset_;
  QElapsedTimer lastRelease_;
  QPointF lastReleasePosition_;
  int clickCount_ = 0;
  ClickBlock singleClickBlock_, doubleClickBlock_;
};

}  // namespace dashcard
