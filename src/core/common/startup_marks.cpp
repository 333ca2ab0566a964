#include "core/common/startup_marks.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace dashcard {

namespace {
enum class Marks { Off, Report, ReportAndQuit };

Marks marksWanted() {
  static const Marks wanted = [] {
    const QByteArray value = qgetenv("DASHCARD_STARTUP_MARKS");
    if (value.isEmpty()) return Marks::Off;
    return value == "quit" ? Marks::ReportAndQuit : Marks::Report;
  }();
  return wanted;
}
}  // namespace

void markStartupMoment(StartupMoment moment) {
  if (marksWanted() == Marks::Off) return;
  static unsigned written = 0;
  const unsigned bit = 1U << static_cast<unsigned>(moment);
  if ((written & bit) != 0) return;
  written |= bit;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  // The process's processor time beside the clock: on a busy machine the
  // two tell waiting from working.
  const auto cpuMs = static_cast<long long>(std::clock() / (CLOCKS_PER_SEC / 1000));
  std::fprintf(stderr, "dashcard-mark: %s %lld cpu_ms=%lld\n", moment == StartupMoment::ListShown ? "list" : "first-frame",
               static_cast<long long>(now.count()), cpuMs);
  std::fflush(stderr);
  if (marksWanted() == Marks::ReportAndQuit && written == 3U && QCoreApplication::instance() != nullptr) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  }
}

}  // namespace dashcard
