#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace dashcard {

class ActivityIndicator;

// The loading sheet's content while a card is scanned: a spinner that turns
// into a bar with a percentage once files are being counted.
class SDCardLoadProgressViewController : public QWidget {
  Q_OBJECT
 public:
  explicit SDCardLoadProgressViewController(QWidget* parent = nullptr);

  // Phase 0 before the files are listed, 1 while they are processed, 3 at
  // the end; a negative percentage shows as 0.
  void updateLoadingPhase(int phase, int percentage);

  QLabel* messageLabel() const { return messageLabel_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QLabel* percentageLabel() const { return percentageLabel_; }
  ActivityIndicator* activityIndicator() const { return activityIndicator_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* messageLabel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* percentageLabel_ = nullptr;
  ActivityIndicator* activityIndicator_ = nullptr;
};

}  // namespace dashcard
