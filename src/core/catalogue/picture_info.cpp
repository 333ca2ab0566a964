#include "core/catalogue/picture_info.h"

#include "core/catalogue/dcf_info.h"
#include "core/common/path_text.h"

namespace dashcard {

PictureInfo::PictureInfo(const QString& rootPath, const QString& deltaPath, const CustomLocation& location)
    : rootPath_(rootPath),
      deltaPath_(deltaPath),
      filePath_(path_text::appendingPathComponent(rootPath, deltaPath)),
      location_(location) {
  fileDate_ = DCFInfo::modificationDate(filePath_);
  fileSize_ = DCFInfo::fileSizeAtPath(filePath_);
  bool ok = false;
  const qint64 number = path_text::deletingPathExtension(path_text::lastPathComponent(filePath_)).toLongLong(&ok, 10);
  picFileNumber_ = ok ? number : 10000;
  pictureDateString_ = DCFInfo::displayDateStringWithFilePath(filePath_);
  pictureName_ = pictureDateString_;
}

QString PictureInfo::rootPath() const {
  std::lock_guard lock(mutex_);
  return rootPath_;
}

QString PictureInfo::filePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

QString PictureInfo::pictureThumbnailPath() const {
  std::lock_guard lock(mutex_);
  return pictureThumbnailPath_;
}

void PictureInfo::setPictureThumbnailPath(const QString& path) {
  std::lock_guard lock(mutex_);
  pictureThumbnailPath_ = path;
}

std::shared_ptr<DCFInfo> PictureInfo::parentDCFInfo() const {
  std::lock_guard lock(mutex_);
  return parentDCFInfo_.lock();
}

void PictureInfo::setParentDCFInfo(const std::shared_ptr<DCFInfo>& parent) {
  std::lock_guard lock(mutex_);
  parentDCFInfo_ = parent;
}

bool PictureInfo::isProtected() const { return DCFInfo::fileIsProtected(filePath()); }

void PictureInfo::changeWithRootPath(const QString& newRootPath) {
  std::lock_guard lock(mutex_);
  rootPath_ = newRootPath;
  filePath_ = path_text::appendingPathComponent(newRootPath, deltaPath_);
}

}  // namespace dashcard
