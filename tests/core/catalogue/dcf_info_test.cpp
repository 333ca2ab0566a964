#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"
#include "core/media/picture_exif.h"
#include "core/telemetry/nmea_data.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QImage>
#include <QTemporaryDir>

// exiv2 0.27 still declares std::auto_ptr in its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dashcard {
namespace {

const QString kName = QStringLiteral("F_20240101120000_20240101120500_N");

class DCFInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString root() const { return dir.path(); }
  QTemporaryDir dir;
};

TEST_F(DCFInfoTest, NormalRecordingFields) {
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4"), QByteArray(100, 'v')));
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".MP4"), QByteArray(20, 'r')));
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA"), QByteArray(3, 'n')));
  // Another zone must not move the clip start.
  const QByteArray oldZone = qgetenv("TZ");
  qputenv("TZ", "Asia/Tokyo");
  tzset();
  DCFInfo info(root(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4"));
  qputenv("TZ", oldZone);
  tzset();

  EXPECT_EQ(info.folderName(), QStringLiteral("NORMAL"));
  EXPECT_EQ(info.filePath(), root() + QStringLiteral("/NORMAL/") + kName + QStringLiteral(".MP4"));
  EXPECT_EQ(info.dcfFileNumber(), 20240101120500LL);
  EXPECT_EQ(info.dcfFolderNumber(), 1000);
  EXPECT_EQ(info.eventName(), QStringLiteral("EVENTNAME_NORMAL"));
  EXPECT_FALSE(info.isEventDCF());
  EXPECT_TRUE(info.dcfName().endsWith(u'\n'));
  EXPECT_EQ(info.dcfName(), info.dcfDateString() + u'\n');
  EXPECT_EQ(info.startDate(), QDateTime(QDate(2024, 1, 1), QTime(12, 5, 0), Qt::UTC));
  EXPECT_TRUE(info.dcfDateString().contains(QStringLiteral("12:05:00"))) << info.dcfDateString().toStdString();
  EXPECT_EQ(info.fileSize(), 123u);
  EXPECT_FALSE(info.secondaryFilePath().isEmpty());
  EXPECT_EQ(info.nmea()->filePath(), info.infoFilePath());
  EXPECT_TRUE(info.thumbnailPath().isEmpty());
  EXPECT_TRUE(info.routeLine().isEmpty());
  EXPECT_EQ(info.duration(), 0.0);
}

TEST_F(DCFInfoTest, EventRecordingAndMissingCompanions) {
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("EVENT/") + kName + QStringLiteral(".MP4"), QByteArray(77, 'v')));
  DCFInfo info(root(), QStringLiteral("EVENT/") + kName + QStringLiteral(".MP4"));
  EXPECT_TRUE(info.isEventDCF());
  EXPECT_EQ(info.dcfName().section(u'\n', 1), QStringLiteral("EVENT RECORD"));
  EXPECT_EQ(info.fileSize(), 77u);
  EXPECT_TRUE(info.secondaryFilePath().isEmpty());
  EXPECT_EQ(info.infoFilePath(), root() + QStringLiteral("/EVENT/N") + kName.mid(1) + QStringLiteral(".NMEA"));
}

TEST_F(DCFInfoTest, FallbacksForMissingFilesAndOddNames) {
  const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
  DCFInfo gone(root(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4"));
  EXPECT_GE(gone.fileDate(), before);
  EXPECT_EQ(gone.fileSize(), 0u);
  EXPECT_FALSE(gone.isProtected());

  DCFInfo shortName(root(), QStringLiteral("123/F_1.MP4"));
  EXPECT_EQ(shortName.dcfFileNumber(), 10000);
  // Only a whole second timestamp is a file number.
  // Signs and spaces are no digits, though the number readers take them.
  for (const char* cut : {"F_20240101120000_2024", "F_20240101120000_2024010112050", "F_20240101120000_2024010112050x",
                          "F_20240101120000_+0240101120500", "F_20240101120000_ 0240101120500",
                          "F_20240101120000_-0240101120500", "F_20240101120000_00a101120500_N"}) {
    EXPECT_EQ(DCFInfo(root(), QStringLiteral("NORMAL/%1.MP4").arg(QLatin1StringView(cut))).dcfFileNumber(), 10000) << cut;
  }
  EXPECT_EQ(DCFInfo(root(), QStringLiteral("NORMAL/F_20240101120000_20240101120501.MP4")).dcfFileNumber(),
            20240101120501LL);
  // A sign in a date field is no date either.
  EXPECT_GE(DCFInfo(root(), QStringLiteral("NORMAL/F_20240101120000_2024+101120500_N.MP4")).startDate(), before);
  EXPECT_EQ(shortName.dcfFolderNumber(), 123);
  for (const char* folder : {"+12", "-12", " 12", "12 ", "1 2", "0x12", "\u0661\u0662", "1234567890123456789012"}) {
    EXPECT_EQ(DCFInfo(root(), QStringLiteral("%1/F_1.MP4").arg(QString::fromUtf8(folder))).dcfFolderNumber(), 1000)
        << folder;
  }
  EXPECT_GE(shortName.startDate(), before);

  // 31 February rolls over to 2 March instead of falling back to now.
  DCFInfo rolled(root(), QStringLiteral("NORMAL/F_20240101120000_20240231120500_N.MP4"));
  EXPECT_EQ(rolled.startDate(), QDateTime(QDate(2024, 3, 2), QTime(12, 5, 0), Qt::UTC));

  // A folder in place of the video: no size, no crash.
  ASSERT_TRUE(QDir().mkpath(root() + QStringLiteral("/NORMAL/") + kName + QStringLiteral(".mp4")));
  DCFInfo folder(root(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".mp4"));
  EXPECT_EQ(folder.fileSize(), 0u);
}

TEST_F(DCFInfoTest, ImmutableFlagIsReadEveryTimeAndKeptAsTheScanSawIt) {
  const QString relative = QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4");
  ASSERT_TRUE(test::writeFileAt(root(), relative, QByteArray(10, 'v')));
  DCFInfo info(root(), relative);
  EXPECT_FALSE(info.isProtected());
  const QByteArray path = QFile::encodeName(info.filePath());
  const int fd = ::open(path.constData(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int flags = 0;
  const bool readable = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  int locked = flags | FS_IMMUTABLE_FL;
  if (!readable || ::ioctl(fd, FS_IOC_SETFLAGS, &locked) != 0) {
    ::close(fd);
    GTEST_SKIP() << "this file system or user cannot set the immutable flag";
  }
  EXPECT_TRUE(info.isProtected());
  DCFInfo seenLocked(root(), relative);
  ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  EXPECT_FALSE(info.isProtected());
  EXPECT_FALSE(seenLocked.isProtected());
  // The scan's look is a snapshot, and says so only where statx reports the flag.
  if (seenLocked.scannedProtection()) {
    EXPECT_TRUE(*seenLocked.scannedProtection());
    EXPECT_EQ(info.scannedProtection(), std::optional<bool>(false));
  }
}

TEST_F(DCFInfoTest, MissingWritePermissionLocksOnlyOnCardFileSystems) {
  // The test folder is not FAT or exFAT: a read-only file is not locked.
  const QString relative = QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4");
  ASSERT_TRUE(test::writeFileAt(root(), relative, QByteArray(10, 'v')));
  ASSERT_EQ(::chmod(QFile::encodeName(root() + u'/' + relative).constData(), 0444), 0);
  DCFInfo info(root(), relative);
  EXPECT_FALSE(info.isProtected());
  EXPECT_NE(info.scannedProtection(), std::optional<bool>(true));
}

TEST_F(DCFInfoTest, ChangeWithRootPathFollowsTheVolume) {
  const QString relative = QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4");
  ASSERT_TRUE(test::writeFileAt(root(), relative, QByteArray(10, 'v')));
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".MP4")));
  auto info = std::make_shared<DCFInfo>(root(), relative);
  // One recording's telemetry is already in use, the other's is not.
  const std::shared_ptr<NMEAData> telemetryInUse = info->nmea();
  auto untouched = std::make_shared<DCFInfo>(root(), relative);
  auto picture = std::make_shared<PictureInfo>(root(), QStringLiteral("PICTURE/240101120100.JPG"));
  info->appendPicture(picture);
  picture->setParentDCFInfo(info);
  const QString oldRear = info->secondaryFilePath();

  QTemporaryDir other;
  ASSERT_TRUE(test::writeFileAt(other.path(), QStringLiteral("NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA")));
  info->changeWithRootPath(other.path());
  untouched->changeWithRootPath(other.path());
  EXPECT_EQ(untouched->nmea()->filePath(), info->infoFilePath());
  EXPECT_EQ(info->nmea(), telemetryInUse);
  EXPECT_EQ(info->rootPath(), other.path());
  EXPECT_EQ(info->filePath(), other.path() + u'/' + relative);
  EXPECT_EQ(info->infoFilePath(), other.path() + QStringLiteral("/NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA"));
  EXPECT_EQ(info->nmea()->filePath(), info->infoFilePath());
  EXPECT_EQ(info->secondaryFilePath(), oldRear);
  EXPECT_EQ(picture->filePath(), other.path() + QStringLiteral("/PICTURE/240101120100.JPG"));
  EXPECT_EQ(info->pictures().size(), 1);
}

TEST_F(DCFInfoTest, InfoFilePathUnderAnotherRoot) {
  const QString relative = QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4");
  DCFInfo info(root(), relative);
  QTemporaryDir backup;
  const QString nmea = backup.path() + QStringLiteral("/NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA");
  // Nothing there yet: the NMEA tree path to be created.
  EXPECT_EQ(info.infoFilePathWithRootPath(backup.path()), nmea);
  ASSERT_TRUE(test::writeFileAt(backup.path(), QStringLiteral("NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".nmea")));
  EXPECT_EQ(info.infoFilePathWithRootPath(backup.path()),
            backup.path() + QStringLiteral("/NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".nmea"));
}

bool writeGpsJpeg(const QString& path, const char* latitude, const char* latitudeRef, const char* longitude,
                  const char* longitudeRef) {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::gray);
  if (!image.save(path, "JPG")) {
    return false;
  }
  try {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr file = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
#pragma GCC diagnostic pop
    file->readMetadata();
    Exiv2::ExifData exif = file->exifData();
    exif["Exif.GPSInfo.GPSLatitude"] = latitude;
    exif["Exif.GPSInfo.GPSLongitude"] = longitude;
    if (latitudeRef != nullptr) {
      exif["Exif.GPSInfo.GPSLatitudeRef"] = latitudeRef;
    }
    if (longitudeRef != nullptr) {
      exif["Exif.GPSInfo.GPSLongitudeRef"] = longitudeRef;
    }
    file->setExifData(exif);
    file->writeMetadata();
  } catch (const Exiv2::AnyError&) {
    return false;
  }
  return true;
}

TEST_F(DCFInfoTest, PictureFieldsAndGpsSigns) {
  ASSERT_TRUE(QDir().mkpath(root() + QStringLiteral("/PICTURE")));
  const QString south = root() + QStringLiteral("/PICTURE/240101120100.JPG");
  ASSERT_TRUE(writeGpsJpeg(south, "35/1 30/1 0/1", "S", "139/1 42/1 0/1", nullptr));
  PictureInfo picture(root(), QStringLiteral("PICTURE/240101120100.JPG"), PictureExif::locationWithImagePath(south));
  EXPECT_NEAR(picture.location().latitude, -35.5, 1e-9);
  EXPECT_NEAR(picture.location().longitude, 139.7, 1e-9);
  EXPECT_EQ(picture.picFileNumber(), 240101120100LL);
  EXPECT_EQ(picture.pictureName(), picture.pictureDateString());
  EXPECT_TRUE(picture.secondaryFilePath().isEmpty());
  EXPECT_GT(picture.fileSize(), 0u);

  const QString west = root() + QStringLiteral("/PICTURE/240101120200.JPG");
  ASSERT_TRUE(writeGpsJpeg(west, "10/1 0/1 0/1", "N", "20/1 15/1 0/1", "W"));
  EXPECT_NEAR(PictureExif::locationWithImagePath(west).longitude, -20.25, 1e-9);

  // No GPS block, junk bytes, a missing file, a FIFO (never waited on), a
  // folder: the no-position record.
  const QString plain = root() + QStringLiteral("/PICTURE/plain.jpg");
  QImage(8, 8, QImage::Format_RGB32).save(plain, "JPG");
  ASSERT_TRUE(test::writeFileAt(root(), QStringLiteral("PICTURE/junk.JPG"), QByteArray("\xFF\xD8junk", 6)));
  const QString fifo = root() + QStringLiteral("/PICTURE/240101120300.JPG");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& path : {plain, root() + QStringLiteral("/PICTURE/junk.JPG"), root() + QStringLiteral("/none.JPG"),
                              fifo, root() + QStringLiteral("/PICTURE")}) {
    const CustomLocation location = PictureExif::locationWithImagePath(path);
    EXPECT_EQ(location, CustomLocation::placeholder()) << path.toStdString();
  }
  PictureInfo odd(root(), QStringLiteral("PICTURE/junk.JPG"));
  EXPECT_EQ(odd.picFileNumber(), 10000);
}

}  // namespace
}  // namespace dashcard
