#pragma once

#include <QString>
#include <QStringList>

namespace dashcard {

// The user settings of the camera as its settings file holds them; every
// value is the file's own text.
class RyndSettingInfo {
 public:
  // Every field at its default.
  RyndSettingInfo();

  void setDefaultValues();

  const QString& imapctLevelValue() const { return impactLevel_; }
  void setImapctLevelValue(const QString& value) { impactLevel_ = value; }
  const QString& videoClipTimeValue() const { return videoClipTime_; }
  void setVideoClipTimeValue(const QString& value) { videoClipTime_ = value; }
  const QString& audioValue() const { return audio_; }
  void setAudioValue(const QString& value) { audio_ = value; }
  const QString& rearCameraValue() const { return rearCamera_; }
  void setRearCameraValue(const QString& value) { rearCamera_ = value; }
  const QString& videoQualityValue() const { return videoQuality_; }
  void setVideoQualityValue(const QString& value) { videoQuality_ = value; }
  // Empty: no reset requested.
  const QString& dvrResetValue() const { return dvrReset_; }
  void setDvrResetValue(const QString& value) { dvrReset_ = value; }
  const QString& timeZoneValue() const { return timeZone_; }
  void setTimeZoneValue(const QString& value) { timeZone_ = value; }
  const QString& wifiLanValue() const { return wifiLan_; }
  void setWifiLanValue(const QString& value) { wifiLan_ = value; }

  // Lines of the file that are none of the keys above (another firmware's
  // keys, comments), kept to be written back after them unchanged.
  const QStringList& otherLines() const { return otherLines_; }
  void setOtherLines(const QStringList& lines) { otherLines_ = lines; }

  // Stores a value read from the file under key `itemName`. A value outside
  // the key's table, or an unknown key, is logged and changes nothing. A reset
  // request read from the card is dropped, so that it is never saved back.
  void updateValue(const QString& value, const QString& itemName);

  // True when `value` is allowed for the file key `itemName` (DVR_RESET included).
  static bool isValidValue(const QString& value, const QString& itemName);
  // The file keys in the order of the file.
  static const QStringList& itemNames();

  // The settings file text, CR LF line ends: the known keys, then the other
  // lines; a reset request alone.
  QString exportText() const;
  QString debugInfo() const;

  bool operator==(const RyndSettingInfo& other) const = default;

 private:
  QString impactLevel_;
  QString videoClipTime_;
  QString audio_;
  QString rearCamera_;
  QString videoQuality_;
  QString dvrReset_;
  QString timeZone_;
  QString wifiLan_;
  QStringList otherLines_;
};

}  // namespace dashcard
