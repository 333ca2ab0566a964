#include "core/media/image_capture.h"
#include "support/scratch_mount.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard {
namespace {

QImage testPicture() {
  QImage image(64, 36, QImage::Format_RGB32);
  image.fill(QColor(30, 120, 200));
  for (int x = 0; x < 16; ++x) {
    image.setPixelColor(x, 0, Qt::red);
  }
  return image;
}

CustomLocation southWest() {
  CustomLocation location(-35.5, -139.25, -12.5, 1.0, 1.0, 90.0, 10.0,
                          QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 500), Qt::UTC));
  return location;
}

// exiftool's GPS tags of a file by their names, or empty without exiftool.
QMap<QString, QString> exiftoolGps(const QString& path) {
  QMap<QString, QString> tags;
  if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty()) {
    return tags;
  }
  QProcess process;
  process.start(QStringLiteral("exiftool"), {QStringLiteral("-a"), QStringLiteral("-G1"), QStringLiteral("-n"),
                                             QStringLiteral("-GPS:all"), path});
  process.waitForFinished(30000);
  for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    // "[GPS]           GPS Latitude Ref                : S"
    const qsizetype bracket = line.indexOf(QLatin1Char(']'));
    const qsizetype colon = line.indexOf(QLatin1Char(':'), bracket);
    if (bracket < 0 || colon < 0) {
      continue;
    }
    tags.insert(line.mid(bracket + 1, colon - bracket - 1).trimmed(), line.mid(colon + 1).trimmed());
  }
  return tags;
}

class ImageCaptureTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
};

TEST_F(ImageCaptureTest, GpsEntriesUseReferencesAndAbsoluteValues) {
  const QVariantMap gps = ImageCapture::GPSDictionaryForLocation(southWest());
  EXPECT_EQ(gps.value("LatitudeRef").toString(), "S");
  EXPECT_DOUBLE_EQ(gps.value("Latitude").toDouble(), 35.5);
  EXPECT_EQ(gps.value("LongitudeRef").toString(), "W");
  EXPECT_DOUBLE_EQ(gps.value("Longitude").toDouble(), 139.25);
  EXPECT_EQ(gps.value("AltitudeRef").toInt(), 1);
  EXPECT_DOUBLE_EQ(gps.value("Altitude").toDouble(), 12.5);
  EXPECT_EQ(gps.value("DateStamp").toString(), "2024:02:29");
  EXPECT_EQ(gps.value("TimeStamp").toString(), "23:59:58.500");

  // No time (the epoch) writes no stamps; the equator is north and east.
  CustomLocation origin(0.0, 0.0, 0.0, 1.0, 1.0, CustomLocation::epoch());
  const QVariantMap plain = ImageCapture::GPSDictionaryForLocation(origin);
  EXPECT_EQ(plain.value("LatitudeRef").toString(), "N");
  EXPECT_EQ(plain.value("LongitudeRef").toString(), "E");
  EXPECT_EQ(plain.value("AltitudeRef").toInt(), 0);
  EXPECT_FALSE(plain.contains("DateStamp"));
  EXPECT_TRUE(ImageCapture::metaDataIncludeExifFromLocation(std::nullopt).isEmpty());
}

TEST_F(ImageCaptureTest, JpegCarriesGpsThatOtherReadersSee) {
  const QString path = dir.filePath(QStringLiteral("shot 'one' é.JPG"));  // upper-case extension
  ASSERT_TRUE(ImageCapture::writeFileWithCaptureImage(testPicture(), southWest(), path));
  QImageReader reader(path);
  EXPECT_EQ(reader.format(), "jpeg");
  EXPECT_EQ(reader.size(), QSize(64, 36));

  const QMap<QString, QString> tags = exiftoolGps(path);
  if (tags.isEmpty()) {
    GTEST_SKIP() << "exiftool is not installed";
  }
  EXPECT_EQ(tags.value("GPS Latitude Ref"), "S");
  EXPECT_NEAR(tags.value("GPS Latitude").toDouble(), 35.5, 1e-6);
  EXPECT_EQ(tags.value("GPS Longitude Ref"), "W");
  EXPECT_NEAR(tags.value("GPS Longitude").toDouble(), 139.25, 1e-6);
  EXPECT_EQ(tags.value("GPS Altitude Ref"), "1");
  EXPECT_NEAR(tags.value("GPS Altitude").toDouble(), 12.5, 1e-6);
  EXPECT_EQ(tags.value("GPS Date Stamp"), "2024:02:29");
  EXPECT_EQ(tags.value("GPS Time Stamp"), "23:59:58.5");
  EXPECT_EQ(tags.value("GPS Version ID"), "2 3 0 0");
}

TEST_F(ImageCaptureTest, DegreesRoundIntoTheNextMinute) {
  // 0.99999999999 degrees must not become 0° 59' 60".
  const CustomLocation almostOne(0.99999999999, 179.999999999, 0.0, 1.0, 1.0, CustomLocation::epoch());
  const QString path = dir.filePath(QStringLiteral("edge.jpeg"));
  ASSERT_TRUE(ImageCapture::writeFileWithCaptureImage(testPicture(), almostOne, path));
  const QMap<QString, QString> tags = exiftoolGps(path);
  if (tags.isEmpty()) {
    GTEST_SKIP() << "exiftool is not installed";
  }
  EXPECT_NEAR(tags.value("GPS Latitude").toDouble(), 1.0, 1e-6);
  EXPECT_NEAR(tags.value("GPS Longitude").toDouble(), 180.0, 1e-6);
}

TEST_F(ImageCaptureTest, PngHasNoMetadataAndOtherExtensionsWriteNothing) {
  const QString png = dir.filePath(QStringLiteral("shot.png"));
  QImage withText = testPicture();
  withText.setText(QStringLiteral("Comment"), QStringLiteral("secret"));
  ASSERT_TRUE(ImageCapture::writeFileWithCaptureImage(withText, southWest(), png));
  QFile file(png);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  EXPECT_TRUE(data.startsWith("\x89PNG"));
  for (const char* chunk : {"tEXt", "zTXt", "iTXt", "eXIf"}) {
    EXPECT_FALSE(data.contains(chunk)) << chunk;
  }
  EXPECT_EQ(QImage(png).pixelColor(0, 0), QColor(Qt::red));

  QString error;
  EXPECT_FALSE(ImageCapture::writeFileWithCaptureImage(testPicture(), southWest(), dir.filePath("shot.tif"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(ImageCapture::writeFileWithCaptureImage(QImage(), std::nullopt, dir.filePath("empty.jpg")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"shot.png"});
}

TEST_F(ImageCaptureTest, FailedWritesLeaveTheOldPicture) {
  test::ScratchMount disk(128 * 1024);
  if (!disk.ok()) {
    GTEST_SKIP() << "cannot mount a scratch tmpfs here";
  }
  const QString path = disk.filePath(QStringLiteral("shot.jpg"));
  ASSERT_TRUE(ImageCapture::writeFileWithCaptureImage(testPicture(), std::nullopt, path));
  const QByteArray before = [&] {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  ASSERT_TRUE(disk.setReadOnly(true));
  QString error;
  EXPECT_FALSE(ImageCapture::writeFileWithCaptureImage(QImage(1000, 1000, QImage::Format_RGB32), southWest(), path,
                                                       &error));
  EXPECT_FALSE(error.isEmpty());
  QFile after(path);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
}

}  // namespace
}  // namespace dashcard
