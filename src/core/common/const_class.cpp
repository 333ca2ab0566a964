#include "core/common/const_class.h"

#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"

#include <QFile>
#include <QHash>

#include <memory>
#include <mutex>
#include <shared_mutex>

#include <sys/stat.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace dashcard {
namespace {

// Compiled patterns live for the whole process: the patterns are a handful
// of constants, and a matcher per thread refers to them.
class PatternCache {
 public:
  static PatternCache& instance() {
    static PatternCache cache;
    return cache;
  }

  // The compiled pattern, or nullptr when it does not compile. `owned`
  // receives a pattern that could not be cached (the cache is full).
  const icu::RegexPattern* find(const QString& pattern, std::unique_ptr<icu::RegexPattern>* owned) {
    {
      std::shared_lock lock(mutex_);
      auto it = patterns_.constFind(pattern);
      if (it != patterns_.constEnd()) {
        return it->get();
      }
    }
    std::unique_ptr<icu::RegexPattern> compiled = compile(pattern);
    std::unique_lock lock(mutex_);
    auto it = patterns_.constFind(pattern);
    if (it != patterns_.constEnd()) {
      return it->get();
    }
    if (patterns_.size() >= kMaxPatterns) {
      *owned = std::move(compiled);
      return owned->get();
    }
    const icu::RegexPattern* raw = compiled.get();
    patterns_.insert(pattern, std::shared_ptr<icu::RegexPattern>(std::move(compiled)));
    return raw;
  }

 private:
  static constexpr qsizetype kMaxPatterns = 256;

  static std::unique_ptr<icu::RegexPattern> compile(const QString& pattern) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    const icu::UnicodeString text(reinterpret_cast<const UChar*>(pattern.utf16()),
                                  static_cast<int32_t>(pattern.size()));
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(text, 0, parseError, status));
    if (U_FAILURE(status)) {
      return nullptr;
    }
    return compiled;
  }

  std::shared_mutex mutex_;
  QHash<QString, std::shared_ptr<icu::RegexPattern>> patterns_;
};

bool pathExists(const QString& path) {
  if (path.isEmpty()) {
    return false;
  }
  if (PathExistenceCache* cache = PathExistenceCache::current()) {
    return cache->exists(path);
  }
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

QString baseName(const QString& filePath) {
  return path_text::deletingPathExtension(path_text::lastPathComponent(filePath));
}

}  // namespace

bool ConstClass::fullMatchResultWithTarget(const QString& target, const QString& regexPattern) {
  std::unique_ptr<icu::RegexPattern> owned;
  const icu::RegexPattern* pattern = PatternCache::instance().find(regexPattern, &owned);
  if (pattern == nullptr) {
    return false;
  }
  // One matcher per thread and pattern: creating one costs more than the match.
  thread_local QHash<const icu::RegexPattern*, std::shared_ptr<icu::RegexMatcher>> matchers;
  const icu::UnicodeString input(false, reinterpret_cast<const UChar*>(target.utf16()),
                                 static_cast<int32_t>(target.size()));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> ownedMatcher;
  icu::RegexMatcher* matcher = nullptr;
  if (owned) {
    ownedMatcher.reset(pattern->matcher(input, status));
    matcher = ownedMatcher.get();
  } else {
    auto& slot = matchers[pattern];
    if (!slot) {
      slot.reset(pattern->matcher(status));
    }
    matcher = slot.get();
    if (matcher != nullptr) {
      matcher->reset(input);
    }
  }
  if (U_FAILURE(status) || matcher == nullptr) {
    return false;
  }
  int count = 0;
  bool whole = false;
  while (matcher->find(status) && U_SUCCESS(status)) {
    ++count;
    if (count > 1) {
      break;
    }
    const int32_t start = matcher->start(status);
    const int32_t end = matcher->end(status);
    whole = start == 0 && end == input.length();
  }
  // The matcher must not keep pointing at the caller's text.
  if (!owned) {
    matcher->reset(icu::UnicodeString());
  }
  return U_SUCCESS(status) && count == 1 && whole;
}

QString ConstClass::eventNameForFolderName(const QString& folderName) {
  if (folderName == QLatin1String("EVENT") || folderName == QLatin1String("200_SHOC") ||
      folderName == QLatin1String("200_EVNT")) {
    return DCF_EVENTNAME_EVENT;
  }
  if (folderName == QLatin1String("MANUAL") || folderName == QLatin1String("300_MANU")) {
    return DCF_EVENTNAME_MANUAL;
  }
  if (folderName == QLatin1String("PARKING") || folderName == QLatin1String("400_PARK")) {
    return DCF_EVENTNAME_PARKING;
  }
  return DCF_EVENTNAME_NORMAL;
}

QString ConstClass::eventLabelKeyForFolderName(const QString& folderName) {
  const QString event = eventNameForFolderName(folderName);
  if (event == DCF_EVENTNAME_EVENT) {
    return QStringLiteral("EVENT RECORD");
  }
  if (event == DCF_EVENTNAME_MANUAL) {
    return QStringLiteral("MANUAL RECORD");
  }
  if (event == DCF_EVENTNAME_PARKING) {
    return QStringLiteral("PARKING RECORD");
  }
  return {};
}

QString ConstClass::existingPathWithExtensionCaseVariants(const QString& path) {
  const QString extension = path_text::pathExtension(path);
  if (extension.isEmpty()) {
    return pathExists(path) ? path : QString();
  }
  // The extension is the tail of the path (trailing slashes aside): its
  // case is changed in place, one copy for both variants (the scan asks
  // this for every recording).
  QString candidate = path;
  while (candidate.size() > 1 && candidate.endsWith(u'/')) {
    candidate.chop(1);
  }
  QChar* const tail = candidate.data() + (candidate.size() - extension.size());
  bool changed = false;
  for (qsizetype i = 0; i < extension.size(); ++i) {
    tail[i] = extension[i].toUpper();
  }
  if (pathExists(candidate)) {
    return candidate;
  }
  for (qsizetype i = 0; i < extension.size(); ++i) {
    const QChar lower = extension[i].toLower();
    changed = changed || lower != tail[i];
    tail[i] = lower;
  }
  return changed && pathExists(candidate) ? candidate : QString();
}

QString ConstClass::secondaryFilePathWithFilePath(const QString& filePath) {
  const QString name = path_text::lastPathComponent(filePath);
  if (name.isEmpty()) {
    return {};
  }
  // The rear video differs only in the first letter of the file name. The
  // name's own position is used, not its first occurrence in the path, so a
  // folder that happens to carry the same text is never rewritten.
  QString rear = filePath;
  qsizetype at = rear.lastIndexOf(name);
  if (at < 0) {
    return {};
  }
  rear[at] = u'R';
  return existingPathWithExtensionCaseVariants(rear);
}

QString ConstClass::nmeaFileNameWithFilePath(const QString& filePath) {
  return QStringLiteral("N") + baseName(filePath).mid(1) + QStringLiteral(".NMEA");
}

QString ConstClass::cedFileNameWithFilePath(const QString& filePath) {
  return baseName(filePath) + QStringLiteral(".CED");
}

QString ConstClass::nmeaTreeCandidate(const QString& directory, const QString& folder, const QString& nmeaName) {
  if (folder.isEmpty()) {
    return {};
  }
  // The recording folder is the directory's own last component; cutting it
  // there (not at its first occurrence) keeps a card root such as
  // /cards/NORMAL_copy intact.
  QString root;
  if (path_text::lastPathComponent(directory) == folder) {
    root = path_text::deletingLastPathComponent(directory);
  } else {
    const qsizetype at = directory.indexOf(folder);
    if (at < 0) {
      return {};
    }
    root = directory.left(at) + directory.mid(at + folder.size());
  }
  return path_text::appendingPathComponent(
      path_text::appendingPathComponent(path_text::appendingPathComponent(root, REG_RYND_FOLDER_NMEA), folder),
      nmeaName);
}

QString ConstClass::infoFilePathWithFilePath(const QString& filePath, bool* foundInAlternatePlace) {
  if (foundInAlternatePlace != nullptr) {
    *foundInAlternatePlace = false;
  }
  const QString directory = path_text::deletingLastPathComponent(filePath);
  // The alternate folders depend on the folder alone, and a scan asks for
  // thousands of files of the same few folders in a row.
  struct AlternateFolders {
    QString directory;
    QString folder;
    QString cedFolder;
  };
  thread_local AlternateFolders last;
  if (last.directory != directory || last.directory.isNull()) {
    last.directory = directory;
    last.folder = path_text::lastPathComponent(directory);
    last.cedFolder = resolvedPath(directory, CED_RELATIVE_FOLDER);
  }
  const QString nmeaName = nmeaFileNameWithFilePath(filePath);
  const QString cedName = cedFileNameWithFilePath(filePath);

  const QString first = path_text::appendingPathComponent(directory, nmeaName);
  QString found = existingPathWithExtensionCaseVariants(first);
  if (!found.isEmpty()) {
    return found;
  }
  found = existingPathWithExtensionCaseVariants(path_text::appendingPathComponent(directory, cedName));
  if (!found.isEmpty()) {
    return found;
  }
  for (const QString& candidate : {nmeaTreeCandidate(directory, last.folder, nmeaName),
                                   path_text::appendingPathComponent(last.cedFolder, cedName)}) {
    found = existingPathWithExtensionCaseVariants(candidate);
    if (!found.isEmpty()) {
      if (foundInAlternatePlace != nullptr) {
        *foundInAlternatePlace = true;
      }
      return found;
    }
  }
  return first;
}

QString ConstClass::resolvedPath(const QString& directory, const QString& relative) {
  QStringList base = directory.split(u'/', Qt::SkipEmptyParts);
  QStringList tail = relative.split(u'/', Qt::SkipEmptyParts);
  qsizetype up = 0;
  for (const QString& component : tail) {
    if (component == QLatin1String("..")) {
      ++up;
      if (!base.isEmpty()) {
        base.removeLast();
      }
    }
  }
  tail.remove(0, std::min(up, tail.size()));
  QString result = directory.startsWith(u'/') ? QStringLiteral("/") : QString();
  result += (base + tail).join(u'/');
  return result;
}

}  // namespace dashcard
