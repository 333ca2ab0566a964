#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/settings/ini_file_exporter.h"
#include "core/settings/ini_file_loader.h"
#include "core/settings/ini_file_parameters.h"
#include "core/settings/rynd_setting_info.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace dashcard::cli {
namespace {

const QStringList& allowedValues(const QString& key) {
  static const QStringList none;
  if (key == QLatin1String("IMPACT_LEVEL")) return IniFileParameters::ImpactLevelValues();
  if (key == QLatin1String("VIDEO_CLIP_TIME")) return IniFileParameters::VideoClipTimeValues();
  if (key == QLatin1String("AUDIO")) return IniFileParameters::AudioValues();
  if (key == QLatin1String("REAR_CAMERA")) return IniFileParameters::RearCameraValues();
  if (key == QLatin1String("VIDEO_QUALITY")) return IniFileParameters::VideoQualityValues();
  if (key == QLatin1String("TIME_ZONE")) return IniFileParameters::TimeZoneValuList();
  if (key == QLatin1String("WI_LAN")) return IniFileParameters::WiFiLanValues();
  return none;
}

void setValue(RyndSettingInfo& info, const QString& key, const QString& value) {
  if (key == QLatin1String("IMPACT_LEVEL")) info.setImapctLevelValue(value);
  if (key == QLatin1String("VIDEO_CLIP_TIME")) info.setVideoClipTimeValue(value);
  if (key == QLatin1String("AUDIO")) info.setAudioValue(value);
  if (key == QLatin1String("REAR_CAMERA")) info.setRearCameraValue(value);
  if (key == QLatin1String("VIDEO_QUALITY")) info.setVideoQualityValue(value);
  if (key == QLatin1String("TIME_ZONE")) info.setTimeZoneValue(value);
  if (key == QLatin1String("WI_LAN")) info.setWifiLanValue(value);
}

QJsonObject toJson(const RyndSettingInfo& info) {
  return QJsonObject{{QStringLiteral("imapctLevelValue"), info.imapctLevelValue()},
                     {QStringLiteral("videoClipTimeValue"), info.videoClipTimeValue()},
                     {QStringLiteral("audioValue"), info.audioValue()},
                     {QStringLiteral("rearCameraValue"), info.rearCameraValue()},
                     {QStringLiteral("videoQualityValue"), info.videoQualityValue()},
                     {QStringLiteral("dvrResetValue"), info.dvrResetValue()},
                     {QStringLiteral("timeZoneValue"), info.timeZoneValue()},
                     {QStringLiteral("wifiLanValue"), info.wifiLanValue()}};
}

}  // namespace

int runSettingsCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("settings"), QStringLiteral("CARD [KEY=VALUE...] [--reset] [--json]"),
                           QStringLiteral("Prints the camera settings of the card (rynd_settings.ini); with changes\n"
                                          "or --reset, checks every value and writes the file."));
  QCommandLineParser& parser = command.parser;
  const QCommandLineOption reset(QStringLiteral("reset"),
                                 QStringLiteral("Ask the camera to reset itself: writes only DVR_RESET ON "
                                                "(no KEY=VALUE with it)."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the settings as JSON."));
  parser.addOptions({reset, json});
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Root folder of the card."));
  parser.addPositionalArgument(QStringLiteral("KEY=VALUE"),
                               QStringLiteral("A setting to change, e.g. AUDIO=OFF or TIME_ZONE=JST."),
                               QStringLiteral("[KEY=VALUE...]"));
  const QStringList positional = command.parse(arguments, 1, kMany, QStringLiteral("needs CARD"));
  const QString root = positional.first();
  if (!QFileInfo(root).isDir()) {
    command.refuse(QStringLiteral("%1 is not a folder.").arg(root));
  }

  // Every change is checked before anything is written.
  QList<QPair<QString, QString>> changes;
  for (const QString& change : positional.mid(1)) {
    const qsizetype equals = change.indexOf(QLatin1Char('='));
    const QString key = change.left(equals);
    const QString value = equals < 0 ? QString() : change.mid(equals + 1);
    const QStringList& allowed = allowedValues(key);
    if (allowed.isEmpty()) {
      command.refuse(QStringLiteral("unknown setting '%1'. Settings: IMPACT_LEVEL, VIDEO_CLIP_TIME, AUDIO, "
                                    "REAR_CAMERA, VIDEO_QUALITY, TIME_ZONE, WI_LAN.")
                         .arg(key));
    }
    if (equals < 0) {
      command.refuse(QStringLiteral("%1 needs a value: %1=VALUE with one of %2. Nothing was written.")
                         .arg(key, allowed.join(QStringLiteral(", "))));
    }
    if (!RyndSettingInfo::isValidValue(value, key)) {
      command.refuse(QStringLiteral("'%1' is not a value of %2. Allowed: %3. Nothing was written.")
                         .arg(value, key, allowed.join(QStringLiteral(", "))));
    }
    changes.append({key, value});
  }
  if (parser.isSet(reset) && !changes.isEmpty()) {
    // The reset request replaces every setting: a change with it would be lost.
    command.refuse(QStringLiteral("--reset writes only the reset request; it cannot be combined with KEY=VALUE. "
                                  "Nothing was written."));
  }

  const QString path = QDir(root).filePath(IniFileParameters::IniFileName());
  IniFileLoader loader(path);
  const int loaded = loader.load();
  RyndSettingInfo info = loader.resultData().value_or(RyndSettingInfo());
  if (loaded == IniFileLoader::kUnreadable) {
    // Its values are unknown: showing defaults would mislead, writing them
    // would replace every value the camera holds.
    command.fail(QStringLiteral("Failed to load configuration file: %1. Nothing was written.")
                     .arg(loader.errorString()));
  }
  if (loaded == IniFileLoader::kFileMissing) {
    printError(QStringLiteral("Failed to load configuration file\nApply the default settings (%1)")
                   .arg(loader.errorString()));
  }
  for (const auto& [key, value] : changes) {
    setValue(info, key, value);
  }
  if (parser.isSet(reset)) {
    info.setDvrResetValue(IniFileParameters::DvrResetValue().constFirst());
  }
  if (!changes.isEmpty() || parser.isSet(reset)) {
    QString error;
    if (!IniFileExporter(path).exportSettings(info, &error)) {
      command.fail(QStringLiteral("Could not write to the configuration file: %1").arg(error));
    }
    printError(QStringLiteral("saved the setting: %1").arg(path));
  }
  if (parser.isSet(json)) {
    printJson(toJson(info));
  } else {
    QString text = info.exportText();
    text.remove(QLatin1Char('\r'));
    printOut(text.trimmed());
  }
  return kExitOk;
}

}  // namespace dashcard::cli
