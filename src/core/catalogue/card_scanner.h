#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/catalogue/picture_info.h"
#include "core/common/path_existence_cache.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace dashcard {

// The card scan: lists a card, picks the recordings and pictures by the
// layout's name rules and builds the catalogue. Knows nothing of windows;
// safe to run on any thread (one scan per object at a time).
class CardScanner {
 public:
  // Candidate processed so far of a total; `force` asks the receiver to pass
  // the report on at once (the end of a list).
  using Progress = std::function<void(std::uint64_t processed, std::uint64_t total, bool force)>;

  struct PreparedFiles {
    // Relative paths; absent when the card holds nothing to consider.
    std::optional<QStringList> movieFiles;
    std::optional<QStringList> pictureFiles;
    // Videos and pictures together.
    std::uint64_t total = 0;
  };

  struct Result {
    DCFInfoList recordings;
    // Still pictures, each attached to the first recording written after it.
    PictureInfoList pictures;
    // False when the root is not a card (mediaIsRynd).
    bool scanned = false;
  };

  // Names of the direct entries of `path` (hidden ones included), absent
  // when it cannot be listed.
  static std::optional<QStringList> pathsAtDirectory(const QString& path);
  static std::optional<QStringList> fullPathsAtDirectory(const QString& path);
  static bool pathIsDirectory(const QString& path);
  // The one rule of what is a card, for opening and scanning alike: a
  // folder with a recording folder (NORMAL, EVENT, MANUAL, PARKING,
  // PICTURE) or the NMEA folder at its top. Files of those names do not count.
  static bool mediaIsRynd(const QString& path);

  // Every regular file under `rootPath`, relative to it, whose
  // extension is one of `extensions` (all of them when empty). Symbolic
  // links to folders are followed once each, so a link loop ends;
  // unreadable folders are skipped.
  // Every folder's whole listing goes into `listings` when given.
  static QStringList recursiveFilesAtRootPath(const QString& rootPath, const QStringList& extensions,
                                              const std::atomic<bool>* cancel = nullptr,
                                              PathExistenceCache* listings = nullptr);

  // The steps of a scan.
  PreparedFiles prepareLoadFilesAtRootPath(const QString& rootPath) const;
  // Pictures in folders and with names the patterns take, by number;
  // each is its own thumbnail.
  PictureInfoList loadPicturesAtRootPath(const QString& rootPath, const std::optional<QStringList>& files,
                                         const QString& foldernameRegexPattern,
                                         const QString& pictureFilenameRegexPattern) const;
  // Attaches each picture to the first recording whose file date is later
  // by at least a second; the others stay alone.
  static void attachPictures(const PictureInfoList& pictures, const DCFInfoList& recordings);
  DCFInfoList loadMovieAtRootPath(const QString& rootPath, const std::optional<QStringList>& files,
                                  const QString& foldernameRegexPattern, const QString& videoFilenameRegexPattern,
                                  const Progress& progress, std::uint64_t total = 0) const;

  // The whole scan of `rootPath`: nothing when it is not a card.
  Result scan(const QString& rootPath, const Progress& progress = {}) const;

  void setCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  // The folder listings of the last scan (null before one), for further
  // existence questions about the same card.
  std::shared_ptr<PathExistenceCache> listings() const { return listings_; }

 private:
  // The listings of this scan: made by the walk, else on first use.
  std::shared_ptr<PathExistenceCache> listingsForScan() const;
  bool cancelled() const { return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed); }
  const std::atomic<bool>* cancel_ = nullptr;
  mutable std::shared_ptr<PathExistenceCache> listings_;
};

}  // namespace dashcard
