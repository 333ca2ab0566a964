// The telemetry graph: drawing the chart of a 3-minute recording with 100 Hz
// G samples (18 000) at 1600x200, and the main-thread work of one playback
// tick on the pane (throttle, cursor strip, four readouts, needle, and the
// repaint that follows).

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/sample_card_maker.h"
#include "core/common/color_palette.h"
#include "core/graph/graph_layer_drawer.h"
#include "core/telemetry/nmea_data.h"
#include "ui/graph/graph_view_controller.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace dashcard;

constexpr int kSeconds = 180;
constexpr int kSamplesPerSecond = 100;

// A drive of 3 minutes: one fix a second, 100 G samples after each.
QByteArray telemetryText() {
  QByteArray text = "$GTRIP,000001,1.00\r\n";
  for (int s = 0; s < kSeconds; ++s) {
    const double knots = 30.0 + 25.0 * std::sin(s / 20.0);
    text += QStringLiteral("$GNRMC,%1%2%3.00,A,3540.1234,N,13945.6789,E,%4,90.0,170524,,,A\r\n")
                .arg(7 + s / 3600, 2, 10, QLatin1Char('0'))
                .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
                .arg(s % 60, 2, 10, QLatin1Char('0'))
                .arg(knots, 0, 'f', 2)
                .toLatin1();
    for (int i = 0; i < kSamplesPerSecond; ++i) {
      const double t = s + i / 100.0;
      text += QStringLiteral("$GSENS,%1,%2,%3\r\n")
                  .arg(0.3 * std::sin(t * 1.7), 0, 'f', 3)
                  .arg(0.4 * std::cos(t * 0.9), 0, 'f', 3)
                  .arg(1.0 + 0.05 * std::sin(t * 13.0), 0, 'f', 3)
                  .toLatin1();
    }
  }
  return text;
}

// A one-clip card whose telemetry file is replaced by the drive above.
struct Recording {
  Recording() {
    SampleCardOptions options;
    options.clips = 1;
    options.clipSeconds = kSeconds;
    options.encodeVideos = false;
    SampleCardMaker maker(options);
    QString error;
    if (!maker.make(dir.path(), &error)) qFatal("sample card: %s", qPrintable(error));
    const SampleClip& clip = maker.clips().first();
    QFile file(dir.filePath(clip.telemetryPath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write the telemetry file");
    file.write(telemetryText());
    file.close();
    info = std::make_shared<DCFInfo>(dir.path(), clip.frontPath);
    info->nmea()->setup();
    if (info->nmea()->motions().size() != kSeconds * kSamplesPerSecond) qFatal("unexpected sample count");
  }
  QTemporaryDir dir;
  DCFInfoPtr info;
};

Recording& recording() {
  static Recording r;
  return r;
}

void BM_ChartDraw1600x200(benchmark::State& state) {
  const GOPList gops = recording().info->nmea()->GOPs();
  GraphLayerDrawer drawer;
  drawer.setOffsetX(8.0);
  drawer.setOffsetY(1.0);
  drawer.setMaxSpeedValue(120.0);
  drawer.setMaxMotionABSValue(2.0);
  QImage image(1600, 200, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    // Taking the recording's groups is part of drawing a new recording.
    drawer.setCurrentGOPs(QList<GOPData>(gops.begin(), gops.end()));
    image.fill(ColorPalette::graphBackGroundColor());
    QPainter painter(&image);
    drawer.drawContents(&painter, QRectF(0, 0, 1600, 200));
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ChartDraw1600x200)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_TickOnThePane(benchmark::State& state) {
  GraphViewController pane;
  pane.resize(1600, 240);
  pane.show();
  const DCFInfoPtr info = recording().info;
  pane.drawGraphWithCurrentDCFInfo(info);
  QApplication::processEvents();
  float progress = 0.0f;
  for (auto _ : state) {
    progress += 0.01f / kSeconds;  // one tick: 10 ms of media time
    if (progress > 1.0f) progress = 0.0f;
    pane.updateProgress(TelemetryMoment::atFraction(info->nmea().get(), progress, kSeconds));
    QApplication::processEvents();  // the repaint of the cursor strip and the readouts
  }
}
BENCHMARK(BM_TickOnThePane)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
