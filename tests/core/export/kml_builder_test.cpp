#include "core/catalogue/sample_card_maker.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/telemetry/nmea_data.h"
#include "support/scratch_mount.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <QThreadPool>

#include <future>
#include <zip.h>

namespace dashcard {
namespace {

using test::spinUntil;

// What a reader sees in a written KML document.
struct ReadBack {
  bool wellFormed = false;
  QStringList folderNames;
  QStringList styleUrls;
  QStringList styleMapIds;
  QStringList placemarkNames;
  QStringList lineCoordinates;
  QStringList trackCoords;
  QString documentName;
};

ReadBack readKml(const QByteArray& data) {
  ReadBack result;
  QXmlStreamReader xml(data);
  QStringList path;
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      const QString name = xml.name().toString();
      const QString parent = path.isEmpty() ? QString() : path.last();
      path << name;
      if (name == QLatin1String("StyleMap")) {
        result.styleMapIds << xml.attributes().value(QStringLiteral("id")).toString();
      } else if (name == QLatin1String("name") || name == QLatin1String("styleUrl") ||
                 name == QLatin1String("coordinates") || name == QLatin1String("coord")) {
        const QString text = xml.readElementText();
        path.removeLast();
        if (name == QLatin1String("name") && parent == QLatin1String("Folder")) result.folderNames << text;
        if (name == QLatin1String("name") && parent == QLatin1String("Placemark")) result.placemarkNames << text;
        if (name == QLatin1String("name") && parent == QLatin1String("Document")) result.documentName = text;
        if (name == QLatin1String("styleUrl")) result.styleUrls << text;
        if (name == QLatin1String("coordinates") && parent == QLatin1String("LineString")) result.lineCoordinates << text;
        if (name == QLatin1String("coord")) result.trackCoords << text;
      }
    } else if (token == QXmlStreamReader::EndElement) {
      path.removeLast();
    }
  }
  result.wellFormed = !xml.hasError();
  return result;
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Entries of a zip archive with their contents.
QMap<QString, QByteArray> readZip(const QString& path) {
  QMap<QString, QByteArray> entries;
  int error = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
  if (archive == nullptr) {
    return entries;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    QByteArray content(static_cast<qsizetype>(stat.size), '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
    entries.insert(QString::fromUtf8(stat.name), content);
  }
  zip_close(archive);
  return entries;
}

// GDAL's summary of a KML source. ogrinfo comes with gdal-bin, which
// scripts/install-deps.sh installs: without it the test fails, never passes quietly.
QString ogrSummary(const QString& source, int* exitCode) {
  EXPECT_FALSE(QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty())
      << "ogrinfo is missing: run scripts/install-deps.sh";
  QProcess process;
  process.start(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"), QStringLiteral("-so"), source});
  process.waitForFinished(60000);
  *exitCode = process.exitCode();
  return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// A card of one-minute recordings starting at the given times (noon UTC is
// the same calendar day in every zone from -11 to +11 hours).
class KmlCard {
 public:
  void add(const QString& folder, const QDateTime& startUtc, int coldStartSeconds = 0) {
    const QString stamp = startUtc.toString(QStringLiteral("yyyyMMddHHmmss"));
    const QString letter = folder == QLatin1String("NORMAL") ? QStringLiteral("N")
                           : folder == QLatin1String("MANUAL") ? QStringLiteral("M")
                                                               : QStringLiteral("E");
    const QString base = QStringLiteral("%1_%1_%2").arg(stamp, letter);
    write(folder + QStringLiteral("/F_") + base + QStringLiteral(".MP4"), {});
    write(QStringLiteral("NMEA/") + folder + QStringLiteral("/N_") + base + QStringLiteral(".NMEA"),
          SampleCardMaker::driveTelemetry(static_cast<std::uint64_t>(count_++), startUtc, 60, coldStartSeconds,
                                          folder == QLatin1String("EVENT")));
  }
  DCFInfoList recordings() const { return test::scanRecordings(dir_.path()); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }

 private:
  void write(const QString& relative, const QByteArray& data) {
    const QString path = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
  }
  QTemporaryDir dir_;
  int count_ = 1;
};

QDateTime noon(int day) { return QDateTime(QDate(2024, 3, day), QTime(12, 0, 0), Qt::UTC); }

struct BuildResult {
  bool finished = false;
  std::optional<QString> error;
  QList<float> progress;
};

BuildResult build(const DCFInfoList& infos, const QString& target) {
  BuildResult result;
  auto builder = DCFAsyncKMLBuilder::create();
  builder->kmlBuildAsync(
      infos, target, [&result](const DCFInfoPtr&, float value) { result.progress << value; },
      [&result](const std::optional<QString>& error) {
        result.finished = true;
        result.error = error;
      });
  EXPECT_TRUE(spinUntil([&result] { return result.finished; }));
  return result;
}

TEST(KmlBuilder, DaysBecomeRouteFoldersAndEventsPlacemarks) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(1));
  card.add(QStringLiteral("NORMAL"), noon(1).addSecs(60));
  card.add(QStringLiteral("NORMAL"), noon(2));
  card.add(QStringLiteral("EVENT"), noon(3));
  card.add(QStringLiteral("MANUAL"), noon(3).addSecs(120));
  const DCFInfoList infos = card.recordings();
  ASSERT_EQ(infos.size(), 5);
  const QString target = card.filePath(QStringLiteral("out/route é.kml"));
  QDir().mkpath(card.filePath(QStringLiteral("out")));
  const BuildResult result = build(infos, target);
  EXPECT_FALSE(result.error.has_value());
  ASSERT_EQ(result.progress.size(), 5);
  EXPECT_FLOAT_EQ(result.progress.first(), 0.2f);
  EXPECT_FLOAT_EQ(result.progress.last(), 0.99f);

  const QByteArray data = readFile(target);
  EXPECT_TRUE(data.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"));
  EXPECT_FALSE(data.contains("standalone"));
  EXPECT_EQ(data.count('\n'), data.count("\r\n"));
  EXPECT_EQ(data.count('\r'), data.count("\r\n"));
  EXPECT_TRUE(data.endsWith("</kml>\r\n"));

  const ReadBack kml = readKml(data);
  ASSERT_TRUE(kml.wellFormed);
  EXPECT_EQ(kml.documentName, "ROUTE");
  EXPECT_EQ(kml.styleMapIds, (QStringList{"tracks0", "tracks1", "tracks2", "tracks3", "tracks4", "tracks5", "tracks6",
                                          "Events0", "Events1", "Events2", "Events3"}));
  ASSERT_EQ(kml.folderNames.size(), 4);  // three days and the events
  EXPECT_EQ(kml.folderNames.last(), "Event");
  EXPECT_EQ(kml.styleUrls, (QStringList{"#tracks0", "#tracks1", "#tracks2", "#Events0", "#Events1"}));
  EXPECT_EQ(kml.placemarkNames, (QStringList{"EVENT RECORD", "MANUAL RECORD"}));
  ASSERT_EQ(kml.lineCoordinates.size(), 3);
  for (const QString& coordinates : kml.lineCoordinates) {
    EXPECT_TRUE(coordinates.endsWith(QStringLiteral(",0.0 ")));
  }
  // The first day holds both of its clips.
  const qsizetype day1Fixes = kml.lineCoordinates.first().count(QLatin1Char(' '));
  EXPECT_EQ(kml.trackCoords.size(), day1Fixes + kml.lineCoordinates[1].count(' ') + kml.lineCoordinates[2].count(' '));
  EXPECT_GT(day1Fixes, kml.lineCoordinates[1].count(' '));
  EXPECT_EQ(kml.trackCoords.first().split(' ').first().section('.', 1).size(), 12);

  int exitCode = 0;
  const QString summary = ogrSummary(target, &exitCode);
  EXPECT_EQ(exitCode, 0) << summary.toStdString();
  EXPECT_TRUE(summary.contains(QStringLiteral("Feature Count"))) << summary.toStdString();
}

TEST(KmlBuilder, NewestFirstStaysOneGroupAndAnEighthDayReusesTheFirstStyle) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(1));
  card.add(QStringLiteral("NORMAL"), noon(2));
  DCFInfoList infos = card.recordings();
  std::reverse(infos.begin(), infos.end());
  for (const auto& info : infos) {
    info->nmea()->setup();
  }
  EXPECT_EQ(DCFAsyncKMLBuilder::dayGroups(infos).size(), 1u);
  std::reverse(infos.begin(), infos.end());
  EXPECT_EQ(DCFAsyncKMLBuilder::dayGroups(infos).size(), 2u);

  const std::vector<CustomLocation> one{CustomLocation(35.0, 139.0, 0, 1, 1, noon(1))};
  const auto folder = DCFAsyncKMLBuilder::routeNodeFolderWithLocations(one, 7);
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->child("Placemark")->child("styleUrl")->text, "#tracks0");
  EXPECT_FALSE(DCFAsyncKMLBuilder::routeNodeFolderWithLocations(std::vector<CustomLocation>{}, 0).has_value());
  EXPECT_FALSE(DCFAsyncKMLBuilder::styleMapForTracksNodeWithIndex(7, 0).has_value());
  EXPECT_FALSE(DCFAsyncKMLBuilder::styleMapForTracksNodeWithIndex(4, 1).has_value());
  EXPECT_FALSE(DCFAsyncKMLBuilder::styleMapForTracksNodeWithIndex(0, 2).has_value());
}

TEST(KmlBuilder, WrittenTrackEqualsItsWhenAndCoordNodes) {
  // The track's pairs are written without nodes; they must read the same.
  std::vector<CustomLocation> fixes{CustomLocation(-33.5, 151.25, 0, 1, 1, noon(2)),
                                    CustomLocation(-33.500001, 151.250002, 0, 1, 1, noon(2).addSecs(1))};
  const auto folder = DCFAsyncKMLBuilder::routeNodeFolderWithLocations(fixes, 1);
  ASSERT_TRUE(folder.has_value());
  XmlNode expected = *folder;
  XmlNode& track = expected.children.at(1).children.at(2);
  ASSERT_EQ(track.name, "Track");
  track.rawChildren.clear();
  for (const CustomLocation& fix : fixes) {
    for (XmlNode& node : DCFAsyncKMLBuilder::whenAndCoordNodesForLocation(fix)) {
      track.children.push_back(std::move(node));
    }
  }
  EXPECT_EQ(XmlNode::prettyPrintedDocument(*folder), XmlNode::prettyPrintedDocument(expected));
  EXPECT_EQ(track.children.at(1).text, "151.250000000000 -33.500000000000 0");
  EXPECT_TRUE(folder->child("Placemark")->child("LineString")->child("coordinates")->text.endsWith(
      "151.250002,-33.500001,0.0 "));
}

TEST(KmlBuilder, CardWithoutFixesGivesStylesAndAnEmptyEventFolder) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(1), 60);
  card.add(QStringLiteral("EVENT"), noon(1).addSecs(60), 60);
  const QString target = card.filePath(QStringLiteral("none.kml"));
  const BuildResult result = build(card.recordings(), target);
  EXPECT_FALSE(result.error.has_value());
  EXPECT_EQ(result.progress.size(), 2);
  const ReadBack kml = readKml(readFile(target));
  ASSERT_TRUE(kml.wellFormed);
  EXPECT_EQ(kml.styleMapIds.size(), 11);
  EXPECT_EQ(kml.folderNames, QStringList{"Event"});
  EXPECT_TRUE(kml.placemarkNames.isEmpty());
}

TEST(KmlBuilder, KmzIsAnArchiveWhateverTheCaseOfItsExtension) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(5));
  card.add(QStringLiteral("EVENT"), noon(5).addSecs(60));
  const DCFInfoList infos = card.recordings();
  const QString kml = card.filePath(QStringLiteral("plain.kml"));
  ASSERT_FALSE(build(infos, kml).error.has_value());
  const QString kmz = card.filePath(QStringLiteral("ROUTE.KMZ"));
  ASSERT_FALSE(build(infos, kmz).error.has_value());
  const QMap<QString, QByteArray> entries = readZip(kmz);
  ASSERT_EQ(entries.keys(), QStringList{"route.kml"});
  EXPECT_EQ(entries.value("route.kml"), readFile(kml));

  int exitCode = 0;
  const QString summary = ogrSummary(QStringLiteral("/vsizip/") + kmz + QStringLiteral("/route.kml"), &exitCode);
  EXPECT_EQ(exitCode, 0) << summary.toStdString();
  EXPECT_TRUE(summary.contains(QStringLiteral("Feature Count"))) << summary.toStdString();

  // An existing archive keeps its other entries and gets route.kml replaced.
  const QString shared = card.filePath(QStringLiteral("shared.kmz"));
  {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(shared).constData(), ZIP_CREATE, &error);
    ASSERT_NE(archive, nullptr);
    static const char notes[] = "notes";
    static const char old[] = "old";
    zip_file_add(archive, "notes.txt", zip_source_buffer(archive, notes, 5, 0), 0);
    zip_file_add(archive, "route.kml", zip_source_buffer(archive, old, 3, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
  }
  ASSERT_FALSE(build(infos, shared).error.has_value());
  const QMap<QString, QByteArray> merged = readZip(shared);
  EXPECT_EQ(merged.value("notes.txt"), "notes");
  EXPECT_EQ(merged.value("route.kml"), readFile(kml));
  EXPECT_EQ(merged.size(), 2);
}

TEST(KmlBuilder, WriteFailuresReachTheFinishCallback) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(7));
  const DCFInfoList infos = card.recordings();
  // A file that is not an archive is not silently replaced.
  const QString notZip = card.filePath(QStringLiteral("text.kmz"));
  {
    QFile file(notZip);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an archive");
  }
  const BuildResult packing = build(infos, notZip);
  ASSERT_TRUE(packing.error.has_value());
  EXPECT_FALSE(packing.error->isEmpty());
  EXPECT_EQ(readFile(notZip), "not an archive");

  const BuildResult missingFolder = build(infos, card.filePath(QStringLiteral("no such folder/route.kml")));
  EXPECT_TRUE(missingFolder.error.has_value());

  test::ScratchMount disk(64 * 1024, true);
  if (disk.ok()) {
    EXPECT_TRUE(build(infos, disk.filePath(QStringLiteral("route.kml"))).error.has_value());
    EXPECT_TRUE(build(infos, disk.filePath(QStringLiteral("route.kmz"))).error.has_value());
    EXPECT_TRUE(QDir(disk.path()).isEmpty());
  }
  // A disk too small for the document: an error and no partial or temporary file.
  test::ScratchMount full(64 * 1024);
  if (full.ok()) {
    QFile filler(full.filePath(QStringLiteral("filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    const BuildResult kml = build(infos, full.filePath(QStringLiteral("route.kml")));
    ASSERT_TRUE(kml.error.has_value());
    EXPECT_TRUE(kml.error->contains(QStringLiteral("No space"))) << kml.error->toStdString();
    EXPECT_TRUE(build(infos, full.filePath(QStringLiteral("route.kmz"))).error.has_value());
    EXPECT_EQ(QDir(full.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("filler")});
  }
}

TEST(KmlBuilder, CancelWhileParsingLeavesNoFileAndNoCallback) {
  KmlCard card;
  for (int i = 0; i < 6; ++i) {
    card.add(QStringLiteral("NORMAL"), noon(9).addSecs(60 * i));
  }
  const QString target = card.filePath(QStringLiteral("cancelled.kml"));
  auto builder = DCFAsyncKMLBuilder::create();
  bool finished = false;
  int reports = 0;
  builder->kmlBuildAsync(
      card.recordings(), target,
      [&](const DCFInfoPtr&, float) {
        ++reports;
        builder->setCancelFlag(true);
      },
      [&](const std::optional<QString>&) { finished = true; });
  ASSERT_TRUE(test::spinUntilIdle());
  QCoreApplication::processEvents();
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(finished);
  EXPECT_FALSE(QFile::exists(target));
}

TEST(KmlBuilder, EmptyAndRefusedStartsFinishOnceWithAnError) {
  const BuildResult empty = build({}, QStringLiteral("/tmp/never.kml"));
  EXPECT_TRUE(empty.error.has_value());
  EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/never.kml")));

  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(11));
  auto builder = DCFAsyncKMLBuilder::create();
  std::vector<std::optional<QString>> firstEnds;
  std::vector<std::optional<QString>> secondEnds;
  const QString target = card.filePath(QStringLiteral("once.kml"));
  test::HeldJobPool pool;
  ASSERT_TRUE(pool.held());
  builder->kmlBuildAsync(card.recordings(), target, {}, [&](const std::optional<QString>& e) { firstEnds.push_back(e); });
  builder->kmlBuildAsync(card.recordings(), target, {}, [&](const std::optional<QString>& e) { secondEnds.push_back(e); });
  // The second is refused while the first is certainly still queued.
  ASSERT_TRUE(spinUntil([&] { return !secondEnds.empty(); }));
  EXPECT_TRUE(firstEnds.empty());
  EXPECT_TRUE(secondEnds.front().has_value());
  pool.release();
  ASSERT_TRUE(spinUntil([&] { return !firstEnds.empty(); }));
  EXPECT_FALSE(builder->isRunning());
  ASSERT_EQ(firstEnds.size(), 1u);
  EXPECT_FALSE(firstEnds.front().has_value()) << firstEnds.front()->toStdString();
  EXPECT_EQ(secondEnds.size(), 1u);
  EXPECT_TRUE(QFile::exists(target));
}

// Qt's drawing on the main thread waits for Qt's global pool; a job that
// waits for the main thread must never hold one of that pool's threads.
TEST(KmlBuilder, RunsWhileQtsGlobalPoolIsBusy) {
  KmlCard card;
  card.add(QStringLiteral("NORMAL"), noon(11));
  QThreadPool* global = QThreadPool::globalInstance();
  const int threads = global->maxThreadCount();
  global->setMaxThreadCount(1);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  global->start([released] { released.wait(); });
  const BuildResult result = build(card.recordings(), card.filePath(QStringLiteral("busy.kml")));
  release.set_value();
  global->waitForDone();
  global->setMaxThreadCount(threads);
  EXPECT_TRUE(result.finished);
  EXPECT_FALSE(result.error.has_value());
}

TEST(KmlBuilder, FooterFallsBackToCorrectedValues) {
  CustomLocation location(35.123456789, 139.5, 0, 1, 1, -1.0, -1.0, noon(1));
  location.correctedSpeed = 10.0;  // 36 km/h
  location.correctedDirection = 123.45;
  const QString footer = DCFAsyncKMLBuilder::descriptionFooter(location, QStringLiteral("EVENT RECORD"));
  const bool mph = CustomLocation::shouldUseMilePerHour();
  EXPECT_TRUE(footer.contains(mph ? QStringLiteral("SPD: 22.4 mph<br>") : QStringLiteral("SPD: 36.0 km/h<br>")))
      << footer.toStdString();
  EXPECT_TRUE(footer.contains(QStringLiteral("DIRECTION: 123.4 °")) || footer.contains(QStringLiteral("DIRECTION: 123.5 °")));
  EXPECT_TRUE(footer.endsWith(QStringLiteral(" °")));
  EXPECT_TRUE(footer.contains(QStringLiteral("LAT.: 35.123457<br>LONG.: 139.500000<br>")));
  EXPECT_TRUE(footer.contains(QStringLiteral("EVENT: EVENT RECORD<br>")));

  CustomLocation slow(35.0, 139.0, 0, 1, 1, 90.0, 0.4 / 3.6, noon(1));  // 0.4 km/h
  EXPECT_TRUE(DCFAsyncKMLBuilder::descriptionFooter(slow, {}).contains(QStringLiteral("SPD: 0.0 ")));
  const XmlNode description = DCFAsyncKMLBuilder::descriptionNodeForLocation(slow, QStringLiteral("X"));
  EXPECT_TRUE(description.text.startsWith("<![CDATA[<img src='data:image/jpeg;base64,"));
  const std::vector<XmlNode> lookAt = DCFAsyncKMLBuilder::lookAtNodesForLocation(location);
  ASSERT_EQ(lookAt.size(), 5u);
  EXPECT_EQ(lookAt[4].text, "123.450000");
}

TEST(KmlBuilder, BannerIsABaseline192By108Jpeg) {
  const QByteArray jpeg = DCFAsyncKMLBuilder::bannerJpeg();
  const QImage banner = QImage::fromData(jpeg, "JPG");
  EXPECT_EQ(banner.size(), QSize(192, 108));
  EXPECT_TRUE(jpeg.contains("\xff\xc0"));   // baseline frame
  EXPECT_FALSE(jpeg.contains("\xff\xc2"));  // no progressive frame
}

}  // namespace
}  // namespace dashcard
