#pragma once

#include <QDateTime>

#include <functional>

namespace dashcard {

// Lets at most one progress report through per interval, so a scan of
// thousands of files does not flood the main thread's event queue. Used from
// one thread.
class ProgressReportManager {
 public:
  using ReportHandler = std::function<void(unsigned long long value)>;

  ProgressReportManager();
  explicit ProgressReportManager(double interval);

  void progressReeport(ReportHandler handler) { reportHandler_ = std::move(handler); }
  // Passes `value` on when the interval since the last report has run out;
  // a value equal to currentValue() is dropped.
  void report(unsigned long long value);
  // Passes `value` on at once and starts a new interval.
  void forceReport(unsigned long long value);
  void updateNextNotifyDate();

  const QDateTime& nextReportDate() const { return nextReportDate_; }
  unsigned long long currentValue() const { return currentValue_; }
  double reportInterval() const { return reportInterval_; }
  void setReportInterval(double seconds) { reportInterval_ = seconds; }

  // now / max * 100 in single precision, truncated; -1 when max is 0.
  static int percentageWithNow(unsigned long long now, unsigned long long max);

 private:
  QDateTime nextReportDate_;
  ReportHandler reportHandler_;
  unsigned long long currentValue_ = 0;
  double reportInterval_ = 0.2;
};

}  // namespace dashcard
