#include "ui/export/sd_card_load_progress_view_controller.h"

#include "ui/export/activity_indicator.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>

#include <algorithm>

namespace dashcard {

SDCardLoadProgressViewController::SDCardLoadProgressViewController(QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("SDCardLoadProgressViewController"));
  messageLabel_ = new QLabel(this);
  messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  progressBar_ = new QProgressBar(this);
  progressBar_->setRange(0, 100);
  progressBar_->setTextVisible(false);
  percentageLabel_ = new QLabel(this);
  percentageLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  percentageLabel_->setMinimumWidth(percentageLabel_->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
  activityIndicator_ = new ActivityIndicator(this);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(20, 18, 20, 18);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(10);
  layout->addWidget(messageLabel_, 0, 0, 1, 2);
  layout->addWidget(progressBar_, 1, 0);
  layout->addWidget(percentageLabel_, 1, 1);
  layout->addWidget(activityIndicator_, 1, 1, Qt::AlignCenter);
  setMinimumWidth(360);

  // Indeterminate until the files are counted.
  percentageLabel_->setHidden(true);
  progressBar_->setRange(0, 0);
}

void SDCardLoadProgressViewController::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!activityIndicator_->isHidden()) activityIndicator_->startAnimation();
  updateLoadingPhase(0, 0);
}

void SDCardLoadProgressViewController::updateLoadingPhase(int phase, int percentage) {
  const int value = std::clamp(percentage, 0, 100);
  if (phase == 1 && percentageLabel_->isHidden()) {
    activityIndicator_->stopAnimation();
    activityIndicator_->setHidden(true);
    percentageLabel_->setHidden(false);
    progressBar_->setRange(0, 100);
  }
  progressBar_->setValue(value);
  percentageLabel_->setText(QStringLiteral("%1%").arg(value));
  messageLabel_->setText(QStringLiteral("%1\n%2").arg(tr("Loading file."), tr("Please wait.")));
}

}  // namespace dashcard
