#pragma once

#include "core/settings/rynd_setting_info.h"

#include <QString>

namespace dashcard {

// Writes the camera's settings file.
class IniFileExporter {
 public:
  explicit IniFileExporter(QString exportFilePath);

  const QString& exportFilePath() const { return exportFilePath_; }

  // Writes `settings` as UTF-8 with CR LF line ends, replacing the old file in
  // one step (a failed write leaves it as it was). Sets `errorText` on failure.
  bool exportSettings(const RyndSettingInfo& settings, QString* errorText = nullptr) const;

 private:
  QString exportFilePath_;
};

}  // namespace dashcard
