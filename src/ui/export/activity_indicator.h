#pragma once

#include <QTimer>
#include <QWidget>

namespace dashcard {

// A small spinning indicator for work of unknown length.
class ActivityIndicator : public QWidget {
  Q_OBJECT
 public:
  explicit ActivityIndicator(QWidget* parent = nullptr);
  void startAnimation();
  void stopAnimation();
  bool isAnimating() const { return timer_.isActive(); }
  QSize sizeHint() const override { return {28, 28}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QTimer timer_;
  int step_ = 0;
};

}  // namespace dashcard
