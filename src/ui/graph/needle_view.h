#pragma once

#include <QPixmap>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

namespace dashcard {

// The gauge's needle: the picture "needle" (drawn pointing up) turned about
// the view's centre to a speed of 0..180, with a short animation. While the
// view is resized the needle hides and comes back 0.5 s after the last change.
class NeedleView : public QWidget {
  Q_OBJECT
 public:
  explicit NeedleView(QWidget* parent = nullptr);

  // Once: from now on a size change hides the needle; it appears at 0.
  void setup();
  void intitialNeedlePosotion();
  void hideNeedle();
  void showNeedle();
  // A negative speed changes nothing; above 180 it stops at 180.
  void updateLayerWithSpeed(float speed);

  // The speed the needle turns to (or rests at), and its shown state.
  float targetSpeed() const { return target_; }
  float shownSpeed() const { return shown_; }
  qreal alpha() const { return alpha_; }
  bool isAnimating() const { return turn_.state() == QAbstractAnimation::Running; }
  // Milliseconds until a hidden needle shows again; -1 when none is pending.
  int pendingShowMs() const { return showTimer_.isActive() ? showTimer_.remainingTime() : -1; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void turnTo(float speed, bool animated);

  QPixmap needle_;
  QVariantAnimation turn_;
  QTimer showTimer_;
  bool isSetUp_ = false;
  qreal alpha_ = 1.0;
  float target_ = 0.0f;
  float shown_ = 0.0f;
};

}  // namespace dashcard
