#pragma once

#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

namespace dashcard {

// One lamp: an active and a non-active picture with a 0.2 s cross-fade
// between them; greyed out (opacity 0.2) while not enabled. Off and not
// enabled when made; sized to the active picture.
class StatusIndicatorView : public QWidget {
  Q_OBJECT
 public:
  StatusIndicatorView(const QPixmap& atitiveImage, const QPixmap& deactiveImage, QWidget* parent = nullptr);

  bool isOn() const { return isOn_; }
  // An unchanged value does nothing (no fade).
  void setIsOn(bool on);
  bool isEnabled() const { return isEnabled_; }
  void setIsEnabled(bool enabled);
  void updateOn();
  void updateOff();
  // Off at once, without a fade.
  void forceClear();
  void updateBackgroundImage(const QPixmap& image, bool withAnimation);

  // What the lamp shows (the picture a fade ends on) and whether it fades now.
  const QPixmap& currentImage() const { return current_; }
  bool isAnimating() const { return fade_.state() == QAbstractAnimation::Running; }
  qreal opacity() const { return isEnabled_ ? 1.0 : 0.2; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap atitiveImage_;
  QPixmap deactiveImage_;
  QPixmap current_;
  QPixmap previous_;
  QVariantAnimation fade_;
  bool isOn_ = false;
  bool isEnabled_ = false;
};

}  // namespace dashcard
