#pragma once

#include "core/common/const_class.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace dashcard {

class NMEAData;
class PathExistenceCache;
class PictureInfo;
class CustomMapPolyline;
struct CustomPointAnnotation;

// One recording on the card: a front video with its rear video, its
// telemetry file and the texts, numbers and dates derived from their names
// and attributes. Built once by the card scan and shared by every view.
//
// Construction-time fields never change. What does change later (the root
// after a volume rename, the route line and marker made by the background
// parser, the thumbnail, the duration, the pictures) is one immutable
// `State`, replaced whole on every change: the parser's thread and the main
// thread both touch it, and a reader that takes `state()` sees one
// consistent set.
class DCFInfo {
 public:
  // What the file system says of a recording's files, read once by whoever
  // builds it (`factsOf`), so that building one reads nothing more.
  struct Facts {
    // Empty when there is no rear video.
    QString secondaryFilePath;
    // It is the video's own path with R for the first letter of its name.
    bool rearBesideFront = false;
    ConstClass::InfoFilePlace infoFilePlace;
    // The video's modification time; the current time when unreadable.
    QDateTime fileDate;
    // Video, telemetry file and rear video together (regular files only).
    std::uint64_t fileSize = 0;
    std::optional<bool> scannedProtection;
  };
  // Looks the files of the video at `filePath` up, in `listings` when given
  // (a scan's folder listings) and else on the disk.
  static Facts factsOf(const QString& filePath, PathExistenceCache* listings = nullptr);

  DCFInfo(const QString& rootPath, const QString& deltaPath, Facts facts);
  // Looks its files up on the disk (`factsOf`).
  DCFInfo(const QString& rootPath, const QString& deltaPath);
  ~DCFInfo();
  DCFInfo(const DCFInfo&) = delete;
  DCFInfo& operator=(const DCFInfo&) = delete;

  // The paths of the rear video and the telemetry file are not kept but
  // spelled on each call from the root, the video's path and where the scan
  // found them: a card holds ten thousand recordings.
  enum class Rear : std::uint8_t {
    None,
    // The front video's path with R for the first letter of its name.
    BesideFront,
    // `rearPath` (another spelling, or kept where it was after a new root).
    Kept,
  };
  struct State {
    QString rootPath;
    ConstClass::InfoFilePlace infoFilePlace;
    Rear rear = Rear::None;
    QString rearPath;
    double duration = 0.0;
    QString thumbnailPath;
    // Why a video of this recording cannot play as it is (set by the
    // background walk's look at the box headers); empty when healthy.
    QString damageReason;
    // The front video cannot be played as it is (empty, no index,
    // unreadable): a drive passes it by without loading it.
    bool unplayable = false;
    QList<std::shared_ptr<CustomMapPolyline>> routeLine;
    QList<std::shared_ptr<CustomPointAnnotation>> annotation;
    QList<std::shared_ptr<PictureInfo>> pictures;
  };
  std::shared_ptr<const State> state() const;

  QString rootPath() const;
  const QString& deltaPath() const { return deltaPath_; }
  QString filePath() const;
  // Empty when there is no rear video.
  QString secondaryFilePath() const;
  const QString& folderName() const { return folderName_; }
  const QDateTime& fileDate() const { return fileDate_; }
  const QDateTime& startDate() const { return startDate_; }
  std::uint64_t fileSize() const { return fileSize_; }
  QString infoFilePath() const;
  // Made on first use: a scan builds thousands of recordings whose
  // telemetry is read only when the background parser gets to them.
  std::shared_ptr<NMEAData> nmea() const;
  double duration() const;
  void setDuration(double seconds);
  // The date text, a line feed and the event label (made on each call).
  QString dcfName() const;
  // The start date for display, made on first use: formatting ten
  // thousand dates would hold up the scan.
  QString dcfDateString() const;
  QString thumbnailPath() const;
  void setThumbnailPath(const QString& path);
  QString damageReason() const;
  bool isUnplayable() const;
  void setDamageReason(const QString& reason, bool unplayable = false);
  std::int64_t dcfFileNumber() const { return dcfFileNumber_; }
  std::int64_t dcfFolderNumber() const { return dcfFolderNumber_; }
  QList<std::shared_ptr<CustomMapPolyline>> routeLine() const;
  void setRouteLine(const QList<std::shared_ptr<CustomMapPolyline>>& lines);
  QList<std::shared_ptr<CustomPointAnnotation>> annotation() const;
  void setAnnotation(const QList<std::shared_ptr<CustomPointAnnotation>>& annotations);
  QList<std::shared_ptr<PictureInfo>> pictures() const;
  void appendPicture(const std::shared_ptr<PictureInfo>& picture);
  // Detaches `picture`; false when it was not attached here.
  bool removePicture(const std::shared_ptr<PictureInfo>& picture);

  // Read from the disk and the tables on every call.
  bool isProtected() const;
  // The lock as the scan's own look at the video showed it; nullopt when
  // that look could not settle it (isProtected() then asks the disk).
  std::optional<bool> scannedProtection() const { return scannedProtection_; }
  QString eventName() const;
  bool isEventDCF() const;

  // Re-roots the recording after its volume got a new name: the file path
  // and telemetry path follow, and so do the attached pictures. The rear
  // video path stays where it was.
  void changeWithRootPath(const QString& newRootPath);
  // Where this recording's telemetry file belongs under another root (the
  // NMEA tree, else the camera's CED folder, else the NMEA tree path to be
  // created).
  QString infoFilePathWithRootPath(const QString& otherRootPath) const;

  // Shared helpers of the recording model.

  // The clip start from the second timestamp of the file name, read as UTC;
  // the current time when the name is too short or does not form a date.
  static QDateTime startDateWithFilePath(const QString& filePath);
  // The clip start of `filePath` in the user's locale, medium date and time
  // styles, in UTC.
  static QString displayDateStringWithFilePath(const QString& filePath);
  static QString displayDateString(const QDateTime& date);
  // The event label of a folder in the user's language; empty for normal.
  static QString eventLabelForFolderName(const QString& folderName);
  // Locked files: the immutable attribute, or no write permission on a
  // FAT or exFAT card. Unreadable attributes read as not protected.
  static bool fileIsProtected(const QString& path);
  // Modification time and size; `ok` false when the attributes are unreadable.
  static QDateTime modificationDate(const QString& path, bool* ok = nullptr);
  static std::uint64_t fileSizeAtPath(const QString& path, PathExistenceCache* listings = nullptr);

 private:
  // `filePath` with R for the first letter of its name.
  static QString rearBesideFront(const QString& filePath);
  QString infoFilePathOf(const State& state) const;
  // Guards the state pointer and the two caches made on first use.
  mutable std::mutex mutex_;
  // Copies the state, lets `change` edit the copy and publishes it.
  template <typename Change>
  void update(Change&& change);

  std::shared_ptr<const State> state_;
  QString deltaPath_;
  QString folderName_;
  QDateTime fileDate_;
  QDateTime startDate_;
  std::uint64_t fileSize_ = 0;
  std::optional<bool> scannedProtection_;
  mutable std::shared_ptr<NMEAData> nmea_;
  mutable QString dcfDateString_;
  std::int64_t dcfFileNumber_ = 10000;
  std::int64_t dcfFolderNumber_ = 1000;
};

using DCFInfoPtr = std::shared_ptr<DCFInfo>;
using DCFInfoList = QList<DCFInfoPtr>;

}  // namespace dashcard
