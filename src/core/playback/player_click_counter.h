#pragma once

#include <QObject>
#include <QTimer>

namespace dashcard {

// The click rules of a player's scroll view: one click at once, a double
// click 0.25 s later unless a third click comes first, a triple click (or
// Escape) toggles the window's pane mode.
class PlayerClickCounter : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDoubleClickDelayMs = 250;

  explicit PlayerClickCounter(QObject* parent = nullptr);

  // One mouse release with the platform's click count.
  void mouseUp(int clickCount);
  // Escape.
  void cancelOperation();
  bool doubleClickPending() const { return timer_.isActive(); }

 signals:
  void singleClick();
  void doubleClick();
  void fullScreenControl();

 private:
  QTimer timer_;
};

}  // namespace dashcard
