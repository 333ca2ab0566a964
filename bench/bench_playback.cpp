// Plays a card's front and rear clips through two real player panes wired to
// a real MediaController and measures the window's clock: front/rear drift,
// tick rate and regularity, the hand-over from one clip to the next, CPU at
// 1x and 4x, and what rate 16 achieves. Usage:
//   bench_playback CARD_ROOT [--gl] [--graph] [--seconds N]
// --gl shows the window with the surface the viewer picks (see
// DASHCARD_VIDEO_SURFACE to force one).
// Prints "key=value" lines on standard output.
#include "core/catalogue/dcf_info.h"
#include "core/playback/media_controller.h"
#include "core/playback/panes.h"
#include "ui/graph/graph_view_controller.h"
#include "ui/playback/mpv_open_gl_widget.h"
#include "ui/playback/zoom_player_view_controller.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace dashcard;

namespace {

// The file list: selecting the next row makes it current, as the window's list does.
class BenchList : public RecordingListPane {
 public:
  explicit BenchList(MediaController* c) : controller(c) {}
  void reloadDCFInfo(const DCFInfoList& infos) override { rows = infos; }
  void reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList&) override { rows = infos; }
  void selectFirstItem() override {
    if (!rows.isEmpty()) controller->catalogue()->updateCurrentDCF(rows.first(), RecordingCatalogue::kMediaListNormal, nullptr);
  }
  void selectCurrentDCF(const DCFInfoPtr&) override {}
  void selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) override {
    const qsizetype i = rows.indexOf(info);
    const DCFInfoPtr next = rows.at(i < 0 || i + 1 >= rows.size() ? 0 : i + 1);
    controller->catalogue()->updateCurrentDCF(next, RecordingCatalogue::kMediaListNormal, nullptr);
  }
  void deselection() override {}
  void focusCurrentDCF() override {}
  DCFInfoList selectedDCFInfos() const override { return {}; }
  MediaController* controller;
  DCFInfoList rows;
};

// The tabs over the lists: they select the first row of a new card.
class BenchTabs : public TabPane {
 public:
  void tabViewIsActive(bool) override {}
  int selectedTabViewItemIndex() const override { return 0; }
  void setSelectedTabViewItemIndex(int) override {}
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<size_t>(std::clamp(p * static_cast<double>(values.size() - 1), 0.0,
                                                    static_cast<double>(values.size() - 1)));
  return values[index];
}

// The event loop blocks as the window's does: a polling loop here would
// wake 2000 times a second and count its own cost as the players'.
void runFor(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(seconds * 1000.0), &loop, &QEventLoop::quit);
  loop.exec();
}

bool waitFor(const std::function<bool()>& done, int ms = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: bench_playback CARD_ROOT [--gl] [--graph] [--seconds N]\n");
    return 2;
  }
  const QString root = args.at(1);
  const bool gl = args.contains(QStringLiteral("--gl"));
  // The window's bottom pane under the players, fed by the same tick.
  const bool withGraph = args.contains(QStringLiteral("--graph"));
  double seconds = 20.0;
  if (const qsizetype i = args.indexOf(QStringLiteral("--seconds")); i > 0 && i + 1 < args.size()) {
    seconds = args.at(i + 1).toDouble();
  }

  DCFInfoList recordings;
  QDirIterator it(root + QStringLiteral("/NORMAL"), {QStringLiteral("F_*.MP4")}, QDir::Files);
  QStringList fronts;
  while (it.hasNext()) fronts << it.next();
  fronts.sort();
  for (const QString& path : fronts) {
    recordings << std::make_shared<DCFInfo>(root, QStringLiteral("NORMAL/") + QFileInfo(path).fileName());
    recordings.last()->setThumbnailPath(QStringLiteral("bench"));  // no background parse
  }
  if (recordings.isEmpty()) {
    std::fprintf(stderr, "no recordings under %s/NORMAL\n", qPrintable(root));
    return 2;
  }

  CustomAVPlayer::Options options = gl ? ZoomPlayerViewController::windowOptions() : CustomAVPlayer::Options{};
  options.audioOutput = QStringLiteral("null");
  QWidget window;
  auto* column = new QVBoxLayout(&window);
  column->setContentsMargins(0, 0, 0, 0);
  auto* layout = new QHBoxLayout;
  column->addLayout(layout, 1);
  auto* front = new ZoomPlayerViewController(options, &window);
  auto* rear = new ZoomPlayerViewController(options, &window);
  layout->addWidget(front);
  layout->addWidget(rear);
  front->becomePrimaryPlayer();
  GraphViewController* graph = nullptr;
  if (withGraph) {
    graph = new GraphViewController(&window);
    column->addWidget(graph);
  }
  window.resize(1280, withGraph ? 640 : 400);
  if (gl) window.show();

  MediaController controller;
  BenchList list(&controller);
  BenchList events(&controller);
  BenchTabs tabs;
  QObject tabsContext;
  tabs.observe(controller.catalogue(), &list, &events, &tabsContext);
  controller.setPlayerVC(front);
  controller.setPlayerVCSecondary(rear);
  controller.setPlayerVCs({front, rear});
  controller.setDcfListVC(&list);
  front->setMediaController(&controller);
  if (graph != nullptr) {
    graph->observe(controller.catalogue(), controller.clock());
    QObject::connect(graph, &GraphViewController::seekRequested, &controller, &MediaController::updateProgress);
  }

  // Every tick of the primary (the progress handler ran just before).
  QElapsedTimer clock;
  clock.start();
  std::vector<double> tickTimes;
  std::vector<double> drifts;
  bool measuring = false;
  bool measureDrift = false;
  double handoverStart = -1.0;
  std::vector<double> handovers;
  // Hand-overs during the 16x phase, kept apart.
  std::vector<double> handovers16;
  std::vector<double>* handoverSink = &handovers;
  int loadsAtEnd = 0;
  int loads = 0;
  double advanced = 0.0;
  double lastPosition = -1.0;
  QObject::connect(front->engine().player(), &CustomAVPlayer::loaded, [&] { ++loads; });
  QObject::connect(front->engine().player(), &CustomAVPlayer::endOfItem, [&] {
    handoverStart = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    loadsAtEnd = loads;
  });
  QObject::connect(&front->engine(), &PlayerPaneEngine::timeUpdated, [&] {
    const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    CustomAVPlayer* f = front->engine().player();
    if (handoverStart >= 0.0 && loads > loadsAtEnd && f->isPlaying()) {
      handoverSink->push_back(now - handoverStart);
      handoverStart = -1.0;
    }
    if (!measuring) return;
    tickTimes.push_back(now);
    const double position = f->position();
    if (lastPosition >= 0.0) {
      const double step = position - lastPosition;
      // Across a hand-over the file starts again: count the tail and the head.
      advanced += step >= 0.0 ? step : (f->duration() - lastPosition) + position;
    }
    lastPosition = position;
    if (measureDrift && rear->engine().player()->isLoaded() && rear->isPlaying()) {
      drifts.push_back(std::abs(position - rear->engine().player()->position()) * 1000.0);
    }
  });

  controller.catalogue()->setMediaInfoWithRootPath(root, recordings, {});
  if (!waitFor([&] { return front->isPlaying() && front->progress() > 0.0F && rear->isPlaying(); })) {
    std::fprintf(stderr, "playback did not start\n");
    return 1;
  }
  runFor(1.0);

  struct Phase {
    double tickHz, tickP99, cpu, achieved;
  };
  auto phase = [&](double rate, double duration, bool drift) {
    front->updatePlaybackRate(rate);
    runFor(0.5);
    tickTimes.clear();
    advanced = 0.0;
    lastPosition = -1.0;
    measureDrift = drift;
    measuring = true;
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(duration);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = (cpuSeconds() - cpu0) / elapsed * 100.0;
    measuring = false;
    std::vector<double> intervals;
    for (size_t i = 1; i < tickTimes.size(); ++i) intervals.push_back(tickTimes[i] - tickTimes[i - 1]);
    return Phase{static_cast<double>(tickTimes.size()) / elapsed, percentile(intervals, 0.99), cpu,
                 advanced / elapsed};
  };

  // 1x: drift, tick and CPU.
  const Phase one = phase(1.0, seconds, true);
  // Hand-overs: three ends of a clip at 1x.
  for (int i = 0; i < 3; ++i) {
    const size_t before = handovers.size();
    front->setCurrentProgress(static_cast<float>(1.0 - 1.0 / front->originalTotalTime()));
    if (!waitFor([&] { return handovers.size() > before; })) break;
    runFor(0.3);
  }
  const Phase four = phase(4.0, seconds / 2.0, false);
  handoverSink = &handovers16;
  const Phase sixteen = phase(16.0, 10.0, false);
  // The picture stands still from a clip's end until the next one plays:
  // counted in frames of the 30 fps video that were not shown in time.
  const double handover16 = handovers16.empty() ? -1.0 : percentile(handovers16, 1.0);
  constexpr double kFrameMs = 1000.0 / 30.0;

  std::printf("drift_median_ms=%.1f\n", percentile(drifts, 0.5));
  std::printf("drift_p95_ms=%.1f\n", percentile(drifts, 0.95));
  std::printf("tick_hz=%.1f\n", one.tickHz);
  std::printf("tick_p99_ms=%.1f\n", one.tickP99);
  std::printf("handover_ms=%.1f\n", handovers.empty() ? -1.0 : percentile(handovers, 0.5));
  std::printf("cpu_1x=%.0f\n", one.cpu);
  std::printf("cpu_4x=%.0f\n", four.cpu);
  std::printf("rate16_achieved=%.1f\n", sixteen.achieved);
  std::printf("cpu_16x=%.0f\n", sixteen.cpu);
  std::printf("handover16_ms=%.1f\n", handover16);
  std::printf("handover16_late_frames=%.0f\n", handover16 < 0.0 ? -1.0 : std::floor(handover16 / kFrameMs));
  const QWidget* surface = front->videoSurface() != nullptr ? front->videoSurface()->widget() : nullptr;
  std::printf("surface=%s\n", surface == nullptr                                ? "none"
                               : qobject_cast<const MpvOpenGLWidget*>(surface) != nullptr ? "opengl"
                                                                                         : "software");
  std::fflush(stdout);
  controller.dispose();
  return 0;
}
