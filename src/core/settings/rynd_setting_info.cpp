#include "core/settings/rynd_setting_info.h"

#include "core/settings/ini_file_parameters.h"

#include <QDebug>
#include <QStringList>

namespace dashcard {
namespace {

const QString kImpactLevel = QStringLiteral("IMPACT_LEVEL");
const QString kVideoClipTime = QStringLiteral("VIDEO_CLIP_TIME");
const QString kAudio = QStringLiteral("AUDIO");
const QString kRearCamera = QStringLiteral("REAR_CAMERA");
const QString kVideoQuality = QStringLiteral("VIDEO_QUALITY");
const QString kDvrReset = QStringLiteral("DVR_RESET");
const QString kTimeZone = QStringLiteral("TIME_ZONE");
const QString kWifiLan = QStringLiteral("WI_LAN");

const QStringList* tableFor(const QString& itemName) {
  if (itemName == kImpactLevel) return &IniFileParameters::ImpactLevelValues();
  if (itemName == kVideoClipTime) return &IniFileParameters::VideoClipTimeValues();
  if (itemName == kAudio) return &IniFileParameters::AudioValues();
  if (itemName == kRearCamera) return &IniFileParameters::RearCameraValues();
  if (itemName == kVideoQuality) return &IniFileParameters::VideoQualityValues();
  if (itemName == kDvrReset) return &IniFileParameters::DvrResetValue();
  if (itemName == kTimeZone) return &IniFileParameters::TimeZoneValuList();
  if (itemName == kWifiLan) return &IniFileParameters::WiFiLanValues();
  return nullptr;
}

}  // namespace

RyndSettingInfo::RyndSettingInfo() { setDefaultValues(); }

void RyndSettingInfo::setDefaultValues() {
  // Defaults are positions in the camera's tables, so the tables stay the one source.
  impactLevel_ = IniFileParameters::ImpactLevelValues().at(3);
  videoClipTime_ = IniFileParameters::VideoClipTimeValues().at(1);
  audio_ = IniFileParameters::AudioValues().at(0);
  rearCamera_ = IniFileParameters::RearCameraValues().at(0);
  videoQuality_ = IniFileParameters::VideoQualityValues().at(0);
  dvrReset_.clear();
  timeZone_ = IniFileParameters::timeZoneValueUTC();
  wifiLan_ = IniFileParameters::WiFiLanValues().at(0);
}

const QStringList& RyndSettingInfo::itemNames() {
  static const QStringList names{kImpactLevel, kVideoClipTime, kAudio,    kRearCamera,
                                 kVideoQuality, kDvrReset,     kTimeZone, kWifiLan};
  return names;
}

bool RyndSettingInfo::isValidValue(const QString& value, const QString& itemName) {
  const QStringList* table = tableFor(itemName);
  return table != nullptr && table->contains(value);
}

void RyndSettingInfo::updateValue(const QString& value, const QString& itemName) {
  QString* field = nullptr;
  if (itemName == kImpactLevel) {
    field = &impactLevel_;
  } else if (itemName == kVideoClipTime) {
    field = &videoClipTime_;
  } else if (itemName == kAudio) {
    field = &audio_;
  } else if (itemName == kRearCamera) {
    field = &rearCamera_;
  } else if (itemName == kVideoQuality) {
    field = &videoQuality_;
  } else if (itemName == kTimeZone) {
    field = &timeZone_;
  } else if (itemName == kWifiLan) {
    field = &wifiLan_;
  } else if (itemName == kDvrReset) {
    // The camera has already acted on a reset request it finds on the card.
    dvrReset_.clear();
    return;
  } else {
    qWarning().noquote() << QStringLiteral("Undefine Name = %1, value = %2").arg(itemName, value);
    return;
  }
  if (tableFor(itemName)->contains(value)) {
    *field = value;
  } else {
    qWarning().noquote() << QStringLiteral("ParameterError >> Name = %1, Value = %2").arg(itemName, value);
  }
}

QString RyndSettingInfo::exportText() const {
  const auto line = [](const QString& key, const QString& value) {
    return key + QLatin1Char(' ') + value + QStringLiteral("\r\n");
  };
  if (!dvrReset_.isEmpty()) {
    // A reset request replaces every other setting.
    return line(kDvrReset, dvrReset_);
  }
  QString text = line(kImpactLevel, impactLevel_) + line(kVideoClipTime, videoClipTime_) + line(kAudio, audio_) +
                 line(kRearCamera, rearCamera_) + line(kVideoQuality, videoQuality_) + line(kTimeZone, timeZone_) +
                 line(kWifiLan, wifiLan_);
  for (const QString& other : otherLines_) {
    text += other + QStringLiteral("\r\n");
  }
  return text;
}

QString RyndSettingInfo::debugInfo() const {
  return QStringLiteral("ImpactLevel   = ") + impactLevel_ + QLatin1Char('\n') + QStringLiteral("VideoClipTime = ") +
         videoClipTime_ + QLatin1Char('\n') + QStringLiteral("Audio         = ") + audio_ + QLatin1Char('\n') +
         QStringLiteral("RearCamera    = ") + rearCamera_ + QLatin1Char('\n') + QStringLiteral("VideoQuality  = ") +
         videoQuality_ + QLatin1Char('\n') + QStringLiteral("DVRReset      = ") + dvrReset_ + QLatin1Char('\n') +
         QStringLiteral("TimeZone      = ") + timeZone_ + QLatin1Char('\n');
}

}  // namespace dashcard
