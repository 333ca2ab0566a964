#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace dashcard {

// One line of a SHA256SUMS file: a path relative to the file's folder and
// its digest as 64 lower-case hex digits.
struct ChecksumEntry {
  QString relativePath;
  QByteArray digest;
};

// The SHA256SUMS file of a backup, in the format `sha256sum -c` reads: the
// digest, two spaces, the relative path; a name holding a backslash or a
// line break is escaped the way sha256sum does it (a leading backslash).
class ChecksumList {
 public:
  ChecksumList() = delete;

  static constexpr auto kFileName = "SHA256SUMS";
  // Larger files are not read: a list of a card's files stays far below.
  static constexpr qint64 kMaxFileSize = 64 << 20;

  static QByteArray format(const QList<ChecksumEntry>& entries);

  struct Parsed {
    QList<ChecksumEntry> entries;
    // 1-based numbers of the lines that are not "<digest>  <path>".
    QList<int> badLines;
  };
  // Reads text and binary mode lines (" " or "*" before the name); digests
  // in either case come back lower case.
  static Parsed parse(const QByteArray& text);

  // A listed path that stays inside the folder: relative, no ".." part.
  static bool isSafeRelativePath(const QString& path);
};

}  // namespace dashcard
