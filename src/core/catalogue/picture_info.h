#pragma once

#include "core/telemetry/custom_location.h"

#include <QDateTime>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <mutex>

namespace dashcard {

class DCFInfo;

// One still picture on the card, optionally attached to the recording it
// was taken during (held weakly; the recording owns its pictures).
class PictureInfo {
 public:
  // `location`: the picture's EXIF position (PictureExif reads it).
  PictureInfo(const QString& rootPath, const QString& deltaPath,
              const CustomLocation& location = CustomLocation::placeholder());
  PictureInfo(const PictureInfo&) = delete;
  PictureInfo& operator=(const PictureInfo&) = delete;

  QString rootPath() const;
  const QString& deltaPath() const { return deltaPath_; }
  QString filePath() const;
  const QString& secondaryFilePath() const { return secondaryFilePath_; }
  std::int64_t picFileNumber() const { return picFileNumber_; }
  const QDateTime& fileDate() const { return fileDate_; }
  std::uint64_t fileSize() const { return fileSize_; }
  const QString& pictureName() const { return pictureName_; }
  const QString& pictureDateString() const { return pictureDateString_; }
  QString pictureThumbnailPath() const;
  void setPictureThumbnailPath(const QString& path);
  const QVariantMap& exifDict() const { return exifDict_; }
  const CustomLocation& location() const { return location_; }
  std::shared_ptr<DCFInfo> parentDCFInfo() const;
  void setParentDCFInfo(const std::shared_ptr<DCFInfo>& parent);

  bool isProtected() const;

  // Follows a renamed volume (called by the recording it belongs to).
  void changeWithRootPath(const QString& newRootPath);

 private:
  mutable std::mutex mutex_;
  QString rootPath_;
  QString deltaPath_;
  QString filePath_;
  QString secondaryFilePath_;
  std::int64_t picFileNumber_ = 10000;
  QDateTime fileDate_;
  std::uint64_t fileSize_ = 0;
  QString pictureName_;
  QString pictureDateString_;
  QString pictureThumbnailPath_;
  QVariantMap exifDict_;
  CustomLocation location_;
  std::weak_ptr<DCFInfo> parentDCFInfo_;
};

using PictureInfoPtr = std::shared_ptr<PictureInfo>;
using PictureInfoList = QList<PictureInfoPtr>;

}  // namespace dashcard
