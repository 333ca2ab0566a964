#include "core/report/incident_report.h"

#include "core/common/atomic_file.h"
#include "core/common/main_thread.h"
#include "core/common/version.h"
#include "core/export/sha256.h"
#include "core/graph/graph_layer_drawer.h"
#include "core/map/map_renderer.h"
#include "core/map/map_tile_layer.h"
#include "core/map/map_vew_controller.h"
#include "core/map/web_mercator.h"
#include "core/media/incident_export.h"
#include "core/media/recording_span.h"
#include "core/media/span_video_sources.h"
#include "core/media/video_frame_grabber.h"
#include "core/settings/ini_file_loader.h"
#include "core/settings/ini_file_parameters.h"
#include "core/settings/time_zone_item.h"
#include "core/telemetry/nmea_data.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace dashcard {
namespace {

// The report's texts; Japanese when asked for.
struct Texts {
  bool japanese = false;
  QString pick(const char* english, const char* japaneseText) const {
    return QString::fromUtf8(japanese ? japaneseText : english);
  }
};

constexpr QSize kFrameSize{640, 360};
constexpr QSize kMapSize{1600, 1000};
constexpr int kResolution = 150;  // dots per inch of the PDF's page units

QString localText(const QDateTime& time) {
  const QDateTime local = time.toLocalTime();
  return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char(' ') + local.timeZoneAbbreviation();
}

QString utcText(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" UTC");
}

// Everything the pages show, gathered before drawing.
struct Facts {
  DCFInfoList recordings;
  QList<GOPData> groups;
  QList<ReportSecond> seconds;
  QString serial;
  QString version;
  QString timeZone;
  int peakIndex = -1;
  QList<ReportFrames> frames;
  QList<std::pair<QString, QByteArray>> digests;  // shown path, hex digest
  QStringList warnings;                           // what was left out
};

QString timeZoneSetting(const QString& cardRoot) {
  IniFileLoader loader(QDir(cardRoot).filePath(IniFileParameters::IniFileName()));
  if (loader.load() != IniFileLoader::kLoaded || !loader.resultData()) {
    return {};
  }
  const QString value = loader.resultData()->timeZoneValue();
  for (const TimeZoneItem& item : TimeZoneItem::timeZoneItems()) {
    if (item.itemKey() == value) {
      return item.itemName().contains(value) ? item.itemName() : QStringLiteral("%1 (%2)").arg(item.itemName(), value);
    }
  }
  return value;
}

// The telemetry groups of the span, one per second of each recording.
void readSeconds(const IncidentReportRequest& request, Facts& facts) {
  for (const DCFInfoPtr& info : facts.recordings) {
    NMEAData nmea(info->infoFilePath());
    nmea.setup();
    if (facts.serial.isEmpty()) facts.serial = nmea.imeiNumber();
    if (facts.version.isEmpty()) facts.version = nmea.version();
    const GOPList groups = nmea.GOPs();
    for (std::size_t i = 0; i < groups.size(); ++i) {
      const GOPData group = groups[i];
      const QDateTime time = info->startDate().addMSecs(static_cast<qint64>(i) * 1000);
      if (time < request.from || time > request.to) continue;
      ReportSecond second;
      second.time = time.toUTC();
      const CustomLocation& fix = group.location();
      second.hasFix = group.isValid() && fix.hasCoordinate();
      second.latitude = fix.latitude;
      second.longitude = fix.longitude;
      second.speed = fix.displaySpeed();
      second.heading = fix.displayCourse();
      for (const MotionData& motion : group.motions()) {
        second.peakG = std::max({second.peakG, std::abs(motion.gx()), std::abs(motion.gy()), std::abs(motion.gz())});
      }
      for (const DriveSupportData& record : group.driveSupportInfos()) {
        const QString warning = record.appearanceEventName();
        if (!warning.isEmpty() && !second.warnings.contains(warning)) second.warnings << warning;
      }
      facts.groups << group;
      facts.seconds << second;
    }
  }
  for (qsizetype i = 0; i < facts.seconds.size(); ++i) {
    if (facts.peakIndex < 0 || facts.seconds[i].peakG > facts.seconds[facts.peakIndex].peakG) {
      facts.peakIndex = static_cast<int>(i);
    }
  }
}

// The frames at `time`, from the recording that covers it: from a
// damaged video's repaired copy, none from one without.
ReportFrames framesAt(const DCFInfoList& recordings, const QDateTime& time, const QString& label,
                      SpanVideoSources& sources) {
  ReportFrames frames{label, time, {}, {}};
  for (const DCFInfoPtr& info : recordings) {
    const double duration = info->duration();
    const double offset = static_cast<double>(info->startDate().msecsTo(time)) / 1000.0;
    if (offset < 0.0 || offset > duration) continue;
    // The last instant of a clip shows its last frame.
    const double at = std::clamp(offset, 0.0, std::max(0.0, duration - 0.001));
    double frameSeconds = at;
    if (sources.damage(info->filePath()).isEmpty()) {
      VideoFrameGrabber front(sources.source(info->filePath()));
      if (front.isOpen()) frames.front = front.frameAt(at, kFrameSize, &frameSeconds);
    }
    frames.time = info->startDate().addMSecs(std::llround(frameSeconds * 1000.0));
    const QString rearPath = info->secondaryFilePath();
    if (!rearPath.isEmpty() && QFileInfo(rearPath).isFile() && sources.damage(rearPath).isEmpty()) {
      VideoFrameGrabber rear(sources.source(rearPath));
      if (rear.isOpen()) frames.rear = rear.frameAt(at, kFrameSize);
    }
    break;
  }
  return frames;
}

// The route of the span on the built-in map, drawn by the map's own
// renderer, with start, end, highest force and warnings marked.
QImage drawMap(const Facts& facts) {
  QList<MapCoordinate> route;
  for (const ReportSecond& second : facts.seconds) {
    if (second.hasFix) route.append({second.latitude, second.longitude});
  }
  if (route.isEmpty()) return {};
  MapVewController controller;
  controller.viewport().setSize(kMapSize);
  controller.addRouteOverlayLines({std::make_shared<CustomMapPolyline>(route, QColor(0, 90, 255))});
  MapRect area = MapVewController::totalMapRect(controller.mapOverlays());
  controller.focusMapRect(area, false);
  MapTileLayer tiles;
  MapRenderer renderer;
  QImage image(kMapSize, QImage::Format_ARGB32_Premultiplied);
  // Tiles arrive on this thread's event loop; wait until none is pending.
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.draw(painter, controller, tiles, 1.0);
    painter.end();
    if (!tiles.hasPendingTiles() || clock.elapsed() > 20000) break;
    QEventLoop loop;
    QObject::connect(&tiles, &MapTileLayer::updated, &loop, &QEventLoop::quit);
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const auto mark = [&](const ReportSecond& second, const QColor& color, const QString& text) {
    if (!second.hasFix) return;
    const QPointF at = controller.viewport().toScreen(WebMercator::project({second.latitude, second.longitude}));
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(color);
    painter.drawEllipse(at, 11, 11);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(at + QPointF(15, -12), text);
  };
  for (const ReportSecond& second : facts.seconds) {
    if (!second.warnings.isEmpty()) mark(second, QColor(255, 160, 0), QString());
  }
  const auto firstFix = std::find_if(facts.seconds.begin(), facts.seconds.end(), [](auto& s) { return s.hasFix; });
  const auto lastFix = std::find_if(facts.seconds.rbegin(), facts.seconds.rend(), [](auto& s) { return s.hasFix; });
  if (firstFix != facts.seconds.end()) mark(*firstFix, QColor(0, 180, 0), QStringLiteral("A"));
  if (lastFix != facts.seconds.rend()) mark(*lastFix, QColor(220, 0, 0), QStringLiteral("B"));
  if (facts.peakIndex >= 0) mark(facts.seconds[facts.peakIndex], QColor(255, 220, 0), QStringLiteral("G"));
  return image;
}

// Lays out text and pictures top to bottom over A4 pages, with a footer.
class Pages {
 public:
  Pages(QPdfWriter& writer, const Texts& texts) : writer_(writer), texts_(texts), painter_(&writer) {
    width_ = writer.width();
    height_ = writer.height();
    footer_ = QStringLiteral("%1 %2 %3, %4")
                  .arg(texts.pick("Generated by", "作成:"), QString::fromLatin1(kApplicationName),
                       QString::fromLatin1(kVersion), utcText(QDateTime::currentDateTimeUtc()));
    setFont(9);
  }
  ~Pages() { finish(); }

  QPainter& painter() { return painter_; }
  double width() const { return width_; }
  double y() const { return y_; }
  void finish() {
    if (painter_.isActive()) {
      drawFooter();
      painter_.end();
    }
  }
  void setFont(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    if (texts_.japanese) font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(points);
    font.setBold(bold);
    painter_.setFont(font);
  }
  double lineHeight() const { return QFontMetricsF(painter_.font(), &writer_).lineSpacing(); }
  void room(double height) {
    if (y_ + height > height_ - 2 * lineHeight()) newPage();
  }
  void newPage() {
    drawFooter();
    writer_.newPage();
    ++page_;
    y_ = 0;
  }
  // `keepWith`: the height of what follows and must stay on its page.
  void heading(const QString& text, double keepWith = 0) {
    y_ += lineHeight() * 0.5;
    setFont(13, true);
    room(lineHeight() * 3 + keepWith);
    painter_.drawText(QPointF(0, y_ + QFontMetricsF(painter_.font(), &writer_).ascent()), text);
    y_ += lineHeight() * 1.3;
    setFont(9);
  }
  void line(const QString& text, double indent = 0) {
    room(lineHeight());
    const QRectF box(indent, y_, width_ - indent, height_);
    const QRectF used = painter_.boundingRect(box, Qt::TextWrapAnywhere, text);
    room(used.height());
    painter_.drawText(QRectF(indent, y_, width_ - indent, used.height()), Qt::TextWrapAnywhere, text);
    y_ += used.height();
  }
  // One row of cells at the given left edges.
  void row(const QStringList& cells, const QList<double>& lefts) {
    room(lineHeight());
    const double ascent = QFontMetricsF(painter_.font(), &writer_).ascent();
    for (qsizetype i = 0; i < cells.size() && i < lefts.size(); ++i) {
      painter_.drawText(QPointF(lefts[i] * width_, y_ + ascent), cells[i]);
    }
    y_ += lineHeight();
  }
  void picture(const QImage& image, double height, double left = 0, double pictureWidth = -1, bool advance = true) {
    if (pictureWidth < 0) pictureWidth = width_;
    room(height);
    const QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(pictureWidth, height), Qt::KeepAspectRatio);
    painter_.drawImage(QRectF(QPointF(left, y_), fitted), image);
    if (advance) y_ += fitted.height() + lineHeight() * 0.5;
  }
  QRectF take(double height) {
    room(height);
    const QRectF area(0, y_, width_, height);
    y_ += height;
    return area;
  }

 private:
  void drawFooter() {
    QFont keep = painter_.font();
    setFont(7);
    const double baseline = height_ - QFontMetricsF(painter_.font(), &writer_).descent();
    painter_.drawText(QPointF(0, baseline), footer_);
    const QString number = texts_.pick("Page %1", "%1 ページ").arg(page_);
    painter_.drawText(QRectF(0, baseline - lineHeight(), width_, lineHeight() * 1.2), Qt::AlignRight | Qt::AlignBottom,
                      number);
    painter_.setFont(keep);
  }

  QPdfWriter& writer_;
  const Texts& texts_;
  QPainter painter_;
  double width_ = 0;
  double height_ = 0;
  double y_ = 0;
  int page_ = 1;
  QString footer_;
};

void drawCurves(Pages& pages, const Facts& facts, const Texts& texts) {
  const bool metric = QLocale().measurementSystem() == QLocale::MetricSystem;
  double maxSpeed = 1.0;
  double maxG = 0.5;
  for (const ReportSecond& second : facts.seconds) {
    maxSpeed = std::max(maxSpeed, double(CustomLocation::speedForCurrentLocale(std::max(0.0, second.speed))));
    maxG = std::max(maxG, second.peakG);
  }
  maxSpeed = std::ceil(maxSpeed / 10.0) * 10.0;
  maxG = std::ceil(maxG * 2.0) / 2.0;
  pages.line(texts.pick("Speed (blue, 0 to %1 %2) and G-sensor X/Y/Z (±%3 G) over the span; "
                        "the highest force is marked.",
                        "速度（青、0〜%1 %2）と G センサー X/Y/Z（±%3 G）。最大の衝撃を示します。")
                 .arg(maxSpeed)
                 .arg(metric ? QStringLiteral("km/h") : QStringLiteral("mph"))
                 .arg(maxG));
  const QRectF area = pages.take(pages.width() * 0.4);
  GraphLayerDrawer drawer;
  drawer.setCurrentGOPs(facts.groups);
  drawer.setMaxSpeedValue(maxSpeed);
  drawer.setMaxMotionABSValue(maxG);
  drawer.setOffsetX(area.width() * 0.03);
  drawer.setOffsetY(area.height() * 0.04);
  QPainter& painter = pages.painter();
  painter.save();
  painter.setPen(QPen(Qt::black, 3));
  drawer.drawContents(&painter, area);
  const qsizetype count = facts.groups.size();
  if (facts.peakIndex >= 0 && count > 1) {
    const double left = area.left() + drawer.offsetX();
    const double x = left + (area.width() - 2 * drawer.offsetX()) * facts.peakIndex / double(count - 1);
    painter.setPen(QPen(QColor(220, 0, 0), 4, Qt::DashLine));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.drawText(QPointF(x + 8, area.top() + pages.lineHeight()),
                     QStringLiteral("%1 G").arg(facts.seconds[facts.peakIndex].peakG, 0, 'f', 2));
  }
  painter.restore();
}

void drawPdf(QPdfWriter& writer, const IncidentReportRequest& request, const Facts& facts, const QImage& map,
             const Texts& texts) {
  Pages pages(writer, texts);
  pages.setFont(18, true);
  pages.line(texts.pick("Incident report", "事故レポート"));
  pages.setFont(9);

  pages.heading(texts.pick("What and when", "概要"));
  const QString unknown = texts.pick("unknown", "不明");
  pages.line(texts.pick("Card: %1", "カード: %1").arg(QDir::toNativeSeparators(request.cardRoot)));
  pages.line(texts.pick("Camera serial: %1    Version: %2", "カメラのシリアル: %1    バージョン: %2")
                 .arg(facts.serial.isEmpty() ? unknown : facts.serial,
                      facts.version.isEmpty() ? unknown : facts.version));
  // Every time shown is moved by the clock's offset when asked; the names and
  // the data stay on the camera's clock.
  const qint64 correction = std::llround(request.clockCorrectionSeconds * 1000.0);
  const auto localText = [correction](const QDateTime& time) {
    return dashcard::localText(time.addMSecs(-correction));
  };
  const auto utcText = [correction](const QDateTime& time) { return dashcard::utcText(time.addMSecs(-correction)); };
  pages.line(texts.pick("Span (local time): %1 to %2", "期間（現地時刻）: %1 〜 %2")
                 .arg(localText(request.from), localText(request.to)));
  pages.line(texts.pick("Span (UTC): %1 to %2", "期間（UTC）: %1 〜 %2").arg(utcText(request.from), utcText(request.to)));
  if (correction != 0) {
    pages.line(texts
                   .pick("Times corrected by the camera clock's offset from GPS time (%1 s); file names unchanged.",
                         "時刻はカメラの時計と GPS 時刻のずれ（%1 秒）で補正済み。ファイル名は変更なし。")
                   .arg(request.clockCorrectionSeconds, 0, 'f', 1));
  }
  pages.line(texts.pick("Camera time zone setting: %1", "カメラのタイムゾーン設定: %1")
                 .arg(facts.timeZone.isEmpty() ? unknown : facts.timeZone));
  pages.line(texts.pick("Recordings (%1):", "録画（%1 件）:").arg(facts.recordings.size()));
  for (const DCFInfoPtr& info : facts.recordings) {
    pages.line(QStringLiteral("%1   %2   %3 s").arg(info->deltaPath(), localText(info->startDate())).arg(info->duration(), 0, 'f', 1),
               pages.width() * 0.03);
  }
  if (!facts.warnings.isEmpty()) {
    pages.line(texts.pick("Left out:", "除外:"));
    for (const QString& warning : facts.warnings) pages.line(warning, pages.width() * 0.03);
  }

  pages.heading(texts.pick("Route", "経路"), map.isNull() ? 0 : pages.width() * kMapSize.height() / kMapSize.width());
  if (map.isNull()) {
    pages.line(texts.pick("No position fixes in this span.", "この期間に測位データはありません。"));
  } else {
    pages.room(pages.width() * kMapSize.height() / kMapSize.width() + pages.lineHeight());
    pages.line(texts.pick("A: start   B: end   G: highest force   orange: drive-support warnings",
                          "A: 開始   B: 終了   G: 最大の衝撃   橙: 運転支援の警告"));
    pages.picture(map, pages.width() * kMapSize.height() / kMapSize.width());
  }

  pages.heading(texts.pick("Speed and G-sensor", "速度と G センサー"), pages.width() * 0.45);
  drawCurves(pages, facts, texts);

  pages.heading(texts.pick("Frames", "フレーム"));
  const double half = pages.width() * 0.49;
  const double frameHeight = half * kFrameSize.height() / kFrameSize.width();
  for (const ReportFrames& frames : facts.frames) {
    pages.room(frameHeight + pages.lineHeight() * 2);
    pages.line(QStringLiteral("%1: %2 (%3)").arg(frames.label, localText(frames.time), utcText(frames.time)));
    const QString none = texts.pick("(no picture)", "（画像なし）");
    if (!frames.front.isNull()) {
      pages.picture(frames.front, frameHeight, 0, half, false);
    } else {
      pages.painter().drawText(QPointF(0, pages.y() + pages.lineHeight()), none);
    }
    if (!frames.rear.isNull()) {
      pages.picture(frames.rear, frameHeight, pages.width() - half, half, false);
    }
    pages.take(frameHeight + pages.lineHeight() * 0.5);
  }

  pages.heading(texts.pick("Second by second", "1 秒ごとのデータ"));
  const QList<double> lefts{0.0, 0.16, 0.29, 0.43, 0.53, 0.62, 0.71};
  const bool metric = QLocale().measurementSystem() == QLocale::MetricSystem;
  pages.setFont(8, true);
  pages.row({texts.pick("Time", "時刻"), texts.pick("Latitude", "緯度"), texts.pick("Longitude", "経度"),
             texts.pick("Speed", "速度") + (metric ? QStringLiteral(" km/h") : QStringLiteral(" mph")),
             texts.pick("Heading", "方位"), texts.pick("Peak G", "最大 G"), texts.pick("Warnings", "警告")},
            lefts);
  pages.setFont(8);
  for (const ReportSecond& second : facts.seconds) {
    const QString dash = QStringLiteral("–");
    pages.row({second.time.addMSecs(-correction).toLocalTime().toString(QStringLiteral("HH:mm:ss")),
               second.hasFix ? QString::number(second.latitude, 'f', 6) : dash,
               second.hasFix ? QString::number(second.longitude, 'f', 6) : dash,
               second.speed >= 0 ? QString::number(CustomLocation::speedForCurrentLocale(second.speed), 'f', 1) : dash,
               second.heading >= 0 ? QString::number(second.heading, 'f', 0) + QChar(0xb0) : dash,
               QString::number(second.peakG, 'f', 2), second.warnings.join(QStringLiteral(", "))},
              lefts);
  }
  pages.setFont(9);

  pages.heading(texts.pick("SHA-256 of the files", "ファイルの SHA-256"));
  for (const auto& [path, digest] : facts.digests) {
    pages.line(path);
    pages.line(QString::fromLatin1(digest), pages.width() * 0.03);
  }
  pages.finish();
}

}  // namespace

std::shared_ptr<IncidentReporter> IncidentReporter::create() {
  return std::shared_ptr<IncidentReporter>(new IncidentReporter());
}

QStringList IncidentReporter::warnings() const {
  const std::lock_guard<std::mutex> lock(warningsMutex_);
  return warnings_;
}

std::optional<QString> IncidentReporter::write(const IncidentReportRequest& request, const std::atomic<bool>& cancel,
                                               const ProgressBlock& progress, QStringList* warnings) {
  const auto report = [&](double done) {
    if (progress) progress(QString(), static_cast<float>(done));
  };
  const QString cancelled = QStringLiteral("Cancelled.");
  Facts facts;
  SpanVideoSources sources(request.repairedCopies);
  sources.learnCopyLengths(request.recordings, false);
  facts.recordings = RecordingSpan::readRecordingsInSpan(request.recordings, request.from, request.to);
  if (facts.recordings.isEmpty()) {
    return QStringLiteral("No recording covers the span; no report was written.");
  }
  for (const DCFInfoPtr& info : facts.recordings) {
    for (const QString& video : {info->filePath(), info->secondaryFilePath()}) {
      if (const QString why = sources.damage(video); !why.isEmpty()) {
        facts.warnings << SpanVideoSources::gapWarning(why, QStringLiteral("report"));
      }
    }
  }
  if (warnings != nullptr) *warnings = facts.warnings;
  facts.timeZone = timeZoneSetting(request.cardRoot);
  readSeconds(request, facts);
  report(0.2);
  if (cancel.load()) return cancelled;

  const Texts texts{request.language.isEmpty() ? QLocale().language() == QLocale::Japanese
                                               : request.language == QLatin1String("ja")};
  const QDateTime peak = facts.peakIndex >= 0 ? facts.seconds[facts.peakIndex].time : QDateTime();
  facts.frames << framesAt(facts.recordings, request.from, texts.pick("Start", "開始"), sources);
  if (peak.isValid()) {
    facts.frames << framesAt(facts.recordings, peak, texts.pick("Highest force", "最大の衝撃"), sources);
  }
  facts.frames << framesAt(facts.recordings, request.to, texts.pick("End", "終了"), sources);
  report(0.4);
  if (cancel.load()) return cancelled;

  QStringList files;
  for (const DCFInfoPtr& info : facts.recordings) {
    files << info->filePath() << info->secondaryFilePath() << info->infoFilePath();
    // The repaired copies the frames came from.
    for (const QString& video : {info->filePath(), info->secondaryFilePath()}) {
      if (!video.isEmpty() && sources.source(video) != video) files << sources.source(video);
    }
  }
  files << request.exportedFiles;
  for (const QString& file : files) {
    if (file.isEmpty() || !QFileInfo(file).isFile()) continue;
    FileError error;
    const auto digest = Sha256::ofFile(file, Sha256::Source::Cache, &error, &cancel);
    if (cancel.load()) return cancelled;
    if (!digest) return error.message;
    const QString shown = file.startsWith(request.cardRoot + QLatin1Char('/'))
                              ? QDir(request.cardRoot).relativeFilePath(file)
                              : QDir::toNativeSeparators(file);
    facts.digests.append({shown, *digest});
  }
  report(0.7);

  const QImage map = drawMap(facts);
  if (cancel.load()) return cancelled;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(kResolution);
    writer.setTitle(texts.pick("Incident report", "事故レポート"));
    writer.setCreator(QStringLiteral("%1 %2").arg(QString::fromLatin1(kApplicationName), QString::fromLatin1(kVersion)));
    drawPdf(writer, request, facts, map, texts);
  }
  report(0.95);
  if (cancel.load()) return cancelled;
  QString problem;
  if (!writeFileAtomically(request.targetFilePath, buffer.data(), &problem)) {
    return problem.isEmpty() ? QStringLiteral("%1 could not be written.").arg(request.targetFilePath) : problem;
  }
  report(1.0);
  return std::nullopt;
}

void IncidentReporter::reportAsync(IncidentReportRequest request, ProgressBlock progress, DidFinishBlock didFinish) {
  if (!didFinish) didFinish = [](const std::optional<QString>&) {};
  if (isRunning_.exchange(true)) {
    runOnMainThreadAsync([didFinish] { didFinish(QStringLiteral("A report is already being written.")); });
    return;
  }
  std::weak_ptr<IncidentReporter> weakSelf = weak_from_this();
  startBackgroundJob([weakSelf, request = std::move(request), progress = std::move(progress),
                      didFinish = std::move(didFinish)] {
    const auto self = weakSelf.lock();
    if (!self) return;
    const auto onMain = [&](const QString& item, float done) {
      if (progress) runOnMainThread([&] { progress(item, done); }, self->cancelFlag_);
    };
    QStringList warnings;
    const std::optional<QString> result = write(request, self->cancelFlag_, onMain, &warnings);
    {
      const std::lock_guard<std::mutex> lock(self->warningsMutex_);
      self->warnings_ = warnings;
    }
    self->isRunning_ = false;
    runOnMainThread([&] { didFinish(result); });
  });
}

}  // namespace dashcard
