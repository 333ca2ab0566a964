#pragma once

#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace dashcard {

// Shows a drive-support icon until further notice or for some seconds. At
// most one hide is pending: a new timed show replaces it.
class IndicatorImageView : public QLabel {
  Q_OBJECT
 public:
  explicit IndicatorImageView(QWidget* parent = nullptr);

  // Shows `image` (a null one removes it); a pending hide stays pending.
  void showImageImmidiately(const QPixmap& image);
  // Shows `image` and hides it after `remainTimeSecond` (never for 0); a null image does nothing.
  void showImage(const QPixmap& image, double remainTimeSecond);
  // Removes the image and its tooltip and cancels a pending hide.
  void hideImage();

  bool isShowingImage() const { return !pixmap().isNull(); }
  // Milliseconds until the pending hide; -1 when none is pending.
  int pendingHideMs() const { return hideTimer_.isActive() ? hideTimer_.remainingTime() : -1; }

 private:
  QTimer hideTimer_;
};

}  // namespace dashcard
