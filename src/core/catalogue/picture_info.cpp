#include "core/catalogue/picture_info.h"

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/exif_gps_module.h"
#include "core/common/path_text.h"
#include "core/common/program_folder.h"

#include <QDebug>
#include <QFile>

#include <cmath>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

namespace dashcard {
namespace {

// The EXIF module: in an installation's lib/dashcard (programs sit in bin
// or libexec/dashcard), else in the build tree the program was built in.
DashcardExifGpsPosition loadExifReader() {
  const std::string folder = programFolder();
  std::string failures;
  for (const std::string& candidate : {folder + "/../lib/dashcard/" DASHCARD_EXIF_MODULE_NAME,
                                       folder + "/../../lib/dashcard/" DASHCARD_EXIF_MODULE_NAME,
                                       std::string(DASHCARD_EXIF_MODULE_BUILD_DIR "/" DASHCARD_EXIF_MODULE_NAME)}) {
    if (::access(candidate.c_str(), R_OK) != 0) {
      continue;
    }
    // Never closed: the module stays for the life of the process.
    if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      if (void* entry = ::dlsym(module, DASHCARD_EXIF_GPS_SYMBOL)) {
        return reinterpret_cast<DashcardExifGpsPosition>(entry);
      }
    }
    failures += std::string(" ") + ::dlerror();
  }
  qWarning("Picture positions cannot be read: %s is missing or broken.%s", DASHCARD_EXIF_MODULE_NAME, failures.c_str());
  return nullptr;
}

}  // namespace

PictureInfo::PictureInfo(const QString& rootPath, const QString& deltaPath)
    : rootPath_(rootPath),
      deltaPath_(deltaPath),
      filePath_(path_text::appendingPathComponent(rootPath, deltaPath)),
      location_(CustomLocation::placeholder()) {
  fileDate_ = DCFInfo::modificationDate(filePath_);
  fileSize_ = DCFInfo::fileSizeAtPath(filePath_);
  bool ok = false;
  const qint64 number = path_text::deletingPathExtension(path_text::lastPathComponent(filePath_)).toLongLong(&ok, 10);
  picFileNumber_ = ok ? number : 10000;
  pictureDateString_ = DCFInfo::displayDateStringWithFilePath(filePath_);
  pictureName_ = pictureDateString_;
  location_ = locationWithImagePath(filePath_);
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

CustomLocation PictureInfo::locationWithImagePath(const QString& path) {
  static const DashcardExifGpsPosition read = loadExifReader();
  double latitude = 0.0;
  double longitude = 0.0;
  if (read == nullptr || path.isEmpty() || read(QFile::encodeName(path).constData(), &latitude, &longitude) != 1) {
    return CustomLocation::placeholder();
  }
  return CustomLocation(latitude, longitude);
}

}  // namespace dashcard
