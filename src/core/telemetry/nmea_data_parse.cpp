// The parsing half of NMEAData: the line parser over the raw UTF-8 bytes of a
// telemetry file, and the operations built on it.

#include "core/common/const_class.h"
#include "core/common/regular_file.h"
#include "core/telemetry/nmea_data.h"
#include "core/telemetry/nmea_text.h"
#include "core/telemetry/telemetry_store.h"

#include <QFile>
#include <QtDebug>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

namespace dashcard {
namespace {

constexpr std::string_view kGroupCut = "$GNRMC";
constexpr double kKnotsToMetresPerSecond = 0.5144;
constexpr double kSpeedCarryOverSeconds = 15.0;
constexpr double kMissingCoordinate = -999.0;
constexpr double kUnknown = -1.0;
// No vehicle reaches this (about 900 km/h): a faster fix is a receiver's junk.
constexpr double kMaxPlausibleSpeed = 250.0;
constexpr double kAccuracy = 10.0;
constexpr std::string_view kGsensInvalid = "999.999";
// Telemetry files grow by about 1.3 MB an hour; a bigger file is not one and
// is not read (its indexes would not fit either).
constexpr qint64 kMaxFileSize = qint64{1} << 30;
// More fields than any sentence we read has; beyond it we only count.
constexpr std::size_t kMaxFields = 18;
// Lists kept by a parsing thread beyond this many bytes are freed.
constexpr std::size_t kScratchKeepBytes = std::size_t{16} << 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// `count` digits at `text[at]` as a number, or -1.
int digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) {
    return -1;
  }
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!isDigit(text[i])) {
      return -1;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Two-digit years: 70..99 are 1970..1999 and 00..69 are 2000..2069 (the
// POSIX %y window). Fixed rather than sliding, so a file reads the same in
// every year; cameras of the last century wrote no such files anyway.
int fullYear(int twoDigitYear) { return twoDigitYear >= 70 ? 1900 + twoDigitYear : 2000 + twoDigitYear; }

// Milliseconds since the epoch of a valid date and time, or nullopt.
std::optional<qint64> epochMSecs(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const std::int64_t days = nmea::daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  return ((days * 24 + hour) * 60 + minute) * qint64{60000} + second * qint64{1000} + millisecond;
}

// Fraction of a second of 1 to 3 digits at `text[at]` up to the end, as milliseconds, or -1.
int fractionMSecs(std::string_view text, std::size_t at) {
  const std::size_t count = text.size() - at;
  if (count < 1 || count > 3) {
    return -1;
  }
  int value = digits(text, at, count);
  if (value < 0) {
    return -1;
  }
  for (std::size_t i = count; i < 3; ++i) {
    value *= 10;
  }
  return value;
}

// The position sentence's date "ddmmyy" and time "hhmmss" with 0 to 3
// decimals (receivers write all four), as milliseconds since the epoch; 0
// (the "no time" epoch) when either does not match.
qint64 fixTime(std::string_view date, std::string_view time) {
  if (date.size() != 6 || time.size() < 6) {
    return 0;
  }
  const int day = digits(date, 0, 2);
  const int month = digits(date, 2, 2);
  const int year = digits(date, 4, 2);
  const int hour = digits(time, 0, 2);
  const int minute = digits(time, 2, 2);
  const int second = digits(time, 4, 2);
  if (day < 0 || month < 0 || year < 0 || hour < 0 || minute < 0 || second < 0) {
    return 0;
  }
  int millisecond = 0;
  if (time.size() > 6) {
    if (time[6] != '.' || (millisecond = fractionMSecs(time, 7)) < 0) {
      return 0;
    }
  }
  return epochMSecs(fullYear(year), month, day, hour, minute, second, millisecond).value_or(0);
}

// ddmm.mmmm (or dddmm.mmmm) and its hemisphere as signed degrees.
bool coordinate(std::string_view value, std::string_view hemisphere, double* degrees) {
  double sign = 0.0;
  if (hemisphere == "N" || hemisphere == "E") {
    sign = 1.0;
  } else if (hemisphere == "S" || hemisphere == "W") {
    sign = -1.0;
  } else {
    return false;
  }
  double v = 0.0;
  if (!nmea::readNumber(value, &v)) {
    return false;
  }
  const double d = std::trunc(v / 100.0);
  *degrees = sign * (d + (v - 100.0 * d) / 60.0);
  return true;
}

QString text(std::string_view bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); }

// What the one-pass line reader must know of a byte: LF and CR end a line,
// "$" (a possible group cut) and non-ASCII bytes send it the general way.
enum class ByteKind : std::uint8_t { Plain, Comma, LineEnd, Other };

constexpr std::array<ByteKind, 256> kByteKinds = [] {
  std::array<ByteKind, 256> kinds{};
  kinds[','] = ByteKind::Comma;
  kinds['\n'] = ByteKind::LineEnd;
  kinds['\r'] = ByteKind::LineEnd;
  kinds['$'] = ByteKind::Other;
  for (std::size_t c = 0x80; c < kinds.size(); ++c) {
    kinds[c] = ByteKind::Other;
  }
  return kinds;
}();

std::string_view asciiTrimmed(std::string_view field) {
  std::size_t begin = 0;
  std::size_t end = field.size();
  while (begin < end && (field[begin] == ' ' || field[begin] == '\t')) {
    ++begin;
  }
  while (end > begin && (field[end - 1] == ' ' || field[end - 1] == '\t')) {
    --end;
  }
  return field.substr(begin, end - begin);
}

}  // namespace

// Reads sentences into one TelemetryStore and keeps the running values of a
// parse; the caller publishes the result.
class NMEAParser {
 public:
  NMEAParser(TelemetryStore& store, const CustomLocation& lastSpeed, const CustomLocation& lastHeading)
      : store_(&store), lastSpeed_(lastSpeed), lastHeading_(lastHeading) {
    lastSpeedMSecs_ = lastSpeed.timestamp.isValid() ? lastSpeed.timestamp.toMSecsSinceEpoch() : 0;
  }

  // A whole file, cut into groups at every "$GNRMC", each group's lines
  // parsed. False when no line of it was readable text: then it yields nothing.
  bool parseFile(std::string_view bytes) {
    beginGroup();
    pieceStart_ = true;
    readableText_ = false;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
      bytes.remove_prefix(3);
    }
    while (!bytes.empty()) {
      std::size_t used = parseGsensLine(bytes);
      if (used == 0) {
        used = parsePlainLine(bytes);
      }
      if (used == 0) {
        used = nextLine(bytes, [this](std::string_view line, bool ascii) { cutLine(line, ascii); });
      }
      bytes.remove_prefix(used);
    }
    endGroup();
    return readableText_;
  }

  // Ends the group in progress; adds it to the groups when it held a position sentence.
  bool endGroup() {
    if (!marked_) {
      return false;
    }
    auto& groups = store_->groups;
    const auto index = static_cast<std::uint32_t>(groups.size());
    if (index == 0) {
      store_->firstFixBegin = fixBegin_;
    } else if (motionBegin_ != store_->lastMotionEnd) {
      store_->motionEnds.push_back({index - 1, 0, store_->lastMotionEnd});
    }
    TelemetryStore::Group group;
    group.fixEndAndValid =
        static_cast<std::uint32_t>(store_->locations.size()) | (valid_ ? TelemetryStore::Group::kValidBit : 0u);
    group.motionBegin = motionBegin_;
    groups.push_back(group);
    store_->lastMotionEnd = static_cast<std::uint32_t>(store_->motions.size());
    if (store_->driveSupports.size() > driveSupportBegin_) {
      store_->driveSupportRanges.push_back(
          {index, driveSupportBegin_, static_cast<std::uint32_t>(store_->driveSupports.size())});
    }
    marked_ = false;
    return true;
  }

  double maxSpeed = 0.0;
  double maxMotionABS = 0.0;
  std::optional<QString> tripID;
  std::optional<QString> version;
  std::optional<QString> imeiNumber;
  const CustomLocation& lastValidSpeedLocation() const { return lastSpeed_; }
  const CustomLocation& lastValidHeadingLocation() const { return lastHeading_; }
  // Whether the carried-over speed and heading went into the result: a fix
  // before the file's own first speed or heading, or a file without one
  // (its last-valid locations are then the carried-over ones).
  bool dependsOnCarryOver() const { return seedsConsulted_ || !ownSpeed_ || !ownHeading_; }

 private:
  using Fields = std::array<std::string_view, kMaxFields>;

  void beginGroup() {
    marked_ = false;
    valid_ = false;
    fixBegin_ = static_cast<std::uint32_t>(store_->locations.size());
    motionBegin_ = static_cast<std::uint32_t>(store_->motions.size());
    driveSupportBegin_ = static_cast<std::uint32_t>(store_->driveSupports.size());
  }

  // Calls `lineFn(line, ascii)` for the first line of `bytes` and returns
  // the bytes it took with its terminator: LF, CR, CR LF, NEL, LS or PS.
  // `ascii` tells that the line needs no UTF-8 check.
  template <typename LineFn>
  static std::size_t nextLine(std::string_view bytes, LineFn&& lineFn) {
    std::size_t at = 0;
    std::size_t terminator = 0;
    bool ascii = true;
    for (; at < bytes.size(); ++at) {
      const auto c = static_cast<unsigned char>(bytes[at]);
      if (c == '\n' || c == '\r') {
        terminator = bytes.substr(at).starts_with("\r\n") ? 2 : 1;
        break;
      }
      if (c >= 0x80) {
        ascii = false;
        const std::string_view rest = bytes.substr(at);
        terminator = rest.starts_with("\xC2\x85")                                           ? 2
                     : rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9") ? 3
                                                                                            : 0;
        if (terminator != 0) {
          break;
        }
      }
    }
    lineFn(bytes.substr(0, at), ascii);
    return at + terminator;
  }

  // The G-sensor line, nine lines in ten of a camera file, in its usual
  // shape: "$GSENS," and three plain decimals up to the line's end. Returns
  // the bytes taken with the terminator, or 0 (nothing done) for any other
  // line; the general way reads the same numbers with the same arithmetic.
  // (Without it a parse of bench-telemetry takes 55 % longer, 2.65 against 1.71 ms.)
  std::size_t parseGsensLine(std::string_view bytes) {
    constexpr std::string_view kTag = "$GSENS,";
    if (pieceStart_ || !bytes.starts_with(kTag)) {
      return 0;
    }
    std::size_t at = kTag.size();
    std::array<double, 3> g{};
    for (std::size_t axis = 0; axis < g.size(); ++axis) {
      const std::string_view rest = bytes.substr(at);
      const std::size_t taken = nmea::readPlainDecimal(rest, &g[axis]);
      if (taken == 0 || rest.substr(0, taken) == kGsensInvalid) {
        return 0;
      }
      at += taken;
      if (axis + 1 < g.size()) {
        if (at == bytes.size() || bytes[at] != ',') {
          return 0;
        }
        ++at;
      }
    }
    std::size_t terminator = 0;
    if (at != bytes.size()) {
      if (bytes[at] == '\n') {
        terminator = 1;
      } else if (bytes[at] == '\r') {
        terminator = bytes.substr(at).starts_with("\r\n") ? 2 : 1;
      } else {
        return 0;
      }
    }
    readableText_ = true;
    addMotion(g);
    return at + terminator;
  }

  // The common line, parsed in one pass that finds its fields and its end:
  // ASCII, no "$" after its first byte, not a group's first piece; a group
  // cut only at its start and with fields after it. Returns the bytes taken
  // with the terminator, or 0 (nothing done) for any other line, which
  // cutLine then takes. (One pass instead of a line scan, a cut search and
  // a field scan: a parse takes a quarter less.)
  std::size_t parsePlainLine(std::string_view bytes) {
    if (pieceStart_) {
      return 0;
    }
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* field = begin;
    std::size_t count = 0;
    const char* p = *begin == '$' ? begin + 1 : begin;
    for (;; ++p) {
      const ByteKind kind = p == end ? ByteKind::LineEnd : kByteKinds[static_cast<unsigned char>(*p)];
      if (kind == ByteKind::Plain) {
        continue;
      }
      if (kind == ByteKind::Other) {
        return 0;
      }
      if (count < kMaxFields) {
        fields_[count] = asciiTrimmed(std::string_view(field, static_cast<std::size_t>(p - field)));
      }
      ++count;
      if (kind == ByteKind::LineEnd) {
        break;
      }
      field = p + 1;
    }
    const std::size_t terminator = p == end ? 0 : (*p == '\r' && p + 1 != end && p[1] == '\n') ? 2 : 1;
    if (bytes.starts_with(kGroupCut)) {
      if (static_cast<std::size_t>(p - begin) == kGroupCut.size()) {
        return 0;
      }
      endGroup();
      beginGroup();
      pieceAfterCut_ = true;
    }
    if (p != begin) {
      readableText_ = true;
      parseFields(count);
    }
    return static_cast<std::size_t>(p - begin) + terminator;
  }

  // One line of the file, with the group cuts that fall inside it. A line
  // of a group that is not UTF-8 is left out (binary junk from a receiver
  // often shares its line with a sound sentence after the cut).
  void cutLine(std::string_view line, bool ascii) {
    std::size_t position = 0;
    while (true) {
      const std::size_t cut = line.find(kGroupCut, position);
      const std::string_view fragment =
          line.substr(position, cut == std::string_view::npos ? line.npos : cut - position);
      const bool readable = ascii || nmea::isValidUtf8(fragment);
      if (pieceStart_) {
        if (readable) {
          // A group whose text does not begin with "$" gets the cut tag back.
          pieceStart_ = false;
          if (fragment.empty() || fragment.front() != '$') {
            prefixed_.assign(kGroupCut);
            prefixed_.append(fragment);
            parseLine(prefixed_, ascii);
          } else {
            parseLine(fragment, ascii);
          }
        } else if (pieceAfterCut_) {
          // The cut tag was readable: the group stays, as one without a fix.
          pieceStart_ = false;
          parseLine(kGroupCut, true);
        }
      } else if (readable && !fragment.empty()) {
        parseLine(fragment, ascii);
      }
      readableText_ = readableText_ || (readable && !fragment.empty());
      if (cut == std::string_view::npos) {
        return;
      }
      endGroup();
      beginGroup();
      pieceStart_ = true;
      pieceAfterCut_ = true;
      position = cut + kGroupCut.size();
    }
  }

  void parseLine(std::string_view line, bool ascii) {
    if (line.empty()) {
      return;
    }
    Fields& fields = fields_;
    std::size_t count = 0;
    const char* p = line.data();
    const char* const end = p + line.size();
    // Fields are a few bytes long: a plain loop beats a memchr call each.
    for (const char* field = p;; ++p) {
      if (p != end && *p != ',') {
        continue;
      }
      const std::string_view raw(field, static_cast<std::size_t>(p - field));
      if (count < kMaxFields) {
        fields[count] = ascii ? asciiTrimmed(raw) : nmea::trimmed(raw);
      }
      ++count;
      if (p == end) {
        break;
      }
      field = p + 1;
    }
    parseFields(count);
  }

  // The sentence of the `count` fields in fields_ (as many as fit).
  void parseFields(std::size_t count) {
    Fields& fields = fields_;
    // Slots past this line's fields read as empty, as in a fresh array.
    const std::size_t filled = std::min(count, kMaxFields);
    std::fill(fields.begin() + static_cast<std::ptrdiff_t>(filled),
              fields.begin() + static_cast<std::ptrdiff_t>(std::max(filled, filledFields_)), std::string_view());
    filledFields_ = filled;
    const std::string_view tag = fields[0];
    if (tag.size() == 6) {
      if (tag == "$GSENS") {
        gsens(fields, count);
      } else if (tag == "$GNRMC" || tag == "$GPRMC") {
        position(fields, count);
      } else if (tag == "$GTRIP") {
        if (count == 2 || count == 3) {
          tripID = text(fields[1]);
          if (count == 3) {
            version = text(fields[2]);
          }
        }
      } else if (tag == "$QVDSA") {
        if (count == static_cast<std::size_t>(ConstClass::QVDSA_COUNT_QVCAM)) {
          QStringList components;
          components.reserve(static_cast<qsizetype>(count));
          for (std::size_t i = 0; i < count; ++i) {
            components.append(text(fields[i]));
          }
          store_->driveSupports.emplace_back(components);
        }
      } else if (tag == "$QVVER") {
        if (count == 2) {
          version = text(fields[1]);
        }
      }
    } else if (tag == "$QVSN") {
      if (count == 2) {
        imeiNumber = text(fields[1]);
      }
    }
  }

  void gsens(const Fields& fields, std::size_t count) {
    std::array<double, 3> g = {0.0, 0.0, 0.0};
    if (count == 4) {
      for (std::size_t i = 0; i < 3; ++i) {
        if (fields[i + 1] != kGsensInvalid) {
          nmea::readNumber(fields[i + 1], &g[i]);  // unreadable stays 0.0
        }
      }
    }
    addMotion(g);
  }

  void addMotion(const std::array<double, 3>& g) {
    for (double axis : g) {
      maxMotionABS = std::max(maxMotionABS, std::fabs(axis));
    }
    store_->motions.emplace_back(g[0], g[1], g[2]);
  }

  void position(const Fields& fields, std::size_t count) {
    marked_ = true;
    if (!NMEAData::isAvailableGPRMC(static_cast<qsizetype>(count))) {
      return;
    }
    const std::string_view status = fields[2];
    if (status != "A" && status != "V") {
      return;
    }
    const qint64 msecs = fixTime(fields[9], fields[1]);
    double latitude = kMissingCoordinate;
    double longitude = kMissingCoordinate;
    double course = kUnknown;
    double speed = kUnknown;
    bool plausibleSpeed = true;
    if (status == "A") {
      if (!coordinate(fields[3], fields[4], &latitude)) {
        latitude = kMissingCoordinate;
      }
      if (!coordinate(fields[5], fields[6], &longitude)) {
        longitude = kMissingCoordinate;
      }
      if (!nmea::readNumber(fields[8], &course) || course < 0.0 || course > 360.0) {
        course = kUnknown;
      }
      double knots = 0.0;
      if (nmea::readNumber(fields[7], &knots)) {
        speed = knots * kKnotsToMetresPerSecond;
        plausibleSpeed = std::isfinite(speed) && speed >= 0.0 && speed <= kMaxPlausibleSpeed;
        if (!plausibleSpeed) {
          speed = kUnknown;
        }
      }
    }
    // "A" is the receiver's word; a fix is valid only with a position on the
    // globe, a date and a speed a vehicle can have: junk marked "A" would
    // otherwise reach the counts, the map and every export.
    const bool isValid = status == "A" && msecs != 0 && std::fabs(latitude) <= 90.0 &&
                         std::fabs(longitude) <= 180.0 && plausibleSpeed;
    if (isValid) {
      maxSpeed = std::max(maxSpeed, speed);
    }
    CustomLocation location(latitude, longitude, 0.0, kAccuracy, kAccuracy, course, speed,
                            QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
    const bool knownSpeed = speed != kUnknown;
    const bool knownCourse = course != kUnknown;
    // Before the file's own first speed (heading), the carried-over one is consulted.
    seedsConsulted_ = seedsConsulted_ || (!knownSpeed && !ownSpeed_) || (!knownCourse && !ownHeading_);
    ownSpeed_ = ownSpeed_ || knownSpeed;
    ownHeading_ = ownHeading_ || knownCourse;
    if (!knownSpeed && static_cast<double>(msecs - lastSpeedMSecs_) / 1000.0 < kSpeedCarryOverSeconds) {
      location.correctedSpeed = lastSpeed_.speed;
    }
    if (!knownCourse) {
      location.correctedDirection = lastHeading_.course;
    }
    // The last-valid locations are this very fix, corrected values included.
    if (knownSpeed) {
      lastSpeed_ = location;
      lastSpeedMSecs_ = msecs;
    }
    if (knownCourse) {
      lastHeading_ = location;
    }
    store_->locations.push_back(location);
    if (isValid) {
      valid_ = true;
      store_->validLocations.push_back(static_cast<std::uint32_t>(store_->locations.size() - 1));
    }
  }

  TelemetryStore* store_;
  CustomLocation lastSpeed_;
  CustomLocation lastHeading_;
  qint64 lastSpeedMSecs_ = 0;
  bool seedsConsulted_ = false;
  bool ownSpeed_ = false;
  bool ownHeading_ = false;
  bool marked_ = false;
  bool valid_ = false;
  bool pieceStart_ = false;
  bool pieceAfterCut_ = false;
  std::uint32_t fixBegin_ = 0;
  std::uint32_t motionBegin_ = 0;
  std::uint32_t driveSupportBegin_ = 0;
  bool readableText_ = false;
  std::string prefixed_;
  // The fields of the line at hand, kept between lines: clearing a fresh
  // array for every line took a tenth of a parse.
  Fields fields_{};
  std::size_t filledFields_ = 0;
};

namespace {

// The whole file, at most its size when opened. False when it cannot be
// read, is not a regular file or is too big to be telemetry.
bool readTelemetryFile(const QString& path, QByteArray* bytes) {
  const int fd = openRegularFile(path);
  if (fd < 0) {
    return false;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  const qint64 size = file.size();
  if (size > kMaxFileSize) {
    qWarning("NMEAData: %s is too big for a telemetry file, not read", qPrintable(path));
    return false;
  }
  bytes->resize(size);
  const qint64 count = file.read(bytes->data(), size);
  if (count < 0) {
    qWarning("NMEAData: reading %s failed: %s", qPrintable(path), qPrintable(file.errorString()));
    return false;
  }
  bytes->truncate(count);
  return true;
}

}  // namespace

struct NMEAData::Preparse {
  QString path;
  // The store the parse started from; a later change makes it stale.
  std::shared_ptr<const TelemetryStore> basedOn;
  std::shared_ptr<const TelemetryStore> store;
  double maxSpeed = 0.0;
  double maxMotionABS = 0.0;
  CustomLocation lastSpeed;
  CustomLocation lastHeading;
  std::optional<QString> tripID;
  std::optional<QString> version;
  std::optional<QString> imeiNumber;
  bool dependsOnCarryOver = false;
};

namespace {

// What a parse leaves for publishing: the lists and the parser's findings.
NMEAData::Preparse resultOf(NMEAParser& parser, std::shared_ptr<const TelemetryStore> store) {
  NMEAData::Preparse result;
  result.store = std::move(store);
  result.maxSpeed = parser.maxSpeed;
  result.maxMotionABS = parser.maxMotionABS;
  result.lastSpeed = parser.lastValidSpeedLocation();
  result.lastHeading = parser.lastValidHeadingLocation();
  result.tripID = std::move(parser.tripID);
  result.version = std::move(parser.version);
  result.imeiNumber = std::move(parser.imeiNumber);
  result.dependsOnCarryOver = parser.dependsOnCarryOver();
  return result;
}

}  // namespace

NMEAData::Preparse NMEAData::parseFile(const QString& path, const CustomLocation& speedSeed,
                                       const CustomLocation& headingSeed,
                                       const std::shared_ptr<const TelemetryStore>& previous) {
  // Reused by each parsing thread; a fresh one per parse: 30 % fewer MB/s on bench-telemetry (2026-12).
  thread_local TelemetryStore lists;
  lists.clear();
  // Drive-support and vehicle-interface samples of an earlier parse stay.
  lists.driveSupports = previous->driveSupports;
  lists.carInfos = previous->carInfos;
  NMEAParser parser(lists, speedSeed, headingSeed);
  std::shared_ptr<TelemetryStore> store;
  QByteArray bytes;
  const auto scratchTooBig = [] {
    return lists.locations.capacityBytes() + lists.motions.capacity() * sizeof(MotionData) > kScratchKeepBytes;
  };
  if (readTelemetryFile(path, &bytes) &&
      parser.parseFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    // Lists too big to keep for the next parse move over as they are; the
    // copy to exact size cost 7 % of `telemetry` on a 40 MB file.
    store = lists.takeExact(!scratchTooBig());
  } else {
    // Unreadable, empty or binary junk: nothing, not even what a chance "$GNRMC" made.
    store = std::make_shared<TelemetryStore>();
    store->driveSupports = std::move(lists.driveSupports);
    store->carInfos = std::move(lists.carInfos);
    lists.clear();
    parser = NMEAParser(lists, speedSeed, headingSeed);
  }
  if (scratchTooBig()) {
    lists = TelemetryStore();
  }

  Preparse result = resultOf(parser, std::move(store));
  result.path = path;
  result.basedOn = previous;
  return result;
}

void NMEAData::publish(const Preparse& result) {
  auto next = std::make_shared<Snapshot>(*snapshot_);
  next->store = result.store;
  next->maxSpeed = result.maxSpeed;
  next->maxMotionABS = result.maxMotionABS;
  if (result.tripID) {
    next->tripID = *result.tripID;
  }
  if (result.version) {
    next->version = *result.version;
  }
  if (result.imeiNumber) {
    next->imeiNumber = *result.imeiNumber;
  }
  snapshot_ = std::move(next);
  lastValidSpeedLocation_ = result.lastSpeed;
  lastValidHeadingLocation_ = result.lastHeading;
}

void NMEAData::setup() { setup(nullptr); }

std::shared_ptr<const NMEAData::Preparse> NMEAData::preparse() const {
  QString path;
  std::shared_ptr<const TelemetryStore> previous;
  {
    std::lock_guard lock(mutex_);
    if (isParsing_ || !snapshot_->version.isEmpty() || !snapshot_->tripID.isEmpty()) {
      return nullptr;
    }
    path = filePath_;
    previous = snapshot_->store;
  }
  const CustomLocation none = CustomLocation::placeholder();
  return std::make_shared<const Preparse>(parseFile(path, none, none, previous));
}

void NMEAData::setup(const std::shared_ptr<const Preparse>& preparsed) {
  QString path;
  CustomLocation speedSeed;
  CustomLocation headingSeed;
  std::shared_ptr<const TelemetryStore> previous;
  {
    // Tested and set in one step, so two threads cannot both start a parse;
    // a caller that meets a parse under way waits for its result.
    std::unique_lock lock(mutex_);
    parsed_.wait(lock, [this] { return !isParsing_; });
    if (!snapshot_->version.isEmpty() || !snapshot_->tripID.isEmpty()) {
      return;
    }
    // The parse made ahead stands when nothing it was made from changed:
    // the same file and lists, and a carry-over it either did not use or
    // that is still the empty one it was made with.
    if (preparsed != nullptr && preparsed->path == filePath_ && preparsed->basedOn == snapshot_->store &&
        (!preparsed->dependsOnCarryOver || (lastValidSpeedLocation_ == CustomLocation::placeholder() &&
                                            lastValidHeadingLocation_ == CustomLocation::placeholder()))) {
      publish(*preparsed);
      return;
    }
    isParsing_ = true;
    path = filePath_;
    speedSeed = lastValidSpeedLocation_;
    headingSeed = lastValidHeadingLocation_;
    previous = snapshot_->store;
  }
  const Preparse result = parseFile(path, speedSeed, headingSeed, previous);
  previous.reset();

  std::lock_guard lock(mutex_);
  publish(result);
  isParsing_ = false;
  parsed_.notify_all();
}

QDateTime NMEAData::convertToDateWithDateString(const QString& dateString, const QString& dateFormatString) {
  const QByteArray textBytes = dateString.toUtf8();
  const QByteArray patternBytes = dateFormatString.toUtf8();
  const std::string_view input(textBytes.constData(), static_cast<std::size_t>(textBytes.size()));
  const std::string_view pattern(patternBytes.constData(), static_cast<std::size_t>(patternBytes.size()));
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  std::size_t at = 0;
  const QDateTime epoch = CustomLocation::epoch();
  for (std::size_t i = 0; i < pattern.size();) {
    const char letter = pattern[i];
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == letter) {
      ++run;
    }
    const bool isField = std::strchr("yMdHmsS", letter) != nullptr && letter != '\0';
    if (!isField) {
      // A literal; a fraction that is left out with its "." reads as 0 (receivers write either).
      if (letter == '.' && at == input.size() && i + 1 < pattern.size() && pattern[i + 1] == 'S' &&
          pattern.find_first_not_of('S', i + 1) == std::string_view::npos) {
        break;
      }
      if (at >= input.size() || input[at] != letter) {
        return epoch;
      }
      ++at;
      ++i;
      continue;
    }
    if (letter == 'S') {
      std::size_t count = 0;
      while (at + count < input.size() && isDigit(input[at + count]) && count < 3) {
        ++count;
      }
      if (count == 0) {
        return epoch;
      }
      millisecond = fractionMSecs(input.substr(0, at + count), at);
      at += count;
      i += run;
      continue;
    }
    const std::size_t width = letter == 'y' && run != 2 ? 4 : 2;
    const int value = digits(input, at, width);
    if (value < 0) {
      return epoch;
    }
    at += width;
    i += run;
    switch (letter) {
      case 'y':
        year = width == 2 ? fullYear(value) : value;
        break;
      case 'M':
        month = value;
        break;
      case 'd':
        day = value;
        break;
      case 'H':
        hour = value;
        break;
      case 'm':
        minute = value;
        break;
      default:
        second = value;
        break;
    }
  }
  if (at != input.size()) {
    return epoch;
  }
  const auto msecs = epochMSecs(year, month, day, hour, minute, second, millisecond);
  return msecs ? QDateTime::fromMSecsSinceEpoch(*msecs, Qt::UTC) : epoch;
}

}  // namespace dashcard
