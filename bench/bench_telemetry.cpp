// Parse throughput of NMEAData::setup on a camera file of one hour, and the
// memory a catalogue of one-minute clips keeps once parsed.
//
// DASHCARD_BENCH_TELEMETRY_FILE names the hour file (written when missing) so
// that bench-telemetry can hand the very same file to the peer.

#include "core/catalogue/sample_card_maker.h"
#include "core/telemetry/nmea_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <vector>

namespace {

using dashcard::NMEAData;
using dashcard::SampleCardMaker;

const QDateTime kStart(QDate(2024, 5, 17), QTime(7, 30, 0), Qt::UTC);

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString hourFile() {
  static const QString path = [] {
    QString file = qEnvironmentVariable("DASHCARD_BENCH_TELEMETRY_FILE");
    if (file.isEmpty()) {
      file = QDir::temp().filePath(QStringLiteral("dashcard-bench-telemetry-hour.NMEA"));
    }
    writeFile(file, SampleCardMaker::driveTelemetry(11, kStart, 3600, 20));
    return file;
  }();
  return path;
}

void BM_SetupOneHour(benchmark::State& state) {
  const QString path = hourFile();
  const qint64 size = QFile(path).size();
  std::size_t groups = 0;
  for (auto _ : state) {
    NMEAData data(path);
    data.setup();
    groups = data.GOPs().size();
    benchmark::DoNotOptimize(groups);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
  state.counters["groups"] = static_cast<double>(groups);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_SetupOneHour)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// 1000 one-minute clips parsed and kept, as a catalogue keeps them. Reports the
// heap kept per location: in all, and for the location with its group alone
// (the G-sensor and drive-support samples, which every clip carries 10 and
// about 0.02 of per second, taken out at their own size).
void BM_KeptMemoryOf1000Clips(benchmark::State& state) {
  QTemporaryDir dir;
  QStringList paths;
  for (int i = 0; i < 1000; ++i) {
    const QString path = dir.filePath(QStringLiteral("N_%1.NMEA").arg(i));
    writeFile(path, SampleCardMaker::driveTelemetry(100 + static_cast<std::uint64_t>(i), kStart.addSecs(60 * i), 60));
    paths << path;
  }
  double perLocation = 0;
  double perLocationAndGroup = 0;
  double locations = 0;
  for (auto _ : state) {
    std::vector<std::unique_ptr<NMEAData>> clips;
    clips.reserve(static_cast<std::size_t>(paths.size()));
    const std::size_t before = mallinfo2().uordblks;
    std::size_t motions = 0;
    std::size_t driveSupports = 0;
    std::size_t fixes = 0;
    for (const QString& path : paths) {
      auto data = std::make_unique<NMEAData>(path);
      data->setup();
      motions += data->motions().size();
      driveSupports += data->driveSupports().size();
      fixes += data->totalLocations().size();
      clips.push_back(std::move(data));
    }
    const std::size_t kept = mallinfo2().uordblks - before;
    // A drive-support record also holds short texts on the heap (about 4 x 32 bytes).
    const std::size_t samples = motions * sizeof(dashcard::MotionData) +
                                driveSupports * (sizeof(dashcard::DriveSupportData) + 128);
    perLocation = static_cast<double>(kept) / static_cast<double>(fixes);
    perLocationAndGroup = static_cast<double>(kept - samples) / static_cast<double>(fixes);
    locations = static_cast<double>(fixes);
  }
  state.counters["bytes_per_location_all"] = perLocation;
  state.counters["bytes_per_location_and_group"] = perLocationAndGroup;
  state.counters["locations"] = locations;
}
BENCHMARK(BM_KeptMemoryOf1000Clips)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
