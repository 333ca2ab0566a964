#include "core/common/startup_marks.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

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

constexpr unsigned kAllMoments = 3U;
unsigned written = 0;
std::vector<std::function<void()>>& waiting() {
  static std::vector<std::function<void()>> calls;
  return calls;
}
}  // namespace

void whenStartupComplete(std::function<void()> done) {
  if (written == kAllMoments) {
    done();
  } else {
    waiting().push_back(std::move(done));
  }
}

void markStartupMoment(StartupMoment moment) {
  const unsigned bit = 1U << static_cast<unsigned>(moment);
  if ((written & bit) != 0) return;
  written |= bit;
  if (written == kAllMoments) {
    for (auto& done : std::exchange(waiting(), {})) done();
  }
  if (marksWanted() == Marks::Off) return;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  // The process's processor time beside the clock: on a busy machine the
  // two tell waiting from working.
  const auto cpuMs = static_cast<long long>(std::clock() / (CLOCKS_PER_SEC / 1000));
  std::fprintf(stderr, "dashcard-mark: %s %lld cpu_ms=%lld\n", moment == StartupMoment::ListShown ? "list" : "first-frame",
               static_cast<long long>(now.count()), cpuMs);
  std::fflush(stderr);
  if (marksWanted() == Marks::ReportAndQuit && written == kAllMoments && QCoreApplication::instance() != nullptr) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  }
}

}  // namespace dashcard
