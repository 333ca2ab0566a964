#include "core/common/const_class.h"

#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"

#include <QFile>
#include <QHash>

#include <array>
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
    // constData(), not utf16(): on a literal or raw string utf16() detaches
    // the caller's QString in place, which races when threads share it.
    const icu::UnicodeString text(reinterpret_cast<const UChar*>(pattern.constData()),
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

bool pathExists(const QString& path, PathExistenceCache* listings) {
  if (path.isEmpty()) {
    return false;
  }
  if (listings != nullptr) {
    return listings->exists(path);
  }
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

QString baseName(const QString& filePath) {
  return path_text::deletingPathExtension(path_text::lastPathComponent(filePath));
}

// `path` spelled with its extension in upper case, else in lower case,
// whichever exists first (changed in place: the scan asks this several
// times per recording); false when neither exists. A path without an
// extension is only checked.
bool spellExistingExtensionCase(QString& path, PathExistenceCache* listings) {
  qsizetype end = path.size();
  while (end > 1 && path[end - 1] == u'/') {
    --end;
  }
  const qsizetype stem = path_text::deletingPathExtensionView(path).size();
  if (stem == end) {
    return pathExists(path, listings);
  }
  path.truncate(end);
  QChar* const data = path.data();
  for (qsizetype i = stem + 1; i < end; ++i) {
    data[i] = data[i].toUpper();
  }
  if (pathExists(path, listings)) {
    return true;
  }
  bool changed = false;
  for (qsizetype i = stem + 1; i < end; ++i) {
    const QChar lower = data[i].toLower();
    changed = changed || lower != data[i];
    data[i] = lower;
  }
  return changed && pathExists(path, listings);
}

}  // namespace

bool ConstClass::fullMatchResultWithTarget(const QString& target, const QString& regexPattern) {
  // The patterns a thread used last, each with a matcher of its own:
  // creating a matcher costs more than the match, and remembering them here
  // spares the shared cache's lock on every call.
  struct Recent {
    QString pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
  };
  thread_local std::array<Recent, 8> recent;
  thread_local std::size_t nextSlot = 0;
  icu::RegexMatcher* matcher = nullptr;
  for (Recent& seen : recent) {
    if (seen.matcher && seen.pattern == regexPattern) {
      matcher = seen.matcher.get();
      break;
    }
  }
  std::unique_ptr<icu::RegexPattern> owned;
  std::unique_ptr<icu::RegexMatcher> ownedMatcher;
  UErrorCode status = U_ZERO_ERROR;
  if (matcher == nullptr) {
    const icu::RegexPattern* pattern = PatternCache::instance().find(regexPattern, &owned);
    if (pattern == nullptr) {
      return false;
    }
    ownedMatcher.reset(pattern->matcher(status));
    if (U_FAILURE(status) || ownedMatcher == nullptr) {
      return false;
    }
    matcher = ownedMatcher.get();
    if (!owned) {
      // Cached patterns live for the process: their matcher may be kept.
      Recent& slot = recent[nextSlot++ % recent.size()];
      slot = {regexPattern, std::move(ownedMatcher)};
    }
  }
  const icu::UnicodeString input(false, reinterpret_cast<const UChar*>(target.constData()),
                                 static_cast<int32_t>(target.size()));
  matcher->reset(input);
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
  matcher->reset(icu::UnicodeString());
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

QString ConstClass::existingPathWithExtensionCaseVariants(const QString& path, PathExistenceCache* listings) {
  QString candidate = path;
  return spellExistingExtensionCase(candidate, listings) ? candidate : QString();
}

QString ConstClass::secondaryFilePathWithFilePath(const QString& filePath, PathExistenceCache* listings) {
  const QStringView name = path_text::lastPathComponentView(filePath);
  if (name.isEmpty()) {
    return {};
  }
  // The rear video differs only in the first letter of the file name. The
  // name's own position is used, not its first occurrence in the path, so a
  // folder that happens to carry the same text is never rewritten.
  const qsizetype at = name.data() - filePath.data();
  QString rear = filePath;
  rear[at] = u'R';
  return spellExistingExtensionCase(rear, listings) ? rear : QString();
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

namespace {

// The alternate folders of a recording folder: the NMEA tree's (without
// the file name) and the camera's CED folder. They depend on the folder
// alone, and a scan asks for thousands of files of the same few folders in
// a row.
struct AlternateFolders {
  QString directory;
  QString nmeaFolder;
  QString cedFolder;
};

const AlternateFolders& alternateFolders(QStringView directory) {
  thread_local AlternateFolders last;
  if (last.directory.isNull() || last.directory != directory) {
    last.directory = directory.toString();
    const QString folder = path_text::lastPathComponent(last.directory);
    last.nmeaFolder = folder.isEmpty() ? QString() : ConstClass::nmeaTreeCandidate(last.directory, folder, QString());
    last.cedFolder = ConstClass::resolvedPath(last.directory, ConstClass::CED_RELATIVE_FOLDER);
  }
  return last;
}

// Spells candidate `place.candidate` of `filePath`'s telemetry file into
// `out`, its extension as written; false when that candidate has no folder.
bool spellInfoCandidate(QString& out, const QString& filePath, int candidate) {
  const QStringView directory = path_text::deletingLastPathComponentView(filePath);
  const bool nmea = candidate % 2 == 0;
  const QString name =
      nmea ? ConstClass::nmeaFileNameWithFilePath(filePath) : ConstClass::cedFileNameWithFilePath(filePath);
  if (candidate < 2) {
    path_text::spellAppendingPathComponent(out, directory, name);
    return true;
  }
  const AlternateFolders& folders = alternateFolders(directory);
  const QString& folder = nmea ? folders.nmeaFolder : folders.cedFolder;
  if (folder.isEmpty()) {
    return false;
  }
  path_text::spellAppendingPathComponent(out, folder, name);
  return true;
}

}  // namespace

ConstClass::InfoFilePlace ConstClass::infoFilePlaceWithFilePath(const QString& filePath, PathExistenceCache* listings,
                                                                QString* found) {
  // Candidates are spelled in one buffer.
  thread_local QString candidate;
  for (int i = 0; i < 4; ++i) {
    if (spellInfoCandidate(candidate, filePath, i) && spellExistingExtensionCase(candidate, listings)) {
      if (found != nullptr) {
        *found = QString(candidate.constData(), candidate.size());
      }
      return {static_cast<std::uint8_t>(i), candidate.back().isLower()};
    }
  }
  if (found != nullptr) {
    found->clear();
  }
  return {};
}

QString ConstClass::infoFilePathAt(const QString& filePath, InfoFilePlace place) {
  QString path;
  if (!spellInfoCandidate(path, filePath, place.candidate)) {
    spellInfoCandidate(path, filePath, 0);
  }
  if (place.lowerCaseExtension) {
    const qsizetype stem = path_text::deletingPathExtensionView(path).size();
    for (qsizetype i = stem + 1; i < path.size(); ++i) {
      path[i] = path[i].toLower();
    }
  }
  return path;
}

QString ConstClass::infoFilePathWithFilePath(const QString& filePath, bool* foundInAlternatePlace,
                                             PathExistenceCache* listings) {
  const InfoFilePlace place = infoFilePlaceWithFilePath(filePath, listings);
  if (foundInAlternatePlace != nullptr) {
    *foundInAlternatePlace = place.candidate >= 2;
  }
  return infoFilePathAt(filePath, place);
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
