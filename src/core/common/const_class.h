#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace dashcard {

class PathExistenceCache;

// Read-only constants of the card layout and its name rules, plus the one
// matching rule for names. Nothing here holds state; the lookups only ask
// whether a path exists.
class ConstClass {
 public:
  ConstClass() = delete;

  // Card layout.
  static inline const QString REG_TX900_FOLDER_NORMAL = QStringLiteral("NORMAL");
  static inline const QString REG_TX900_FOLDER_EVENT = QStringLiteral("EVENT");
  static inline const QString REG_TX900_FOLDER_MANUAL = QStringLiteral("MANUAL");
  static inline const QString REG_TX900_FOLDER_PARKING = QStringLiteral("PARKING");
  static inline const QString REG_TX900_FOLDER_PICTURE = QStringLiteral("PICTURE");
  static inline const QString REG_RYND_FOLDER_NMEA = QStringLiteral("NMEA");

  // Name patterns (ICU syntax).
  static inline const QString REG_RYND_ROOT_FOLDER = QStringLiteral("(NMEA|NORMAL|EVENT|MANUAL)");
  static inline const QString REG_TX900_FOLDER = QStringLiteral("(NORMAL|MANUAL|EVENT|PARKING|PICTURE)");
  // ASCII digits only (ICU's \d takes every script's) and a literal dot.
  static inline const QString REG_RYND_FILE_VIDEO = QStringLiteral(
      "F_([0-9][0-9])([0-9][0-9])(0[1-9]|1[0-2])(0[1-9]|[1-2][0-9]|3[0-1])([0-1][0-9]|2[0-3])([0-5][0-9])([0-5][0-9])"
      "_([0-9][0-9])([0-9][0-9])(0[1-9]|1[0-2])(0[1-9]|[1-2][0-9]|3[0-1])([0-1][0-9]|2[0-3])([0-5][0-9])([0-5][0-9])"
      "_(N|E|M)\\.(mp4|MP4)");
  static inline const QString REG_TX900_FILE_PIC = QStringLiteral(
      "([0-9][0-9])(0[1-9]|1[0-2])(0[1-9]|[1-2][0-9]|3[0-1])([0-1][0-9]|2[0-3])([0-5][0-9])([0-5][0-9])\\.(jpg|JPG)");
  static inline const QStringList REG_RYND_FILE_VIDE_EXTENIONS = {QStringLiteral("mp4"), QStringLiteral("MP4")};
  static inline const QStringList REG_TX900_FILE_PIC_EXTENSIONS = {QStringLiteral("jpg"), QStringLiteral("JPG")};

  // Event kinds.
  static inline const QString DCF_EVENTNAME_NORMAL = QStringLiteral("EVENTNAME_NORMAL");
  static inline const QString DCF_EVENTNAME_EVENT = QStringLiteral("EVENTNAME_EVENT");
  static inline const QString DCF_EVENTNAME_MANUAL = QStringLiteral("EVENTNAME_MANUAL");
  static inline const QString DCF_EVENTNAME_PARKING = QStringLiteral("EVENTNAME_PARKING");

  // The most thumbnail files the cache keeps.
  static constexpr int MAX_THUMB_CACHE = 5000;

  // True when `regexPattern` matches the whole of `target` exactly once
  // (lengths in UTF-16 code units). A pattern that does not compile matches
  // nothing. Compiled patterns are cached; safe from any thread.
  static bool fullMatchResultWithTarget(const QString& target, const QString& regexPattern);

  // The event name of a recording folder ("EVENTNAME_NORMAL" for any folder
  // that is not an event folder) and the untranslated key of its label
  // (empty for a normal recording).
  static QString eventNameForFolderName(const QString& folderName);
  static QString eventLabelKeyForFolderName(const QString& folderName);

  // Companion files of a front video.

  // Existence is asked of `listings` when given (a scan's folder
  // listings), else of the file system.

  // `path` itself with its extension upper-cased when that exists, else
  // lower-cased when that exists, else an empty string.
  static QString existingPathWithExtensionCaseVariants(const QString& path, PathExistenceCache* listings = nullptr);
  // The rear-camera video of the front video `filePath`, empty when none exists.
  static QString secondaryFilePathWithFilePath(const QString& filePath, PathExistenceCache* listings = nullptr);
  // The telemetry file of the front video `filePath`: the first of the four
  // candidates that exists, else the first candidate (a file that may be
  // absent). `foundInAlternatePlace` tells whether candidate 3 or 4 won.
  static QString infoFilePathWithFilePath(const QString& filePath, bool* foundInAlternatePlace = nullptr,
                                          PathExistenceCache* listings = nullptr);
  // Where that file is, small enough for a recording to keep instead of
  // the path: the candidate (0 beside the video, 1 its CED beside it, 2 the
  // NMEA tree, 3 the CED folder; 0 also when none exists) and the case of
  // its extension.
  struct InfoFilePlace {
    std::uint8_t candidate = 0;
    bool lowerCaseExtension = false;
  };
  // `found`, when given, receives the path of the file found (empty when none).
  static InfoFilePlace infoFilePlaceWithFilePath(const QString& filePath, PathExistenceCache* listings = nullptr,
                                                 QString* found = nullptr);
  // The path of the telemetry file of `filePath` at `place` (no disk access).
  static QString infoFilePathAt(const QString& filePath, InfoFilePlace place);
  // "N" + the base name from its second character on + ".NMEA", and base + ".CED".
  static QString nmeaFileNameWithFilePath(const QString& filePath);
  static QString cedFileNameWithFilePath(const QString& filePath);
  // `directory` with the first occurrence of `folder` removed, then
  // "NMEA/<folder>/<nmeaName>"; empty when `folder` does not occur.
  static QString nmeaTreeCandidate(const QString& directory, const QString& folder, const QString& nmeaName);
  // Joins `relative` onto `directory` lexically: every ".." of `relative`
  // drops one component of `directory` (never above the root). No disk access.
  static QString resolvedPath(const QString& directory, const QString& relative);
  // The folder that holds the camera's own telemetry files beside DCIM.
  static inline const QString CED_RELATIVE_FOLDER = QStringLiteral("../../PRIVATE/QORVEX/CLPEXT/");

  // ---- Drive support (ADAS records of the telemetry file) ----

  // Record families and their field counts.
  static inline const QString QVDSA_TYPE_QVCAM = QStringLiteral("QVDSA_TYPE_QVCAM");
  static inline const QString QVDSA_TYPE_ZENTA = QStringLiteral("QVDSA_TYPE_ZENTA");
  static inline const QString QVDSA_TYPE_UNKNOWN = QStringLiteral("QVDSA_TYPE_UNKNOWN");
  static constexpr int QVDSA_COUNT_QVCAM = 17;
  // Field count of the position sentence the parser reads.
  static constexpr int GPRMC_COUNT_OTHRES = 13;

  // Icon images of the camera family.
  static inline const QString QVDSA_ICONIMAGE_NAME_DELAY = QStringLiteral("adas_start_delay");
  static inline const QString QVDSA_ICONIMAGE_NAME_DEPERTURE = QStringLiteral("adas_lane_departure");
  static inline const QString QVDSA_ICONIMAGE_NAME_COLLISION = QStringLiteral("adas_forward_collision");
  // ---- end of drive support ----
};

}  // namespace dashcard
