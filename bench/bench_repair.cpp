// bench_repair DAMAGED REFERENCE OUT [RUNS]: rebuilds DAMAGED RUNS times
// (default 5) and prints the mean wall time and what was recovered.
#include "core/media/clip_rebuilder.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {
// Processor seconds of this process: on a shared machine the wall time also
// measures the other programs.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_repair DAMAGED REFERENCE OUT [RUNS]\n");
    return 2;
  }
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
  double total = 0.0;
  double cpuTotal = 0.0;
  dashcard::ClipRebuilder::Result result;
  for (int i = 0; i <= runs; ++i) {
    QFile::remove(QString::fromLocal8Bit(argv[3]));
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    result = dashcard::ClipRebuilder::rebuild(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                                              QString::fromLocal8Bit(argv[3]));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    if (!result.ok) {
      std::fprintf(stderr, "bench_repair: %s\n", qPrintable(result.error));
      return 1;
    }
    if (i > 0) {  // the first run warms the cache
      total += seconds;
      cpuTotal += cpu;
    }
  }
  std::printf("rebuild_seconds=%.4f\nrebuild_cpu_seconds=%.4f\nvideo_frames=%d\naudio_frames=%d\n", total / runs,
              cpuTotal / runs, result.videoFrames, result.audioFrames);
  return 0;
}
