#include "core/catalogue/mount_volume_controller.h"
#include "support/wait_for.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace dashcard {
namespace {

// Device facts as a test states them, by mount source.
class FakeDeviceFacts final : public DeviceFacts {
 public:
  explicit FakeDeviceFacts(QMap<QString, DeviceFact> facts) : facts_(std::move(facts)) {}
  std::optional<DeviceFact> factsForDevice(const QString& source) const override {
    if (!facts_.contains(source)) return std::nullopt;
    return facts_.value(source);
  }

 private:
  QMap<QString, DeviceFact> facts_;
};

// Every report in order, as "mount NAME path", "unmount NAME", "rename NAME old".
class RecordingDelegate final : public MountVolumeDelegate {
 public:
  void didMountVolume(const VolumeInformation& info) override {
    reports << QStringLiteral("mount %1 %2").arg(info.name, info.fullPath);
  }
  void didUnmountVolume(const VolumeInformation& info) override {
    reports << QStringLiteral("unmount %1").arg(info.name);
  }
  void didRenameVolume(const VolumeInformation& info, const QString& oldPath) override {
    reports << QStringLiteral("rename %1 %2 %3").arg(info.name, info.fullPath, oldPath);
  }
  QStringList reports;
};

const QMap<QString, DeviceFact> kFacts = {
    {QStringLiteral("/dev/sda1"), {false, {}, {}}},
    {QStringLiteral("/dev/sda2"), {false, {}, {}}},
    {QStringLiteral("/dev/sdb1"), {true, QStringLiteral("usb"), {}}},
    {QStringLiteral("/dev/sdc1"), {true, QStringLiteral("usb"), {}}},
    {QStringLiteral("/dev/mmcblk0p1"), {true, QStringLiteral("mmc"), QStringLiteral("DASH CAM")}},
};

// One mountinfo line: target, file-system type, source, mount options.
QString mountLine(int id, const QString& target, const QString& type, const QString& source,
                  const QString& options = QStringLiteral("rw,relatime")) {
  QString escaped = target;
  escaped.replace(QLatin1Char(' '), QStringLiteral("\\040"));
  return QStringLiteral("%1 1 8:%1 / %2 %3 - %4 %5 rw\n").arg(id).arg(escaped, options, type, source);
}

// Cards and sticks come out; a hard disk on USB stays, so it is no card.
TEST(DeviceFactTest, OnlyMediaThatComeOutAreRemovable) {
  const struct {
    const char* device;
    bool removableAttribute;
    const char* bus;
    bool removable;
  } cases[] = {
      {"USB hard disk", false, "usb", false},
      {"USB stick or card reader", true, "usb", true},
      {"SD slot", false, "mmc", true},
      {"internal disk", false, "", false},
      {"internal card reader", true, "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeviceFact::isRemovableMedium(c.removableAttribute, QString::fromLatin1(c.bus)), c.removable) << c.device;
  }
}

class MountVolumeControllerTest : public ::testing::Test {
 protected:
  void writeTable(const QStringList& lines) {
    QFile file(dir.filePath(QStringLiteral("mountinfo")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((mountLine(1, QStringLiteral("/"), QStringLiteral("ext4"), QStringLiteral("/dev/sda1")) +
                mountLine(2, QStringLiteral("/proc"), QStringLiteral("proc"), QStringLiteral("proc")) + lines.join(QString()))
                   .toUtf8());
  }
  std::unique_ptr<MountVolumeController> tracker(std::optional<QStringList> types = std::nullopt) {
    auto result = std::make_unique<MountVolumeController>(std::move(types), true, false, true, &delegate);
    result->setDeviceFacts(std::make_unique<FakeDeviceFacts>(kFacts));
    result->setMountTablePath(dir.filePath(QStringLiteral("mountinfo")));
    return result;
  }

  QTemporaryDir dir;
  RecordingDelegate delegate;
};

TEST_F(MountVolumeControllerTest, ListsOnlyRemovableUserMountsAndReportsThemOnceAfterTheCall) {
  struct Case {
    const char* name;
    std::optional<QStringList> types;
    QStringList expected;
  };
  const Case cases[] = {
      {"any type",
       std::nullopt,
       {QStringLiteral("mount CARD file:///media/u/CARD/"), QStringLiteral("mount DASH CAM file:///run/media/u/SD%20CARD/"),
        QStringLiteral("mount RO file:///media/u/RO/")}},
      {"vfat only", QStringList{QStringLiteral("vfat")}, {QStringLiteral("mount CARD file:///media/u/CARD/")}},
  };
  writeTable({
      mountLine(10, QStringLiteral("/media/u/CARD"), QStringLiteral("vfat"), QStringLiteral("/dev/sdb1")),
      // A fixed disk under /media and a removable stick mounted by the administrator.
      mountLine(11, QStringLiteral("/media/u/DATA"), QStringLiteral("ext4"), QStringLiteral("/dev/sda2")),
      mountLine(12, QStringLiteral("/mnt/STICK"), QStringLiteral("vfat"), QStringLiteral("/dev/sdc1")),
      mountLine(13, QStringLiteral("/run/media/u/SD CARD"), QStringLiteral("exfat"), QStringLiteral("/dev/mmcblk0p1")),
      mountLine(14, QStringLiteral("/media/u/RO"), QStringLiteral("ext4"), QStringLiteral("/dev/sdc1"),
                QStringLiteral("ro,relatime")),
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    delegate.reports.clear();
    auto volumes = tracker(c.types);
    volumes->makeVolumeList();
    EXPECT_TRUE(delegate.reports.isEmpty()) << "reported before makeVolumeList returned";
    DC_TRY_COMPARE(delegate.reports, c.expected);
    QTest::qWait(0);
    EXPECT_EQ(delegate.reports, c.expected);
    EXPECT_TRUE(volumes->isMounted(QStringLiteral("/media/u/CARD")));
    EXPECT_FALSE(volumes->isMounted(QStringLiteral("/mnt/STICK")));
    EXPECT_FALSE(volumes->getVolumeInfo(QStringLiteral("/media/u/DATA")).has_value());
    EXPECT_EQ(volumes->getVolumeInfo(QStringLiteral("/media/u/DATA"), std::nullopt, false, true, true)->name,
              QStringLiteral("DATA"));
  }
}

TEST_F(MountVolumeControllerTest, RenameKeepsThePlaceAndUnmountsOfUnknownVolumesChangeNothing) {
  const QString card = mountLine(10, QStringLiteral("/media/u/CARD"), QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
  const QString other = mountLine(11, QStringLiteral("/media/u/OTHER"), QStringLiteral("vfat"), QStringLiteral("/dev/sdc1"));
  const QString data = mountLine(12, QStringLiteral("/media/u/DATA"), QStringLiteral("ext4"), QStringLiteral("/dev/sda2"));
  writeTable({card, other, data});
  auto volumes = tracker();
  volumes->makeVolumeList();
  DC_TRY_COMPARE(delegate.reports.size(), 2);
  delegate.reports.clear();

  // Relabelled: the same device leaves CARD and appears at TRIP.
  writeTable({mountLine(15, QStringLiteral("/media/u/TRIP"), QStringLiteral("vfat"), QStringLiteral("/dev/sdb1")),
              other, data});
  volumes->mountTableDidChange();
  EXPECT_EQ(delegate.reports,
            QStringList{QStringLiteral("rename TRIP file:///media/u/TRIP/ file:///media/u/CARD/")});
  ASSERT_EQ(volumes->volumeList().size(), 2);
  EXPECT_EQ(volumes->volumeList().first().devicePath, QStringLiteral("/media/u/TRIP"));

  // DATA was never reported; OTHER goes once the rename window has passed.
  delegate.reports.clear();
  writeTable({mountLine(15, QStringLiteral("/media/u/TRIP"), QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"))});
  volumes->mountTableDidChange();
  DC_TRY_COMPARE(delegate.reports, QStringList{QStringLiteral("unmount OTHER")});
  EXPECT_FALSE(volumes->isMounted(QStringLiteral("/media/u/OTHER")));
  EXPECT_TRUE(volumes->isMounted(QStringLiteral("/media/u/TRIP")));
}

// A loop device holding an ext4 image, set up for one test (root only).
class LoopImage {
 public:
  explicit LoopImage(const QString& image) {
    if (geteuid() != 0) {
      reason_ = QStringLiteral("mounting needs root");
      return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4")).isEmpty() &&
        !QFile::exists(QStringLiteral("/usr/sbin/mkfs.ext4")) && !QFile::exists(QStringLiteral("/sbin/mkfs.ext4"))) {
      reason_ = QStringLiteral("mkfs.ext4 is not installed");
      return;
    }
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(4 * 1024 * 1024)) {
      reason_ = QStringLiteral("cannot make the image");
      return;
    }
    file.close();
    if (!run(QStringLiteral("mkfs.ext4"), {QStringLiteral("-q"), image})) return;
    if (!run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image})) return;
    device_ = output_.trimmed();
  }
  ~LoopImage() {
    if (device_.isEmpty()) return;
    // A failed test may leave the device mounted: let go of it lazily.
    for (const QString& target : targets_) run(QStringLiteral("umount"), {QStringLiteral("-l"), target});
    run(QStringLiteral("losetup"), {QStringLiteral("-d"), device_});
  }
  bool mount(const QString& target) {
    targets_ << target;
    return run(QStringLiteral("mount"), {device_, target});
  }
  bool ok() const { return !device_.isEmpty(); }
  const QString& reason() const { return reason_; }
  const QString& device() const { return device_; }

  bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QStringList path = qEnvironmentVariable("PATH").split(QLatin1Char(':'));
    path << QStringLiteral("/usr/sbin") << QStringLiteral("/sbin");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), path.join(QLatin1Char(':')));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
      reason_ = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
      return false;
    }
    output_ = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
  }

 private:
  QString device_;
  QStringList targets_;
  QString reason_;
  QString output_;
};

TEST(MountVolumeControllerSystemTest, ReportsARealLoopMountItsRenameAndItsUnmount) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  LoopImage loop(dir.filePath(QStringLiteral("card.img")));
  if (!loop.ok()) GTEST_SKIP() << "no loop device: " << loop.reason().toStdString();
  const QString media = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/media");
  ASSERT_TRUE(QDir().mkpath(media + QStringLiteral("/CARD")) && QDir().mkpath(media + QStringLiteral("/TRIP")));

  RecordingDelegate delegate;
  MountVolumeController volumes(std::nullopt, true, false, true, &delegate);
  // A loop device is not removable: the test states it is.
  volumes.setDeviceFacts(std::make_unique<FakeDeviceFacts>(QMap<QString, DeviceFact>{{loop.device(), {true, {}, {}}}}));
  volumes.setUserMountRoots({media});
  volumes.makeVolumeList();
  QTest::qWait(0);
  ASSERT_TRUE(delegate.reports.isEmpty());

  const QString card = media + QStringLiteral("/CARD");
  const QString trip = media + QStringLiteral("/TRIP");
  const QString cardUrl = QUrl::fromLocalFile(card + QLatin1Char('/')).toString(QUrl::FullyEncoded);
  const QString tripUrl = QUrl::fromLocalFile(trip + QLatin1Char('/')).toString(QUrl::FullyEncoded);
  ASSERT_TRUE(loop.mount(card)) << loop.reason().toStdString();
  DC_TRY_COMPARE_WITH_TIMEOUT(delegate.reports, QStringList{QStringLiteral("mount CARD ") + cardUrl}, 10000);

  ASSERT_TRUE(loop.run(QStringLiteral("umount"), {card})) << loop.reason().toStdString();
  ASSERT_TRUE(loop.mount(trip)) << loop.reason().toStdString();
  DC_TRY_COMPARE_WITH_TIMEOUT(delegate.reports.size(), 2, 10000);
  EXPECT_EQ(delegate.reports.last(), QStringLiteral("rename TRIP %1 %2").arg(tripUrl, cardUrl));
  EXPECT_TRUE(volumes.isMounted(trip));

  ASSERT_TRUE(loop.run(QStringLiteral("umount"), {trip})) << loop.reason().toStdString();
  DC_TRY_COMPARE_WITH_TIMEOUT(delegate.reports.size(), 3, 10000);
  EXPECT_EQ(delegate.reports.last(), QStringLiteral("unmount TRIP"));
  EXPECT_TRUE(volumes.volumeList().isEmpty());
}

}  // namespace
}  // namespace dashcard
