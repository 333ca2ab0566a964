// One video of a span across clips: what players and other tools read back.
#include "core/media/incident_export.h"
#include "core/common/atomic_file.h"
#include "core/common/hardware_decoding.h"
#include "core/export/gpx_writer.h"
#include "core/media/clip_rebuilder.h"
#include "core/media/recording_span.h"
#include "core/media/video_frame_grabber.h"
#include "support/scratch_mount.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace dashcard {
namespace {

constexpr double kFrame = 1.0 / 30.0;  // the demo card's frame time
constexpr double kGop = 1.0;           // and its key frame distance

const test::TempCard& card() { return test::sharedCard(6, 3, true); }

QDateTime clipStart(int index, double plusSeconds = 0.0) {
  return card().clips().at(index).start.addMSecs(std::llround(plusSeconds * 1000.0));
}

QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(120000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// Per stream ("video"/"audio"): the packets' decode times, in file order.
QMap<QString, QList<double>> packetTimes(const QString& path) {
  QMap<QString, QList<double>> times;
  const QString csv =
      run("ffprobe", {"-v", "error", "-show_entries", "packet=codec_type,dts_time", "-of", "csv=p=0", path});
  for (const QString& line : csv.split('\n', Qt::SkipEmptyParts)) {
    const QStringList fields = line.split(',');
    if (fields.size() >= 2) times[fields.at(0)].append(fields.at(1).toDouble());
  }
  return times;
}

double videoDuration(const QString& path) {
  return run("ffprobe",
             {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=duration", "-of", "csv=p=0", path})
      .trimmed()
      .toDouble();
}

// Mean difference of the grey levels of two same-size pictures (0..255).
double meanDifference(const QImage& a, const QImage& b) {
  if (a.isNull() || a.size() != b.size()) return 255.0;
  const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
  const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
  double sum = 0.0;
  for (int y = 0; y < ga.height(); ++y) {
    for (int x = 0; x < ga.width(); ++x) sum += std::abs(ga.constScanLine(y)[x] - gb.constScanLine(y)[x]);
  }
  return sum / (ga.width() * ga.height());
}

std::optional<QString> exportNow(IncidentExportRequest request,
                                 const std::function<void(IncidentExporter&)>& onProgress = {},
                                 double* writtenFraction = nullptr) {
  auto exporter = IncidentExporter::create();
  bool finished = false;
  int calls = 0;
  std::optional<QString> result;
  exporter->exportAsync(
      std::move(request),
      [&](const QString&, float) {
        if (onProgress) onProgress(*exporter);
      },
      [&](const std::optional<QString>& error) {
        result = error;
        finished = true;
        ++calls;
      });
  EXPECT_TRUE(test::spinUntil([&] { return finished; }));
  EXPECT_TRUE(test::spinUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  if (writtenFraction != nullptr) *writtenFraction = exporter->writtenFraction();
  return result;
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

// A copy of the shared card that a test may damage.
void copyCard(const QString& target) {
  QDirIterator it(card().root(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString relative = QDir(card().root()).relativeFilePath(path);
    QDir(target).mkpath(QFileInfo(relative).path());
    QFile::copy(path, QDir(target).filePath(relative));
  }
}

TEST(IncidentExport, SpansJoinedAsPlayersReadThem) {
  ASSERT_TRUE(card().ok()) << card().error().toStdString();
  // ffprobe comes with ffmpeg (scripts/install-deps.sh): missing is a failure.
  ASSERT_FALSE(QStandardPaths::findExecutable("ffprobe").isEmpty()) << "ffprobe is missing";
  struct Case {
    const char* name;
    ExportCamera camera;
    bool exact;
    bool overlay;
    double tolerance;  // of the duration
    bool sound;
    QSize size;
  };
  const Case cases[] = {
      {"front copy", ExportCamera::Front, false, false, kFrame, true, {320, 180}},
      {"front exact", ExportCamera::Front, true, false, kFrame, true, {320, 180}},
      {"rear copy", ExportCamera::Rear, false, false, kFrame, false, {212, 120}},
      // The rear at the front's height beside it.
      {"side by side", ExportCamera::SideBySide, false, false, kFrame, true, {320 + 318, 180}},
  };
  // From inside the second clip across two joins into the fourth.
  const double startInClip = 1.45;
  const QDateTime from = clipStart(1, startInClip);
  const QDateTime to = clipStart(3, 1.3);
  const double span = from.msecsTo(to) / 1000.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir out;
    IncidentExportRequest request;
    request.recordings = test::scanRecordings(card().root());
    request.from = from;
    request.to = to;
    request.camera = c.camera;
    request.exact = c.exact;
    request.overlay = c.overlay;
    request.targetFilePath = out.filePath("moment.mp4");
    const auto error = exportNow(request);
    ASSERT_FALSE(error) << error->toStdString();
    EXPECT_EQ(filesIn(out.path()), QStringList({"moment.gpx", "moment.kml", "moment.mp4"}));

    const QString file = request.targetFilePath;
    // A copy runs from the key frame (one a second) at or before the start
    // to the one at or after the end.
    const double copied = (3.0 - std::floor(startInClip)) + 3.0 + std::ceil(1.3);
    EXPECT_NEAR(videoDuration(file), c.exact || c.camera == ExportCamera::SideBySide ? span : copied, c.tolerance);
    const auto times = packetTimes(file);
    EXPECT_EQ(times.contains("audio"), c.sound);
    for (const QList<double>& stream : times) {
      EXPECT_TRUE(std::is_sorted(stream.begin(), stream.end(), std::less_equal<double>()) &&
                  std::adjacent_find(stream.begin(), stream.end()) == stream.end());
    }

    VideoFrameGrabber result(file);
    EXPECT_EQ(result.frameSize(), c.size);
    // The first picture is the source's at the start, or at the key frame before it.
    const QString source =
        card().path(c.camera == ExportCamera::Rear ? card().clips().at(1).rearPath : card().clips().at(1).frontPath);
    const double sourceTime =
        c.camera == ExportCamera::SideBySide || c.exact ? startInClip : std::floor(startInClip / kGop) * kGop;
    VideoFrameGrabber original(source);
    const QImage expected = original.frameAt(sourceTime);
    const QImage first = result.frameAt(0.0).copy(QRect(QPoint(0, 0), expected.size()));
    EXPECT_LT(meanDifference(first, expected), 4.0);
    if (c.camera != ExportCamera::Rear) {  // the rear scene hardly moves
      EXPECT_GT(meanDifference(first, original.frameAt(sourceTime + 0.5)), meanDifference(first, expected));
    }
  }
}

TEST(IncidentExport, GpxReadBackByGpsbabel) {
  ASSERT_TRUE(card().ok());
  ASSERT_FALSE(QStandardPaths::findExecutable("gpsbabel").isEmpty()) << "gpsbabel is missing: run scripts/install-deps.sh";
  QTemporaryDir out;
  const DCFInfoList recordings = test::scanRecordings(card().root());
  // The drive has one fix a second on whole seconds.
  const QDateTime from = clipStart(2, 0.5);
  const QDateTime to = clipStart(3, 2.5);
  const auto locations =
      GpxWriter::locationsInSpan(RecordingSpan::readRecordingsInSpan(recordings, from, to), from, to);
  ASSERT_EQ(locations.size(), 5u);
  ASSERT_TRUE(writeFileAtomically(out.filePath("t.gpx"), GpxWriter::document(locations, "t")));
  const QStringList lines =
      run("gpsbabel", {"-t", "-i", "gpx", "-f", out.filePath("t.gpx"), "-o", "unicsv,utc=0", "-F", "-"})
          .split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1 + 5) << lines.join('\n').toStdString();  // a header line, then the points
  EXPECT_TRUE(lines.at(1).contains(clipStart(2, 1.0).toString("HH:mm:ss"))) << lines.at(1).toStdString();
  EXPECT_TRUE(lines.last().contains(clipStart(3, 2.0).toString("HH:mm:ss"))) << lines.last().toStdString();
}

// A missing clip is joined with its gap kept: the clock of the file stays
// the clock of the drive, and the track breaks there.
TEST(IncidentExport, MissingClipKeepsItsGapAndDamagedInputLeavesNothing) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir damaged;
  copyCard(damaged.path());
  const auto& clips = card().clips();
  QFile::remove(damaged.filePath(clips.at(2).frontPath));
  QFile::remove(damaged.filePath(clips.at(2).rearPath));
  QFile::remove(damaged.filePath(clips.at(2).telemetryPath));
  const DCFInfoList recordings = test::scanRecordings(damaged.path());

  QTemporaryDir out;
  IncidentExportRequest request;
  request.recordings = recordings;
  request.from = clipStart(1, 0.0);
  request.to = clipStart(4, 0.0);
  request.targetFilePath = out.filePath("gap.mp4");
  ASSERT_FALSE(exportNow(request));
  EXPECT_NEAR(videoDuration(request.targetFilePath), 9.0, kFrame);
  const auto locations = GpxWriter::locationsInSpan(recordings, request.from, request.to);
  EXPECT_EQ(GpxWriter::segmentCount(locations), 2);

  // Truncated video, missing rear: a clear reason and no file at all.
  QFile truncated(damaged.filePath(clips.at(3).frontPath));
  ASSERT_TRUE(truncated.resize(truncated.size() / 3));
  QFile::remove(damaged.filePath(clips.at(4).rearPath));
  struct Case {
    int clip;
    ExportCamera camera;
    const char* reason;
  };
  for (const Case& c : {Case{3, ExportCamera::Front, "damaged"}, Case{3, ExportCamera::SideBySide, "damaged"},
                        Case{4, ExportCamera::SideBySide, "rear video"}, Case{4, ExportCamera::Rear, "rear video"}}) {
    QTemporaryDir target;
    request.recordings = test::scanRecordings(damaged.path());
    request.from = clipStart(c.clip, 0.0);
    request.to = clipStart(c.clip, 2.5);
    request.camera = c.camera;
    request.targetFilePath = target.filePath("bad.mp4");
    const auto error = exportNow(request);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(c.reason) || error->contains("Cannot read")) << error->toStdString();
    EXPECT_TRUE(filesIn(target.path()).isEmpty()) << filesIn(target.path()).join(' ').toStdString();
  }
}

// The crash clip in the middle of a span: without a repaired copy its time
// is a gap and a warning names it; with one, the copy fills its place.
TEST(IncidentExport, DamagedClipIsAGapWithAWarningOrItsRepairedCopy) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir damaged;
  copyCard(damaged.path());
  const QString cut = damaged.filePath(card().clips().at(2).frontPath);
  QString error;
  ASSERT_TRUE(SampleCardMaker::cutByPowerLoss(cut, 0.6, &error)) << error.toStdString();
  QTemporaryDir out;
  const QString copy = out.filePath("repaired.mp4");
  ASSERT_TRUE(ClipRebuilder::rebuild(cut, {}, copy).ok);

  struct Case {
    const char* name;
    bool withCopy;
    int minPictures, maxPictures;  // two whole clips of 90, and what the copy adds
  } const cases[] = {{"gap", false, 180, 180}, {"copy", true, 180 + 30, 180 + 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IncidentExportRequest request;
    request.recordings = test::scanRecordings(damaged.path());
    request.from = clipStart(1, 0.0);
    request.to = clipStart(4, 0.0);
    request.targetFilePath = out.filePath(QStringLiteral("%1.mp4").arg(c.name));
    if (c.withCopy) request.repairedCopies.insert(cut, copy);
    auto exporter = IncidentExporter::create();
    std::optional<QString> result = QStringLiteral("never finished");
    exporter->exportAsync(request, {}, [&](const std::optional<QString>& e) { result = e; });
    ASSERT_TRUE(test::spinUntil([&] { return !result || *result != "never finished"; }));
    ASSERT_FALSE(result) << result->toStdString();
    const QStringList warnings = exporter->warnings();
    if (c.withCopy) {
      EXPECT_TRUE(warnings.isEmpty()) << warnings.join(' ').toStdString();
    } else {
      ASSERT_EQ(warnings.size(), 1);
      EXPECT_TRUE(warnings.first().contains(QFileInfo(cut).fileName())) << warnings.first().toStdString();
    }
    EXPECT_NEAR(videoDuration(request.targetFilePath), 9.0, 2 * kFrame);
    const auto pictures = packetTimes(request.targetFilePath).value("video").size();
    EXPECT_GE(pictures, c.minPictures);
    EXPECT_LE(pictures, c.maxPictures);
    EXPECT_TRUE(QFile::exists(IncidentExporter::sidePath(request.targetFilePath, "gpx")));
  }
  // Only damaged clips in the span: refused, nothing written.
  IncidentExportRequest alone;
  alone.recordings = test::scanRecordings(damaged.path());
  alone.from = clipStart(2, 0.5);
  alone.to = clipStart(2, 1.5);
  alone.targetFilePath = out.filePath("alone.mp4");
  const auto refused = exportNow(alone);
  ASSERT_TRUE(refused);
  EXPECT_TRUE(refused->contains(QFileInfo(cut).fileName())) << refused->toStdString();
  EXPECT_FALSE(QFile::exists(alone.targetFilePath));
}

// Without a graphics device that decodes (none here) the side-by-side
// export falls back to software silently and writes what software writes.
TEST(IncidentExport, SideBySideFallsBackToSoftwareDecoding) {
  ASSERT_TRUE(card().ok());
  QTemporaryDir out;
  QByteArray written[2];
  for (const bool hardware : {false, true}) {
    IncidentExportRequest request;
    request.recordings = test::scanRecordings(card().root());
    request.from = clipStart(1, 2.5);
    request.to = clipStart(2, 0.5);
    request.camera = ExportCamera::SideBySide;
    request.hardwareDecoding = hardware;
    request.writeGpx = request.writeKml = false;
    request.targetFilePath = out.filePath(hardware ? "hardware.mp4" : "software.mp4");
    const auto error = exportNow(request);
    ASSERT_FALSE(error) << error->toStdString();
    QFile file(request.targetFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    written[hardware] = file.readAll();
  }
  EXPECT_GT(written[0].size(), 1000);
  if (shouldTryHardwareDecoding()) GTEST_SKIP() << "a decoding device node is present here: the bytes may differ";
  EXPECT_EQ(written[0], written[1]);
}

TEST(IncidentExport, CancelAndFullDiskLeaveNoFile) {
  ASSERT_TRUE(card().ok());
  IncidentExportRequest request;
  request.recordings = test::scanRecordings(card().root());
  request.from = clipStart(0);
  request.to = clipStart(5, 3.0);
  request.camera = ExportCamera::SideBySide;
  request.overlay = true;
  {
    QTemporaryDir out;
    request.targetFilePath = out.filePath("cancelled.mp4");
    double atCancel = -1.0;
    double written = -1.0;
    const auto error = exportNow(
        request,
        [&atCancel](IncidentExporter& exporter) {
          if (atCancel < 0.0) atCancel = exporter.writtenFraction();
          exporter.setCancelFlag(true);
        },
        &written);
    EXPECT_EQ(error.value_or(QString()), "Cancelled.");
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
    // The work stopped at the cancel: six clips side by side were far from written.
    ASSERT_GE(atCancel, 0.0);
    EXPECT_LT(written, 0.5) << "cancelled at " << atCancel;
  }
  test::ScratchMount full(64 * 1024);
  if (!full.ok()) GTEST_SKIP() << "a small tmpfs needs root";
  request.camera = ExportCamera::Front;
  request.targetFilePath = full.filePath("full.mp4");
  const auto error = exportNow(request);
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->contains("No space left")) << error->toStdString();
  EXPECT_TRUE(filesIn(full.path()).isEmpty());
}

// The scan does not read the clips' lengths: a span starting inside a clip
// still finds it, and empty or reversed spans find nothing.
TEST(IncidentExport, RecordingsInSpanWithoutKnownLengths) {
  ASSERT_TRUE(card().ok());
  const DCFInfoList recordings = test::scanRecordings(card().root());
  struct Case {
    QDateTime from;
    QDateTime to;
    int first;  // clip index, -1 for none
    int count;
    bool needsLengths;  // past the last clip, whose length is only guessed
  };
  for (const Case& c :
       {Case{clipStart(1, 1.0), clipStart(1, 2.0), 1, 1, false},
        Case{clipStart(1, 2.5), clipStart(3, 0.5), 1, 3, false}, Case{clipStart(2), clipStart(1), -1, 0, false},
        Case{clipStart(5, 4.0), clipStart(5, 9.0), -1, 0, true}}) {
    DCFInfoList found = RecordingSpan::recordingsInSpan(recordings, c.from, c.to);
    if (c.needsLengths) found = RecordingSpan::readRecordingsInSpan(recordings, c.from, c.to);
    ASSERT_EQ(found.size(), c.count);
    if (c.count > 0) {
      EXPECT_EQ(found.first()->startDate(), clipStart(c.first));
    }
  }
}

}  // namespace
}  // namespace dashcard
