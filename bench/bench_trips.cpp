// Trips and driving events of a card of 1000 one-minute clips (ten G
// samples a second) once their telemetry is read: grouping, GPS cleaning,
// distances, the mount's axes, events, clock offset and place names.
// DASHCARD_BENCH_CARD names the card (bench-trips makes it); without it a
// card without videos is written to a temporary folder.
#include "core/catalogue/card_scanner.h"
#include "core/catalogue/place_names.h"
#include "core/catalogue/sample_card_maker.h"
#include "core/catalogue/trip_builder.h"
#include "core/telemetry/telemetry_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace dashcard;

struct Card {
  std::unique_ptr<QTemporaryDir> dir;
  DCFInfoList recordings;
  std::vector<std::shared_ptr<const NMEAData::Snapshot>> telemetry;
};

const Card& card() {
  static const Card loaded = [] {
    Card c;
    QString root = QString::fromLocal8Bit(qgetenv("DASHCARD_BENCH_CARD"));
    if (root.isEmpty()) {
      c.dir = std::make_unique<QTemporaryDir>();
      SampleCardOptions options;
      options.clips = 1000;
      options.clipSeconds = 60;
      options.encodeVideos = false;
      root = c.dir->path();
      SampleCardMaker(options).make(root, nullptr);
    }
    c.recordings = CardScanner().scan(root).recordings;
    c.telemetry = TripBuilder::readTelemetry(c.recordings);
    return c;
  }();
  return loaded;
}

void BM_TripsAndEvents(benchmark::State& state) {
  const Card& c = card();
  TripBuilder::Options options;
  options.places = PlaceNames::builtIn();
  std::size_t trips = 0;
  std::size_t events = 0;
  for (auto _ : state) {
    const TripBuilder::Result result = TripBuilder::build(c.recordings, c.telemetry, options);
    trips = static_cast<std::size_t>(result.trips.size());
    events = 0;
    for (const Trip& trip : result.trips) events += static_cast<std::size_t>(trip.events.size());
    benchmark::DoNotOptimize(trips);
  }
  std::size_t samples = 0;
  for (const auto& snapshot : c.telemetry) samples += snapshot && snapshot->store ? snapshot->store->motions.size() : 0;
  state.counters["recordings"] = static_cast<double>(c.recordings.size());
  state.counters["trips"] = static_cast<double>(trips);
  state.counters["events"] = static_cast<double>(events);
  state.counters["g_samples"] = static_cast<double>(samples);
}
BENCHMARK(BM_TripsAndEvents)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Reading the built-in place names, once per process.
void BM_LoadPlaceNames(benchmark::State& state) {
  QFile file(QStringLiteral(":/places/places.dcpl"));
  file.open(QIODevice::ReadOnly);
  const QByteArray data = file.readAll();
  std::size_t count = 0;
  for (auto _ : state) {
    PlaceNames places;
    places.load(data);
    count = places.size();
    benchmark::DoNotOptimize(count);
  }
  state.counters["places"] = static_cast<double>(count);
}
BENCHMARK(BM_LoadPlaceNames)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
