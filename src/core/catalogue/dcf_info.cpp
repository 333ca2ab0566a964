#include "core/catalogue/dcf_info.h"

#include "core/catalogue/custom_map_polyline.h"
#include "core/catalogue/custom_point_annotation.h"
#include "core/catalogue/picture_info.h"
#include "core/common/const_class.h"
#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"
#include "core/telemetry/nmea_data.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <limits>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace dashcard {
namespace {

constexpr long kMsdosSuperMagic = 0x4d44;
constexpr long kExfatSuperMagic = 0x2011BAB0;
// Where the second timestamp of a recording's name ends.
constexpr qsizetype kNumberEnd = 31;

// A number of the name only when every character is an ASCII digit (the
// number readers would also take signs and spaces); at most 18 of them.
bool readDigits(QStringView text, qint64* value) {
  const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
  if (text.isEmpty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), digit)) {
    return false;
  }
  qint64 number = 0;
  for (const QChar c : text) {
    number = number * 10 + (c.unicode() - u'0');
  }
  *value = number;
  return true;
}

bool readInt(QStringView text, int* value) {
  qint64 number = 0;
  if (!readDigits(text, &number) || number > std::numeric_limits<int>::max()) {
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

// One formatter per thread: creating one costs far more than formatting,
// and an ICU formatter must not be shared between threads.
icu::DateFormat* mediumFormatter() {
  thread_local std::unique_ptr<icu::DateFormat> formatter = [] {
    const QByteArray name = QLocale::system().name().toLatin1();
    std::unique_ptr<icu::DateFormat> made(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kMedium, icu::Locale(name.constData())));
    if (made) {
      made->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
    }
    return made;
  }();
  return formatter.get();
}

// FAT and exFAT keep the card's read-only attribute as missing write bits.
bool isOnFatVolume(const QString& path) {
  struct statfs volume {};
  if (::statfs(QFile::encodeName(path).constData(), &volume) != 0) {
    return false;
  }
  const long type = static_cast<long>(volume.f_type);
  return type == kMsdosSuperMagic || type == kExfatSuperMagic;
}

// The lock as far as statx's attributes tell it; nullopt on file systems
// that do not report the immutable flag there (an ioctl must ask them).
std::optional<bool> protectionFromAttributes(const struct statx& info, const QString& path) {
  if ((info.stx_attributes_mask & STATX_ATTR_IMMUTABLE) == 0) {
    return std::nullopt;
  }
  if ((info.stx_attributes & STATX_ATTR_IMMUTABLE) != 0) {
    return true;
  }
  return (info.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 && isOnFatVolume(path);
}

}  // namespace

DCFInfo::Facts DCFInfo::factsOf(const QString& filePath, PathExistenceCache* listings) {
  Facts facts;
  facts.secondaryFilePath = ConstClass::secondaryFilePathWithFilePath(filePath, listings);
  // The rear's path differs from the video's in the first letter of the name
  // and at most in the case of the extension.
  const qsizetype stem = path_text::deletingPathExtensionView(filePath).size();
  facts.rearBesideFront = facts.secondaryFilePath.size() == filePath.size() &&
                          QStringView(facts.secondaryFilePath).sliced(stem) == QStringView(filePath).sliced(stem);
  QString infoFilePath;
  facts.infoFilePlace = ConstClass::infoFilePlaceWithFilePath(filePath, listings, &infoFilePath);
  // One statx gives the date, the size and the lock of the video.
  struct statx info {};
  constexpr unsigned int kFields = STATX_TYPE | STATX_MODE | STATX_MTIME | STATX_SIZE;
  const bool readable = listings != nullptr
                            ? listings->statx(filePath, kFields, &info)
                            : ::statx(AT_FDCWD, QFile::encodeName(filePath).constData(), 0, kFields, &info) == 0;
  facts.fileDate = readable
                       ? QDateTime::fromMSecsSinceEpoch(
                             static_cast<qint64>(info.stx_mtime.tv_sec) * 1000 + info.stx_mtime.tv_nsec / 1000000,
                             Qt::UTC)
                       : QDateTime::currentDateTimeUtc();
  if (readable) {
    facts.scannedProtection = protectionFromAttributes(info, filePath);
  }
  facts.fileSize = (readable && S_ISREG(info.stx_mode) ? static_cast<std::uint64_t>(info.stx_size) : 0) +
                   fileSizeAtPath(infoFilePath, listings) + fileSizeAtPath(facts.secondaryFilePath, listings);
  return facts;
}

DCFInfo::DCFInfo(const QString& rootPath, const QString& deltaPath)
    : DCFInfo(rootPath, deltaPath, factsOf(path_text::appendingPathComponent(rootPath, deltaPath))) {}

DCFInfo::DCFInfo(const QString& rootPath, const QString& deltaPath, Facts facts)
    : deltaPath_(deltaPath),
      fileDate_(facts.fileDate),
      fileSize_(facts.fileSize),
      scannedProtection_(facts.scannedProtection) {
  auto state = std::make_shared<State>();
  state->rootPath = rootPath;
  state->infoFilePlace = facts.infoFilePlace;
  if (!facts.secondaryFilePath.isEmpty()) {
    if (facts.rearBesideFront) {
      state->rear = Rear::BesideFront;
    } else {
      state->rear = Rear::Kept;
      state->rearPath = std::move(facts.secondaryFilePath);
    }
  }
  state_ = std::move(state);
  const QStringView name = path_text::lastPathComponentView(deltaPath);
  const QStringView directory = path_text::deletingLastPathComponentView(deltaPath);
  const QStringView folder = path_text::lastPathComponentView(directory.isEmpty() ? QStringView(rootPath) : directory);
  // The usual folder names share one text.
  for (const QString* known :
       {&ConstClass::REG_TX900_FOLDER_NORMAL, &ConstClass::REG_TX900_FOLDER_EVENT, &ConstClass::REG_TX900_FOLDER_MANUAL,
        &ConstClass::REG_TX900_FOLDER_PARKING, &ConstClass::REG_TX900_FOLDER_PICTURE}) {
    if (folder == *known) {
      folderName_ = *known;
      break;
    }
  }
  if (folderName_.isNull()) {
    folderName_ = folder.toString();
  }
  startDate_ = startDateWithFilePath(deltaPath);

  // The number is the whole second timestamp: a shorter name has none.
  const QStringView base = path_text::deletingPathExtensionView(name);
  qint64 fileNumber = 0;
  dcfFileNumber_ = base.size() >= kNumberEnd && readDigits(base.sliced(17, 14), &fileNumber) ? fileNumber : 10000;
  // Digits only, like the file number: no sign, no spaces.
  qint64 folderNumber = 0;
  dcfFolderNumber_ = readDigits(folderName_, &folderNumber) ? folderNumber : 1000;
}

QString DCFInfo::dcfDateString() const {
  std::lock_guard lock(mutex_);
  if (dcfDateString_.isEmpty()) {
    dcfDateString_ = displayDateString(startDate_);
  }
  return dcfDateString_;
}

QString DCFInfo::dcfName() const { return dcfDateString() + u'\n' + eventLabelForFolderName(folderName_); }

DCFInfo::~DCFInfo() = default;

std::shared_ptr<const DCFInfo::State> DCFInfo::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

template <typename Change>
void DCFInfo::update(Change&& change) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<State>(*state_);
  change(*next);
  state_ = std::move(next);
}

QString DCFInfo::rootPath() const { return state()->rootPath; }

QString DCFInfo::filePath() const { return path_text::appendingPathComponent(state()->rootPath, deltaPath_); }

QString DCFInfo::rearBesideFront(const QString& filePath) {
  QString rear = filePath;
  const QStringView name = path_text::lastPathComponentView(filePath);
  if (!name.isEmpty()) {
    rear[name.data() - filePath.data()] = u'R';
  }
  return rear;
}

QString DCFInfo::secondaryFilePath() const {
  const std::shared_ptr<const State> now = state();
  switch (now->rear) {
    case Rear::BesideFront:
      return rearBesideFront(path_text::appendingPathComponent(now->rootPath, deltaPath_));
    case Rear::Kept:
      return now->rearPath;
    case Rear::None:
      break;
  }
  return {};
}

std::shared_ptr<NMEAData> DCFInfo::nmea() const {
  std::lock_guard lock(mutex_);
  if (!nmea_) {
    nmea_ = std::make_shared<NMEAData>(infoFilePathOf(*state_));
  }
  return nmea_;
}

QString DCFInfo::infoFilePathOf(const State& state) const {
  return ConstClass::infoFilePathAt(path_text::appendingPathComponent(state.rootPath, deltaPath_), state.infoFilePlace);
}

QString DCFInfo::infoFilePath() const { return infoFilePathOf(*state()); }

double DCFInfo::duration() const { return state()->duration; }

void DCFInfo::setDuration(double seconds) {
  update([seconds](State& state) { state.duration = seconds; });
}

QString DCFInfo::thumbnailPath() const { return state()->thumbnailPath; }

void DCFInfo::setThumbnailPath(const QString& path) {
  update([&path](State& state) { state.thumbnailPath = path; });
}

QString DCFInfo::damageReason() const { return state()->damageReason; }

bool DCFInfo::isUnplayable() const { return state()->unplayable; }

void DCFInfo::setDamageReason(const QString& reason, bool unplayable) {
  update([&reason, unplayable](State& state) {
    state.damageReason = reason;
    state.unplayable = unplayable;
  });
}

QList<std::shared_ptr<CustomMapPolyline>> DCFInfo::routeLine() const { return state()->routeLine; }

void DCFInfo::setRouteLine(const QList<std::shared_ptr<CustomMapPolyline>>& lines) {
  update([&lines](State& state) { state.routeLine = lines; });
}

QList<std::shared_ptr<CustomPointAnnotation>> DCFInfo::annotation() const { return state()->annotation; }

void DCFInfo::setAnnotation(const QList<std::shared_ptr<CustomPointAnnotation>>& annotations) {
  update([&annotations](State& state) { state.annotation = annotations; });
}

QList<std::shared_ptr<PictureInfo>> DCFInfo::pictures() const { return state()->pictures; }

void DCFInfo::appendPicture(const std::shared_ptr<PictureInfo>& picture) {
  update([&picture](State& state) { state.pictures.append(picture); });
}

bool DCFInfo::removePicture(const std::shared_ptr<PictureInfo>& picture) {
  bool removed = false;
  update([&](State& state) { removed = state.pictures.removeAll(picture) > 0; });
  return removed;
}

bool DCFInfo::isProtected() const { return fileIsProtected(filePath()); }

QString DCFInfo::eventName() const { return ConstClass::eventNameForFolderName(folderName_); }

bool DCFInfo::isEventDCF() const { return eventName() != ConstClass::DCF_EVENTNAME_NORMAL; }

void DCFInfo::changeWithRootPath(const QString& newRootPath) {
  const QString newFilePath = path_text::appendingPathComponent(newRootPath, deltaPath_);
  const ConstClass::InfoFilePlace newPlace = ConstClass::infoFilePlaceWithFilePath(newFilePath);
  const QString newInfoFilePath = ConstClass::infoFilePathAt(newFilePath, newPlace);
  QList<std::shared_ptr<PictureInfo>> pictures;
  update([&](State& state) {
    // The rear video stays where it was.
    if (state.rear == Rear::BesideFront) {
      state.rear = Rear::Kept;
      state.rearPath = rearBesideFront(path_text::appendingPathComponent(state.rootPath, deltaPath_));
    }
    state.rootPath = newRootPath;
    state.infoFilePlace = newPlace;
    pictures = state.pictures;
  });
  std::shared_ptr<NMEAData> nmea;
  {
    std::lock_guard lock(mutex_);
    nmea = nmea_;
  }
  // Telemetry not made yet will be made with the new path.
  if (nmea) {
    nmea->setFilePath(newInfoFilePath);
  }
  for (const auto& picture : pictures) {
    picture->changeWithRootPath(newRootPath);
  }
}

QString DCFInfo::infoFilePathWithRootPath(const QString& otherRootPath) const {
  const QString path = path_text::appendingPathComponent(otherRootPath, deltaPath_);
  const QString directory = path_text::deletingLastPathComponent(path);
  QString folder = path_text::deletingLastPathComponent(deltaPath_);
  if (folder.isEmpty()) {
    folder = path_text::lastPathComponent(directory);
  }
  const QString candidateA =
      ConstClass::nmeaTreeCandidate(directory, folder, ConstClass::nmeaFileNameWithFilePath(path));
  const QString candidateB = path_text::appendingPathComponent(
      ConstClass::resolvedPath(directory, ConstClass::CED_RELATIVE_FOLDER), ConstClass::cedFileNameWithFilePath(path));
  QString found = ConstClass::existingPathWithExtensionCaseVariants(candidateA);
  if (!found.isEmpty()) {
    return found;
  }
  found = ConstClass::existingPathWithExtensionCaseVariants(candidateB);
  if (!found.isEmpty()) {
    return found;
  }
  return candidateA;
}

QDateTime DCFInfo::startDateWithFilePath(const QString& filePath) {
  const QStringView view = path_text::deletingPathExtensionView(path_text::lastPathComponentView(filePath));
  if (view.size() < kNumberEnd) {
    return QDateTime::currentDateTimeUtc();
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!readInt(view.mid(17, 4), &year) || !readInt(view.mid(21, 2), &month) || !readInt(view.mid(23, 2), &day) ||
      !readInt(view.mid(25, 2), &hour) || !readInt(view.mid(27, 2), &minute) || !readInt(view.mid(29, 2), &second)) {
    return QDateTime::currentDateTimeUtc();
  }
  // Out-of-range fields roll over the way a lenient calendar does
  // (31 February is 2 March), so every name that matches the video pattern
  // gives a date.
  const QDate first(year, 1, 1);
  if (!first.isValid()) {
    return QDateTime::currentDateTimeUtc();
  }
  const QDateTime start(first.addMonths(month - 1).addDays(day - 1), QTime(0, 0), Qt::UTC);
  return start.addSecs(static_cast<qint64>(hour) * 3600 + static_cast<qint64>(minute) * 60 + second);
}

QString DCFInfo::displayDateStringWithFilePath(const QString& filePath) {
  return displayDateString(startDateWithFilePath(filePath));
}

QString DCFInfo::displayDateString(const QDateTime& date) {
  icu::DateFormat* formatter = mediumFormatter();
  if (formatter == nullptr || !date.isValid()) {
    return date.toUTC().toString(Qt::ISODate);
  }
  icu::UnicodeString text;
  formatter->format(static_cast<UDate>(date.toMSecsSinceEpoch()), text);
  return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString DCFInfo::eventLabelForFolderName(const QString& folderName) {
  const QString key = ConstClass::eventLabelKeyForFolderName(folderName);
  if (key.isEmpty()) {
    return {};
  }
  return QCoreApplication::translate("Localizable", key.toUtf8().constData());
}

bool DCFInfo::fileIsProtected(const QString& path) {
  if (path.isEmpty()) {
    return false;
  }
  const QByteArray encoded = QFile::encodeName(path);
  struct statx info {};
  if (::statx(AT_FDCWD, encoded.constData(), 0, STATX_MODE, &info) != 0) {
    return false;
  }
  if (const std::optional<bool> known = protectionFromAttributes(info, path)) {
    return *known;
  }
  // File systems that do not report the attribute through statx.
  const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) {
    int flags = 0;
    const bool locked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL) != 0;
    ::close(fd);
    if (locked) {
      return true;
    }
  }
  return (info.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 && isOnFatVolume(path);
}

QDateTime DCFInfo::modificationDate(const QString& path, bool* ok) {
  struct stat info {};
  const bool readable = !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0;
  if (ok != nullptr) {
    *ok = readable;
  }
  if (!readable) {
    return QDateTime::currentDateTimeUtc();
  }
  return QDateTime::fromMSecsSinceEpoch(
      static_cast<qint64>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000, Qt::UTC);
}

std::uint64_t DCFInfo::fileSizeAtPath(const QString& path, PathExistenceCache* listings) {
  struct statx info {};
  constexpr unsigned int kFields = STATX_TYPE | STATX_SIZE;
  if (listings != nullptr) {
    if (!listings->statx(path, kFields, &info)) {
      return 0;
    }
  } else if (path.isEmpty() || ::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, kFields, &info) != 0) {
    return 0;
  }
  if (!S_ISREG(info.stx_mode)) {
    return 0;
  }
  return static_cast<std::uint64_t>(info.stx_size);
}

}  // namespace dashcard
