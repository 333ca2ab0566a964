#pragma once

// A small tmpfs mounted for one test, to make a full or read-only disk.
// Mounting needs root (CI runs as root); ok() is false elsewhere and the
// test skips.

#include <QDir>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace dashcard::test {

class ScratchMount {
 public:
  // `sizeBytes` of space; `readOnly` remounts it read-only once mounted.
  explicit ScratchMount(long sizeBytes, bool readOnly = false) {
    if (!dir_.isValid() || geteuid() != 0) {
      return;
    }
    const std::string target = dir_.path().toStdString();
    const std::string options = "size=" + std::to_string(sizeBytes);
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      return;
    }
    mounted_ = true;
    if (readOnly && ::mount("tmpfs", target.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.c_str()) != 0) {
      return;
    }
    ok_ = true;
  }
  ~ScratchMount() {
    if (mounted_) {
      ::umount2(dir_.path().toStdString().c_str(), MNT_DETACH);
    }
  }
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool ok() const { return ok_; }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  // Remounts read-write or read-only (e.g. to prepare content, then freeze it).
  bool setReadOnly(bool readOnly) {
    return mounted_ && ::mount("tmpfs", dir_.path().toStdString().c_str(), "tmpfs",
                               MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
  }

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
  bool ok_ = false;
};

}  // namespace dashcard::test
