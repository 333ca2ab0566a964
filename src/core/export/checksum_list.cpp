#include "core/export/checksum_list.h"

#include <QFile>

namespace dashcard {
namespace {

constexpr qsizetype kDigestLength = 64;

bool isHexDigest(const QByteArray& text) {
  if (text.size() != kDigestLength) {
    return false;
  }
  for (const char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) {
      return false;
    }
  }
  return true;
}

// Undoes sha256sum's escaping; false for an escape it never writes.
bool unescape(const QByteArray& name, QByteArray& out) {
  out.clear();
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (name.at(i) != '\\') {
      out += name.at(i);
      continue;
    }
    if (++i == name.size()) {
      return false;
    }
    if (name.at(i) == '\\') {
      out += '\\';
    } else if (name.at(i) == 'n') {
      out += '\n';
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

QByteArray ChecksumList::format(const QList<ChecksumEntry>& entries) {
  QByteArray text;
  for (const ChecksumEntry& entry : entries) {
    QByteArray name = QFile::encodeName(entry.relativePath);
    const bool escaped = name.contains('\\') || name.contains('\n');
    if (escaped) {
      name.replace("\\", "\\\\").replace("\n", "\\n");
      text += '\\';
    }
    text += entry.digest.toLower();
    text += "  ";
    text += name;
    text += '\n';
  }
  return text;
}

ChecksumList::Parsed ChecksumList::parse(const QByteArray& text) {
  Parsed parsed;
  const QList<QByteArray> lines = text.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QByteArray line = lines.at(i);
    if (line.isEmpty() && i == lines.size() - 1) {
      break;  // after the last line break
    }
    const bool escaped = line.startsWith('\\');
    if (escaped) {
      line.remove(0, 1);
    }
    const QByteArray digest = line.left(kDigestLength);
    QByteArray name;
    const bool wellFormed = isHexDigest(digest) && line.size() > kDigestLength + 2 &&
                            line.at(kDigestLength) == ' ' &&
                            (line.at(kDigestLength + 1) == ' ' || line.at(kDigestLength + 1) == '*') &&
                            (!escaped || unescape(line.mid(kDigestLength + 2), name));
    if (!wellFormed) {
      parsed.badLines << static_cast<int>(i + 1);
      continue;
    }
    if (!escaped) {
      name = line.mid(kDigestLength + 2);
    }
    parsed.entries << ChecksumEntry{QFile::decodeName(name), digest.toLower()};
  }
  return parsed;
}

bool ChecksumList::isSafeRelativePath(const QString& path) {
  if (path.isEmpty() || path.startsWith(QLatin1Char('/'))) {
    return false;
  }
  const QStringList parts = path.split(QLatin1Char('/'));
  for (const QString& part : parts) {
    if (part == QLatin1String("..")) {
      return false;
    }
  }
  return true;
}

}  // namespace dashcard
