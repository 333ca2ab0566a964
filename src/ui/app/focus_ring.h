#pragma once

#include <QPointer>
#include <QWidget>

namespace dashcard {

// A highlight frame over a pane that the keyboard moved the focus to, so a
// keyboard user sees where the keys go. Drawn on top of the pane's children
// (the video and graph drawings cover the pane itself).
class FocusRing : public QWidget {
  Q_OBJECT
 public:
  // Lives as a child of `target`.
  explicit FocusRing(QWidget* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointer<QWidget> target_;
};

}  // namespace dashcard
