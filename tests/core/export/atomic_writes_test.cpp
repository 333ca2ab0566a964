// The files Dashcard writes go through one atomic writer (a KMZ through
// libzip's own): a failure of its temporary file, injected here instead of
// filling a disk, must leave the old file as it was and no temporary file.
#include "core/catalogue/card_scanner.h"
#include "core/common/atomic_file.h"
#include "core/export/dcf_async_kml_builder.h"
#include "core/media/image_capture.h"
#include "core/media/incident_export.h"
#include "core/settings/ini_file_exporter.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace dashcard {
namespace {

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fails every commit while alive.
class InjectedFailure {
 public:
  explicit InjectedFailure(int error) { AtomicFileWriter::setInjectedFailureForTest(error); }
  ~InjectedFailure() { AtomicFileWriter::setInjectedFailureForTest(0); }
  InjectedFailure(const InjectedFailure&) = delete;
  InjectedFailure& operator=(const InjectedFailure&) = delete;
};

// Runs an asynchronous job that reports its end once; its error.
std::optional<QString> finishOf(const std::function<void(std::function<void(const std::optional<QString>&)>)>& start) {
  bool finished = false;
  std::optional<QString> error;
  start([&](const std::optional<QString>& e) {
    finished = true;
    error = e;
  });
  EXPECT_TRUE(test::spinUntil([&] { return finished; }));
  EXPECT_TRUE(test::spinUntilIdle());
  return error;
}

TEST(AtomicWrites, AFailedWriteKeepsTheOldFileOfEveryOutput) {
  const test::TempCard& card = test::sharedCard(6, 3, true);
  ASSERT_TRUE(card.ok()) << card.error().toStdString();
  const DCFInfoList recordings = CardScanner().scan(card.root()).recordings;
  ASSERT_FALSE(recordings.isEmpty());
  QTemporaryDir out;
  QImage frame(64, 36, QImage::Format_RGB32);
  frame.fill(Qt::darkCyan);

  struct Output {
    const char* what;
    QStringList files;  // all of them written by the one job
    std::function<bool(QString* error)> write;
  };
  const QString span = out.filePath("span.mp4");
  const Output outputs[] = {
      {"settings",
       {out.filePath("rynd_settings.ini")},
       [&](QString* error) {
         RyndSettingInfo changed;
         changed.setAudioValue(QStringLiteral("OFF"));
         return IniFileExporter(out.filePath("rynd_settings.ini")).exportSettings(changed, error);
       }},
      {"KML",
       {out.filePath("route.kml")},
       [&](QString* error) {
         auto builder = DCFAsyncKMLBuilder::create();
         *error = finishOf([&](auto finish) { builder->kmlBuildAsync(recordings, out.filePath("route.kml"), {}, finish); })
                      .value_or(QString());
         return error->isEmpty();
       }},
      {"JPEG picture",
       {out.filePath("shot.jpg")},
       [&](QString* error) {
         return ImageCapture::writeFileWithCaptureImage(frame, std::nullopt, out.filePath("shot.jpg"), error);
       }},
      {"PNG picture",
       {out.filePath("shot.png")},
       [&](QString* error) {
         return ImageCapture::writeFileWithCaptureImage(frame, std::nullopt, out.filePath("shot.png"), error);
       }},
      {"video with its GPX and KML",
       {span, out.filePath("span.gpx"), out.filePath("span.kml")},
       [&](QString* error) {
         IncidentExportRequest request;
         request.recordings = recordings;
         request.from = card.clips().at(1).start;
         request.to = request.from.addSecs(2);
         request.targetFilePath = span;
         auto exporter = IncidentExporter::create();
         *error = finishOf([&](auto finish) { exporter->exportAsync(request, {}, finish); }).value_or(QString());
         return error->isEmpty();
       }},
  };
  for (const Output& output : outputs) {
    for (const QString& file : output.files) {
      ASSERT_TRUE(test::writeFileAt(out.path(), QFileInfo(file).fileName(), "the old file"));
    }
    {
      InjectedFailure failure(ENOSPC);
      QString error;
      EXPECT_FALSE(output.write(&error)) << output.what;
      EXPECT_TRUE(error.contains(QStringLiteral("No space left"))) << output.what << ": " << error.toStdString();
    }
    for (const QString& file : output.files) {
      EXPECT_EQ(readFile(file), "the old file") << output.what << ": " << file.toStdString();
    }
    EXPECT_TRUE(QDir(out.path()).entryList({".*.tmp"}, QDir::Files | QDir::Hidden).isEmpty()) << output.what;
    // Without the failure the same job replaces the old files.
    QString error;
    EXPECT_TRUE(output.write(&error)) << output.what << ": " << error.toStdString();
    for (const QString& file : output.files) {
      EXPECT_NE(readFile(file), "the old file") << output.what << ": " << file.toStdString();
    }
  }
}

// "." + name + ".xxxxxxxx.tmp" must fit a name's limit of 255 bytes too.
TEST(AtomicWrites, NamesUpToTheLimitAreWritten) {
  QTemporaryDir out;
  for (int length : {1, 241, 242, 250, 255}) {
    const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".gpx");
    const QString path = out.filePath(name);
    QString error;
    EXPECT_TRUE(writeFileAtomically(path, "track", &error, false)) << length << ": " << error.toStdString();
    EXPECT_EQ(readFile(path), "track") << length;
  }
  // Two-byte characters: the shortened temporary name is still one file name.
  const QString wide = out.filePath(QString(125, QChar(0x00e9)) + QStringLiteral(".kml"));
  EXPECT_TRUE(writeFileAtomically(wide, "route", nullptr, false));
  EXPECT_EQ(readFile(wide), "route");
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

}  // namespace
}  // namespace dashcard
