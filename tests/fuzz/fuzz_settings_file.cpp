// Fuzzes the camera's settings file reader through its real entry (a file
// read by IniFileLoader), then checks what a load promises: every value is
// one of its key's table, and writing the settings back and reading them
// again gives the same settings.
//
// With DASHCARD_FUZZ_WRITE_SEEDS=<dir> it writes settings files as seeds into
// <dir> and exits.

#include "core/settings/ini_file_exporter.h"
#include "core/settings/ini_file_loader.h"
#include "core/settings/rynd_setting_info.h"
#include "fuzz_support.h"

#include <cstdint>

namespace {

using namespace dashcard;
using fuzz::check;

void writeSeeds(const QString& dir) {
  RyndSettingInfo settings;
  IniFileExporter(QDir(dir).filePath(QStringLiteral("defaults.ini"))).exportSettings(settings);
  settings.setImapctLevelValue(QStringLiteral("L5"));
  settings.setVideoClipTimeValue(QStringLiteral("3min"));
  settings.setAudioValue(QStringLiteral("OFF"));
  settings.setTimeZoneValue(QStringLiteral("NST_CAN_D"));
  settings.setWifiLanValue(QStringLiteral("5G"));
  IniFileExporter(QDir(dir).filePath(QStringLiteral("changed.ini"))).exportSettings(settings);
  QFile odd(QDir(dir).filePath(QStringLiteral("odd-lines.ini")));
  if (odd.open(QIODevice::WriteOnly)) {
    odd.write("IMPACT_LEVEL\t L1\t\nAUDIO OFF\xe2\x80\xa8WI_LAN 5G\rWI_LAN 2G\nDVR_RESET ON\r\n IMPACT_LEVEL L5\r\n");
  }
}

void checkValues(const RyndSettingInfo& settings) {
  const QStringList& keys = RyndSettingInfo::itemNames();
  const QString values[] = {settings.imapctLevelValue(), settings.videoClipTimeValue(), settings.audioValue(),
                            settings.rearCameraValue(),  settings.videoQualityValue(),  settings.dvrResetValue(),
                            settings.timeZoneValue(),    settings.wifiLanValue()};
  // A reset request read from a card is never kept.
  check(settings.dvrResetValue().isEmpty());
  // In the file's key order.
  for (qsizetype i = 0; i < keys.size(); ++i) {
    check(i == keys.indexOf(QStringLiteral("DVR_RESET")) || RyndSettingInfo::isValidValue(values[i], keys.at(i)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Refused values are logged one by one: not worth the time here.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  fuzz::writeSeedsWhenAsked(writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const QString input = fuzz::scratchPath(QStringLiteral("settings-in.ini"));
  static const QString output = fuzz::scratchPath(QStringLiteral("settings-out.ini"));
  if (!fuzz::writeInput(input, bytes, size)) {
    return 0;
  }
  IniFileLoader loader(input);
  const int result = loader.load();
  check(result == IniFileLoader::kLoaded || result == IniFileLoader::kUnreadable);
  check(loader.resultData().has_value() == (result == IniFileLoader::kLoaded));
  check(result == IniFileLoader::kUnreadable || size <= static_cast<std::size_t>(IniFileLoader::kMaxFileSize));
  if (!loader.resultData()) {
    return 0;
  }
  const RyndSettingInfo& settings = *loader.resultData();
  checkValues(settings);
  check(IniFileExporter(output).exportSettings(settings));
  IniFileLoader again(output);
  check(again.load() == IniFileLoader::kLoaded);
  check(again.resultData() == settings);
  return 0;
}
