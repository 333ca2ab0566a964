#pragma once

#include <QString>

#include <optional>

namespace dashcard {

class Sha256;

// Why a file operation failed: the errno value and a readable text.
struct FileError {
  int code = 0;
  QString message;
};

// Copies of whole files that never overwrite.
class FileCopier {
 public:
  FileCopier() = delete;

  // Copies `source` to `destination`, which must not exist yet (EEXIST
  // otherwise). Shares the blocks where the file system can (reflink), else
  // copies in the kernel, else reads and writes. The copy keeps the source's
  // modification time and is checked for the source's size; a failed copy
  // leaves no destination file behind. With `hash`, the bytes are read and
  // written here and fed to it on the way (the source is read once).
  static std::optional<FileError> copyFile(const QString& source, const QString& destination,
                                           Sha256* hash = nullptr);

  // Creates `path` and missing parents; an existing folder is no error.
  static std::optional<FileError> makeDirectory(const QString& path);

  static FileError errorFor(int code, const QString& path);
};

}  // namespace dashcard
