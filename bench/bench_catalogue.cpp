// The card scan in process (no start-up of the command-line tool) and the
// memory the catalogue keeps per recording. The card comes from
// DASHCARD_BENCH_CARD (bench-catalogue makes it).
#include "core/catalogue/card_scanner.h"
#include "core/media/clip_health.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDirIterator>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

QString cardPath() { return QString::fromLocal8Bit(qgetenv("DASHCARD_BENCH_CARD")); }

void BM_ScanCard(benchmark::State& state) {
  const QString card = cardPath();
  qsizetype recordings = 0;
  for (auto _ : state) {
    const auto result = dashcard::CardScanner().scan(card);
    recordings = result.recordings.size();
    benchmark::DoNotOptimize(recordings);
  }
  state.counters["recordings"] = static_cast<double>(recordings);
  state.SetItemsProcessed(state.iterations() * recordings);
}
BENCHMARK(BM_ScanCard)->Unit(benchmark::kMillisecond);

// Heap bytes held by the scan's result, per recording (paths, texts, the
// unparsed telemetry object).
void BM_KeptMemoryPerRecording(benchmark::State& state) {
  const QString card = cardPath();
  double perRecording = 0.0;
  for (auto _ : state) {
    malloc_trim(0);
    const size_t before = mallinfo2().uordblks;
    auto result = dashcard::CardScanner().scan(card);
    const size_t after = mallinfo2().uordblks;
    const auto count = std::max<qsizetype>(1, result.recordings.size());
    perRecording = static_cast<double>(after - before) / static_cast<double>(count);
    benchmark::DoNotOptimize(result);
  }
  state.counters["bytes_per_recording"] = perRecording;
}
BENCHMARK(BM_KeptMemoryPerRecording)->Unit(benchmark::kMillisecond)->Iterations(1);

// The damage look the background walk takes at every video (box headers
// only), over every video of DASHCARD_BENCH_WALK_CARD: its whole cost, set
// against the walk's time by bench-catalogue.
void BM_DamageLookOfTheWalkCard(benchmark::State& state) {
  QStringList videos;
  QDirIterator it(QString::fromLocal8Bit(qgetenv("DASHCARD_BENCH_WALK_CARD")), {QStringLiteral("*.MP4")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) videos << it.next();
  if (videos.isEmpty()) {
    state.SkipWithError("DASHCARD_BENCH_WALK_CARD holds no videos");
    return;
  }
  for (auto _ : state) {
    int damaged = 0;
    for (const QString& video : videos) damaged += dashcard::ClipHealth::inspect(video).healthy() ? 0 : 1;
    benchmark::DoNotOptimize(damaged);
  }
  state.counters["videos"] = static_cast<double>(videos.size());
}
BENCHMARK(BM_DamageLookOfTheWalkCard)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
