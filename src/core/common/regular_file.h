#pragma once

#include <QString>

#include <sys/stat.h>

namespace dashcard {

// Opens `path` for reading only when it is a regular file: looked at before
// opening (opening a device may act on it), opened without blocking and
// checked again through the handle, so a FIFO or a device put in its place
// meanwhile is refused, not waited on. Card files are read only this way.
// Returns the descriptor, or -1 with errno set: EISDIR for a folder, EINVAL
// for any other kind of file. `info`, when given, gets the opened file's facts.
int openRegularFile(const QString& path, struct stat* info = nullptr);

}  // namespace dashcard
