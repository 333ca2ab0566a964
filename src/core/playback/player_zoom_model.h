#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace dashcard {

// The zoom and scroll state of a player's scroll view, without widgets:
// magnification, the visible rectangle, the 7-segment zoom control, the
// snap back to 1 under 1.05, the bottom-pane pan gesture and the cursors.
// Coordinates are the view's (y down); the content is the view's size at
// magnification 1, and the visible rectangle is (origin, bounds ÷ m).
class PlayerZoomModel {
 public:
  enum class Cursor { Arrow, Crosshair, OpenHand, ClosedHand };
  enum class BottomPaneAction { None, Show, Hide };

  static constexpr double kMaximumMagnification = 8.0;
  static constexpr double kSnapBackBelow = 1.05;
  static constexpr double kControlBarHeight = 24.0;

  void setBounds(const QSizeF& bounds);
  const QSizeF& bounds() const { return bounds_; }

  double magnification() const { return magnification_; }
  // Sets the magnification keeping `centre` (view coordinates) in place;
  // clamped to 1..8 (a pinch below 1 is caught by the snap back).
  void setMagnification(double magnification, const QPointF& centre);
  void setMagnification(double magnification);
  // The visible rectangle's origin in content coordinates, clamped.
  void scrollToPoint(const QPointF& point);
  const QPointF& origin() const { return origin_; }
  QRectF visibleRect() const;

  // The zoom control. selectedSegment() is what the control shows.
  int selectedSegment() const { return selectedSegment_; }
  int lastSelectedSegment() const { return lastSelectedSegment_; }
  // Segment 0 puts the control back to the last segment and changes nothing
  // else; 1 is the whole picture; 2 the centre quarter at 2x; 3-6 the
  // top-left, top-right, bottom-left and bottom-right quarters at 2x.
  void segmentDidChange(int segment);
  // After every change of the visible rectangle. Not from the control: the
  // control shows segment 0. Under 1.05 the zoom snaps back to 1 at the
  // origin (and, not from the control, segment 1 is selected).
  void didScroll(bool fromSegment);
  bool isInitialPosition() const { return isInitialPosition_; }

  // The pan gesture's bottom-pane rule for its scroll point p, measured with
  // y up (dragging up gives negative y): nearly vertical drags of more than
  // 10 points show (up) or hide (down) the window's bottom pane.
  static BottomPaneAction bottomPaneActionForPanPoint(const QPointF& p);

  // Above magnification 1 a hand (closed while the mouse is down); else the
  // arrow over the control bar at the bottom and the crosshair elsewhere.
  Cursor cursorAt(const QPointF& position, bool mouseIsDown) const;
  QRectF controlBarRect() const;

  // Resets to magnification 1 at the origin with segment 1 selected.
  void reset();

 private:
  QSizeF bounds_{1.0, 1.0};
  double magnification_ = 1.0;
  QPointF origin_;
  int selectedSegment_ = 1;
  int lastSelectedSegment_ = 1;
  bool isInitialPosition_ = true;
};

}  // namespace dashcard
