#pragma once

#include "core/settings/rynd_setting_info.h"

#include <QString>

#include <optional>

namespace dashcard {

// Reads the camera's settings file.
class IniFileLoader {
 public:
  static constexpr int kLoaded = 0;
  static constexpr int kFileMissing = -1;
  static constexpr int kUnreadable = -2;
  // The camera writes about 1 KB; a bigger file is not its settings file.
  static constexpr qint64 kMaxFileSize = 64 * 1024;

  explicit IniFileLoader(QString filePath);

  const QString& filePath() const { return filePath_; }

  // 0 loaded, -1 no file at the path, -2 not a regular file, not
  // readable (permission), bigger than kMaxFileSize or not UTF-8 text;
  // errorString() says which. A line of a known key other than "KEY VALUE"
  // with exactly one blank is skipped; lines of other keys are kept as they
  // are (RyndSettingInfo::otherLines) to be written back.
  int load();
  // Why the last load failed, with the path; empty after a success.
  const QString& errorString() const { return errorString_; }

  // The loaded settings; empty until a load succeeded.
  const std::optional<RyndSettingInfo>& resultData() const { return settingInfo_; }

 private:
  QString filePath_;
  QString errorString_;
  std::optional<RyndSettingInfo> settingInfo_;
};

}  // namespace dashcard
