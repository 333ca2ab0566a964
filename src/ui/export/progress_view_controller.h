#pragma once

#include "core/playback/panes.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace dashcard {

// The task sheet of the export and the backup: a bar, a line of text and one
// button that reads "Cancel" while the task runs and "Finish" once it is done.
// The sheet never closes itself; the close callback decides (it cancels a
// running task and dismisses the sheet).
class ProgressViewController : public QDialog, public ProgressSheet {
  Q_OBJECT
 public:
  explicit ProgressViewController(QWidget* parent = nullptr);
  ~ProgressViewController() override;

  // A new sheet, window-modal over `parent`'s window (not shown yet).
  static ProgressViewController* progressViewController(QWidget* parent = nullptr);

  float progress() const { return progress_; }
  void setProgress(float progress) override;
  QString infoLabelText() const;
  void setInfoLabelText(const QString& text) override;
  void setSucceeded(bool succeeded) override;
  const CloseHandler& closeClickBlock() const { return closeClickBlock_; }
  void setCloseClickBlock(CloseHandler handler) override;
  // Closes the sheet and releases it.
  void dismiss() override;

  // The button's action.
  void closeButtonPressed();
  // Creeps the bar by 0.001 every 0.25 s so that a long single step still moves.
  void dummyProgress();

  // The texts and states the progress drives.
  static QString closeButtonName(float progress);
  static bool progressIndicatorHidden(float progress);

  QLabel* infoLabel() const { return infoLabel_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QLabel* doneMark() const { return doneMark_; }

 signals:
  void progressChanged(float progress);

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void refresh();
  void showMark();

  float progress_ = 0.0f;
  bool succeeded_ = true;
  QString infoLabelText_;
  CloseHandler closeClickBlock_;
  QLabel* infoLabel_ = nullptr;
  QLabel* doneMark_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QTimer creepTimer_;
  bool creepStarted_ = false;
};

}  // namespace dashcard
