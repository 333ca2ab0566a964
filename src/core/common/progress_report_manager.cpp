#include "core/common/progress_report_manager.h"

#include <cmath>

namespace dashcard {

ProgressReportManager::ProgressReportManager() : nextReportDate_(QDateTime::currentDateTimeUtc()) {}

ProgressReportManager::ProgressReportManager(double interval) : ProgressReportManager() {
  reportInterval_ = interval;
}

void ProgressReportManager::report(unsigned long long value) {
  if (value == currentValue_) {
    return;
  }
  if (QDateTime::currentDateTimeUtc() > nextReportDate_) {
    forceReport(value);
  }
}

void ProgressReportManager::forceReport(unsigned long long value) {
  if (reportHandler_) {
    reportHandler_(value);
  }
  updateNextNotifyDate();
}

void ProgressReportManager::updateNextNotifyDate() {
  nextReportDate_ = QDateTime::currentDateTimeUtc().addMSecs(static_cast<qint64>(std::llround(reportInterval_ * 1000.0)));
}

int ProgressReportManager::percentageWithNow(unsigned long long now, unsigned long long max) {
  if (max == 0) {
    return -1;
  }
  const float ratio = static_cast<float>(now) / static_cast<float>(max) * 100.0F;
  // A count past its total must not overflow the integer.
  if (!(ratio < 2147483520.0F)) {
    return 2147483520;
  }
  return static_cast<int>(std::trunc(ratio));
}

}  // namespace dashcard
