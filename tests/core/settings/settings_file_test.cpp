#include "core/settings/ini_file_exporter.h"
#include "core/settings/ini_file_loader.h"
#include "core/settings/ini_file_parameters.h"
#include "core/settings/rynd_setting_info.h"
#include "core/settings/time_zone_item.h"
#include "support/scratch_mount.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace dashcard {
namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  QString write(const QByteArray& content) {
    const QString path = dir.filePath(IniFileParameters::IniFileName());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
  }
  RyndSettingInfo load(const QByteArray& content) {
    IniFileLoader loader(write(content));
    EXPECT_EQ(loader.load(), IniFileLoader::kLoaded);
    return loader.resultData().value_or(RyndSettingInfo());
  }
  static QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QTemporaryDir dir;
};

TEST(SettingsTables, DefaultsComeFromTablesAndWriteSevenLines) {
  const RyndSettingInfo info;
  EXPECT_EQ(info.exportText(),
            "IMPACT_LEVEL L3\r\nVIDEO_CLIP_TIME 1min\r\nAUDIO ON\r\nREAR_CAMERA ON\r\nVIDEO_QUALITY FINE\r\n"
            "TIME_ZONE UTC\r\nWI_LAN 2G\r\n");
  EXPECT_TRUE(info.dvrResetValue().isEmpty());
  EXPECT_EQ(info.debugInfo().count(QLatin1Char('\n')), 7);
  EXPECT_FALSE(info.debugInfo().contains(QStringLiteral("2G")));
}

TEST(SettingsTables, TimeZonesAreThirtyUniqueKeysWithSharedItems) {
  const QStringList& keys = IniFileParameters::TimeZoneValuList();
  ASSERT_EQ(keys.size(), 30);
  EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), 30);
  EXPECT_EQ(keys.first(), "CHAST_D");
  EXPECT_EQ(keys.last(), "HAST_USA");
  EXPECT_EQ(IniFileParameters::timeZoneValueJapan(), "JST");
  EXPECT_EQ(IniFileParameters::timeZoneNameUsaMauntain_D(), "Mountian USA (UTC-07:00/UTC-06:00)");
  EXPECT_EQ(IniFileParameters::timeZoneNameUsaHawaii_D(), "Hawaii (UTC-10:00/UTC-9:00)");
  const QList<TimeZoneItem>& items = TimeZoneItem::timeZoneItems();
  ASSERT_EQ(items.size(), 30);
  EXPECT_EQ(&items, &TimeZoneItem::timeZoneItems());
  for (int i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].itemKey(), keys[i]);
    EXPECT_EQ(items[i].itemDisplayName(), items[i].itemName());
  }
}

TEST(SettingsTables, UpdateValueAcceptsOnlyTableEntries) {
  RyndSettingInfo info;
  info.updateValue(QStringLiteral("HAST_USA_D"), QStringLiteral("TIME_ZONE"));
  EXPECT_EQ(info.timeZoneValue(), "HAST_USA_D");
  info.updateValue(QStringLiteral("utc"), QStringLiteral("TIME_ZONE"));
  info.updateValue(QStringLiteral("EST"), QStringLiteral("TIME_ZONE"));
  EXPECT_EQ(info.timeZoneValue(), "HAST_USA_D");
  info.updateValue(QStringLiteral("UTC"), QStringLiteral("TIME_ZONE"));
  EXPECT_EQ(info.timeZoneValue(), "UTC");
  info.updateValue(QStringLiteral("L5"), QStringLiteral("impact_level"));  // keys are case-sensitive
  EXPECT_EQ(info.imapctLevelValue(), "L3");
  info.setDvrResetValue(QStringLiteral("ON"));
  info.updateValue(QStringLiteral("ON"), QStringLiteral("DVR_RESET"));
  EXPECT_TRUE(info.dvrResetValue().isEmpty());
}

TEST_F(SettingsFileTest, MissingAndNonUtf8FilesAreReported) {
  IniFileLoader missing(dir.filePath(QStringLiteral("none.ini")));
  EXPECT_EQ(missing.load(), IniFileLoader::kFileMissing);
  EXPECT_FALSE(missing.resultData().has_value());
  IniFileLoader binary(write(QByteArray("IMPACT_LEVEL L5\r\n\xff\xfe\xc3", 20)));
  EXPECT_EQ(binary.load(), IniFileLoader::kUnreadable);
  EXPECT_FALSE(binary.resultData().has_value());
  EXPECT_TRUE(binary.errorString().endsWith(QStringLiteral("is not UTF-8 text"))) << binary.errorString().toStdString();
}

// Another firmware's keys and the camera's comments survive a change.
TEST_F(SettingsFileTest, LinesOfOtherKeysAreWrittenBackAsTheyWere) {
  RyndSettingInfo info = load("#note\r\nIMPACT_LEVEL L1\r\nPARK_MODE  ON\t\r\n\r\nAUDIO OFF\r\nIMPACT_LEVEL=L2\r\n");
  EXPECT_EQ(info.otherLines(), (QStringList{"#note", "PARK_MODE  ON\t", "IMPACT_LEVEL=L2"}));
  EXPECT_EQ(info.imapctLevelValue(), "L1");
  info.setAudioValue(QStringLiteral("ON"));
  EXPECT_EQ(info.exportText(),
            "IMPACT_LEVEL L1\r\nVIDEO_CLIP_TIME 1min\r\nAUDIO ON\r\nREAR_CAMERA ON\r\nVIDEO_QUALITY FINE\r\n"
            "TIME_ZONE UTC\r\nWI_LAN 2G\r\n#note\r\nPARK_MODE  ON\t\r\nIMPACT_LEVEL=L2\r\n");
  // A reset request is the whole file.
  info.setDvrResetValue(QStringLiteral("ON"));
  EXPECT_EQ(info.exportText(), "DVR_RESET ON\r\n");
}

// A copied card may hold anything under the settings file's name: it is read
// only when it is a regular file no bigger than a settings file can be.
TEST_F(SettingsFileTest, OversizedFilesFifosAndDevicesAreRefusedUnread) {
  const QByteArray line("IMPACT_LEVEL L5\r\n");
  QByteArray atLimit = line.repeated(IniFileLoader::kMaxFileSize / line.size());
  atLimit.append(IniFileLoader::kMaxFileSize - atLimit.size(), ' ');
  EXPECT_EQ(IniFileLoader(write(atLimit)).load(), IniFileLoader::kLoaded);
  IniFileLoader oversized(write(atLimit + line));
  EXPECT_EQ(oversized.load(), IniFileLoader::kUnreadable);
  EXPECT_TRUE(oversized.errorString().contains(QStringLiteral("too big"))) << oversized.errorString().toStdString();

  const QString fifo = dir.filePath(QStringLiteral("fifo.ini"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString device = dir.filePath(QStringLiteral("zero.ini"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
  for (const QString& path : {fifo, device}) {
    IniFileLoader loader(path);
    EXPECT_EQ(loader.load(), IniFileLoader::kUnreadable) << path.toStdString();
    EXPECT_FALSE(loader.resultData().has_value());
    EXPECT_EQ(loader.errorString(), path + QStringLiteral(" is not a regular file"));
  }
}

TEST_F(SettingsFileTest, LinesNeedExactlyOneBlank) {
  EXPECT_EQ(load(""), RyndSettingInfo());
  const RyndSettingInfo partial = load("IMPACT_LEVEL L5\r\nAUDIO OFF\r\n");
  EXPECT_EQ(partial.imapctLevelValue(), "L5");
  EXPECT_EQ(partial.audioValue(), "OFF");
  EXPECT_EQ(partial.videoClipTimeValue(), "1min");
  EXPECT_EQ(load("IMPACT_LEVEL  L5\r\n").imapctLevelValue(), "L3");
  EXPECT_EQ(load("IMPACT_LEVEL=L5\r\n").imapctLevelValue(), "L3");
  EXPECT_EQ(load(" IMPACT_LEVEL L5\r\n").imapctLevelValue(), "L3");
  EXPECT_EQ(load("IMPACT_LEVEL l5\r\n").imapctLevelValue(), "L3");
  // Tabs are trimmed; other line separators split lines as well.
  const RyndSettingInfo mixed = load("IMPACT_LEVEL\t L1\t\nAUDIO OFF\xe2\x80\xa8WI_LAN 5G\rWI_LAN 2G\n");
  EXPECT_EQ(mixed.imapctLevelValue(), "L1");
  EXPECT_EQ(mixed.audioValue(), "OFF");
  EXPECT_EQ(mixed.wifiLanValue(), "2G");  // the later line wins
  const RyndSettingInfo reset = load("DVR_RESET ON\r\n");
  EXPECT_EQ(reset, RyndSettingInfo());
}

TEST_F(SettingsFileTest, RoundTripAndResetFile) {
  RyndSettingInfo info;
  info.setImapctLevelValue(QStringLiteral("OFF"));
  info.setVideoClipTimeValue(QStringLiteral("3min"));
  info.setAudioValue(QStringLiteral("OFF"));
  info.setRearCameraValue(QStringLiteral("OFF"));
  info.setVideoQualityValue(QStringLiteral("NORMAL"));
  info.setTimeZoneValue(QStringLiteral("NST_CAN_D"));
  info.setWifiLanValue(QStringLiteral("5G"));
  const QString path = dir.filePath(QStringLiteral("sub dir é/rynd_settings.ini"));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
  ASSERT_TRUE(IniFileExporter(path).exportSettings(info));
  const QByteArray written = read(path);
  EXPECT_TRUE(written.endsWith("WI_LAN 5G\r\n"));
  EXPECT_EQ(written.count('\n'), 7);
  EXPECT_EQ(written.count("\r\n"), 7);
  IniFileLoader loader(path);
  ASSERT_EQ(loader.load(), IniFileLoader::kLoaded);
  EXPECT_EQ(*loader.resultData(), info);

  info.setDvrResetValue(QStringLiteral("ON"));
  ASSERT_TRUE(IniFileExporter(path).exportSettings(info));
  EXPECT_EQ(read(path), "DVR_RESET ON\r\n");
}

TEST_F(SettingsFileTest, FailedWriteKeepsTheOldFile) {
  test::ScratchMount disk(64 * 1024);
  if (!disk.ok()) {
    GTEST_SKIP() << "cannot mount a scratch tmpfs here";
  }
  const QString path = disk.filePath(IniFileParameters::IniFileName());
  const RyndSettingInfo defaults;
  ASSERT_TRUE(IniFileExporter(path).exportSettings(defaults));
  const QByteArray before = read(path);

  // Read-only disk.
  ASSERT_TRUE(disk.setReadOnly(true));
  RyndSettingInfo changed;
  changed.setAudioValue(QStringLiteral("OFF"));
  QString error;
  EXPECT_FALSE(IniFileExporter(path).exportSettings(changed, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(read(path), before);

  // Full disk.
  ASSERT_TRUE(disk.setReadOnly(false));
  QFile filler(disk.filePath(QStringLiteral("filler")));
  ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
  const QByteArray block(4096, 'x');
  while (filler.write(block) == block.size() && filler.flush()) {
  }
  filler.close();
  EXPECT_FALSE(IniFileExporter(path).exportSettings(changed));
  EXPECT_EQ(read(path), before);
  EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files).size(), 2);  // no temporary file left
}

}  // namespace
}  // namespace dashcard
