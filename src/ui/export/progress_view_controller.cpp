#include "ui/export/progress_view_controller.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {
constexpr int kBarSteps = 1000;
constexpr float kCreepStep = 0.001f;
constexpr int kCreepIntervalMs = 250;
}  // namespace

ProgressViewController::ProgressViewController(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ProgressViewController"));
  setWindowTitle(tr("Progress"));
  setWindowModality(Qt::WindowModal);
  setMinimumWidth(420);

  infoLabel_ = new QLabel(this);
  infoLabel_->setWordWrap(true);
  infoLabel_->setMinimumHeight(infoLabel_->fontMetrics().height() * 2);
  progressBar_ = new QProgressBar(this);
  progressBar_->setRange(0, kBarSteps);
  progressBar_->setTextVisible(false);
  doneMark_ = new QLabel(this);
  showMark();
  cancelButton_ = new QPushButton(this);
  cancelButton_->setAutoDefault(false);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { closeButtonPressed(); });

  auto* barRow = new QHBoxLayout;
  barRow->addWidget(progressBar_, 1);
  barRow->addWidget(doneMark_);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 18, 20, 14);
  layout->setSpacing(10);
  layout->addWidget(infoLabel_);
  layout->addLayout(barRow);
  layout->addLayout(buttonRow);

  creepTimer_.setSingleShot(true);
  creepTimer_.setInterval(kCreepIntervalMs);
  connect(&creepTimer_, &QTimer::timeout, this, &ProgressViewController::dummyProgress);
  refresh();
}

ProgressViewController::~ProgressViewController() = default;

ProgressViewController* ProgressViewController::progressViewController(QWidget* parent) {
  auto* sheet = new ProgressViewController(parent ? parent->window() : nullptr);
  return sheet;
}

void ProgressViewController::setProgress(float progress) {
  // Bad values from a task must not break the bar.
  if (!std::isfinite(progress)) progress = 0.0f;
  progress_ = progress;
  refresh();
  emit progressChanged(progress_);
}

QString ProgressViewController::infoLabelText() const { return infoLabelText_; }

void ProgressViewController::setInfoLabelText(const QString& text) {
  infoLabelText_ = text;
  infoLabel_->setText(text);
}

void ProgressViewController::setSucceeded(bool succeeded) {
  succeeded_ = succeeded;
  showMark();
}

void ProgressViewController::setCloseClickBlock(CloseHandler handler) {
  closeClickBlock_ = std::move(handler);
}

void ProgressViewController::dismiss() {
  creepTimer_.stop();
  hide();
  deleteLater();
}

void ProgressViewController::closeButtonPressed() {
  // Copy first: the callback may release this sheet.
  CloseHandler handler = closeClickBlock_;
  if (handler) handler(this);
}

void ProgressViewController::dummyProgress() {
  setProgress(progress_ + kCreepStep);
  creepTimer_.start();
}

QString ProgressViewController::closeButtonName(float progress) {
  return progress < 1.0f ? tr("Cancel") : tr("Finish");
}

bool ProgressViewController::progressIndicatorHidden(float progress) { return progress < 1.0f; }

void ProgressViewController::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!creepStarted_) {
    creepStarted_ = true;
    creepTimer_.start();
  }
}

void ProgressViewController::reject() {
  // Escape acts like the button; the callback closes the sheet.
  closeButtonPressed();
}

void ProgressViewController::refresh() {
  const float shown = std::clamp(progress_, 0.0f, 1.0f);
  progressBar_->setValue(static_cast<int>(std::lround(shown * kBarSteps)));
  cancelButton_->setText(closeButtonName(progress_));
  doneMark_->setHidden(progressIndicatorHidden(progress_));
}

void ProgressViewController::showMark() {
  const QIcon mark = succeeded_ ? QIcon(QStringLiteral(":/images/done.svg"))
                                : style()->standardIcon(QStyle::SP_MessageBoxWarning);
  doneMark_->setPixmap(mark.pixmap(18, 18));
  doneMark_->setAccessibleName(succeeded_ ? tr("Done") : tr("Failed"));
}

}  // namespace dashcard
