#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace dashcard {

// The bubble over a selected recording marker: the recording's thumbnail
// and a button that makes that recording current.
class CustomMapCalloutView : public QFrame {
  Q_OBJECT
 public:
  explicit CustomMapCalloutView(QWidget* parent = nullptr);

  QLabel* imageView() const { return imageView_; }
  QPushButton* calloutActionButton() const { return calloutActionButton_; }
  // Shows `thumbnail` (an empty box when null) under `title`.
  void showRecording(const QString& title, const QImage& thumbnail);

 private:
  QLabel* title_ = nullptr;
  QLabel* imageView_ = nullptr;
  QPushButton* calloutActionButton_ = nullptr;
};

}  // namespace dashcard
