#include "core/catalogue/sample_card_maker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kKnotsPerMetrePerSecond = 1.0 / 0.5144;
constexpr double kMetresPerDegree = 111320.0;

// splitmix64: tiny, fast and the same on every platform (the standard
// distributions are not), so a seed always gives the same card.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  int pick(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  double noise() { return uniform() + uniform() + uniform() - 1.5; }  // roughly normal, |x| < 1.5

 private:
  std::uint64_t state_;
};

void appendFixed(QByteArray& out, double value, int decimals) {
  std::array<char, 64> buf{};
  auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  if (ec == std::errc()) {
    out.append(buf.data(), end - buf.data());
  }
}

void appendPadded(QByteArray& out, long long value, int width) {
  QByteArray digits = QByteArray::number(value);
  if (digits.size() < width) {
    out.append(QByteArray(width - digits.size(), '0'));
  }
  out.append(digits);
}

void appendSentence(QByteArray& out, const QByteArray& body, bool checksum) {
  out.append('$');
  out.append(body);
  if (checksum) {
    unsigned char sum = 0;
    for (char c : body) {
      sum ^= static_cast<unsigned char>(c);
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.append('*');
    out.append(kHex[sum >> 4]);
    out.append(kHex[sum & 0xF]);
  }
  out.append("\r\n");
}

// ddmm.mmmm (latitude) or dddmm.mmmm (longitude), always positive.
void appendCoordinate(QByteArray& out, double degrees, int degreeDigits) {
  double absolute = std::fabs(degrees);
  auto whole = static_cast<long long>(absolute);
  double minutes = (absolute - static_cast<double>(whole)) * 60.0;
  // 59.99995 would print as 60.0000: carry into the degrees instead.
  if (minutes >= 59.99995) {
    minutes = 0.0;
    ++whole;
  }
  appendPadded(out, whole, degreeDigits);
  if (minutes < 10.0) {
    out.append('0');
  }
  appendFixed(out, minutes, 4);
}

// A car on a road-like path: cruises at a chosen speed, brakes to a stop now
// and then, turns at junctions, drifts through gentle curves.
class DriveSimulator {
 public:
  DriveSimulator(std::uint64_t seed, bool parked)
      : rng_(seed), parked_(parked) {
    lat_ = 35.60 + 0.01 * static_cast<double>(seed % 17);
    lon_ = 139.60 + 0.01 * static_cast<double>((seed / 17) % 17);
    heading_ = rng_.range(0.0, 360.0);
    newCruise();
  }

  struct Second {
    double lat, lon, speed, course, accel, yaw;
  };

  Second step() {
    if (parked_) {
      target_ = 0.0;
    } else if (stopLeft_ > 0) {
      target_ = 0.0;
      if (speed_ < 0.1 && --stopLeft_ == 0) {
        // Leave the junction, often with a turn.
        if (rng_.uniform() < 0.6) {
          turnLeft_ = 6;
          turnRate_ = (rng_.uniform() < 0.5 ? -1.0 : 1.0) * 15.0;
        }
        newCruise();
      }
    } else if (--segmentLeft_ <= 0) {
      if (rng_.uniform() < 0.35) {
        stopLeft_ = 5 + rng_.pick(20);
      } else {
        newCruise();
      }
    }

    double accel = std::clamp(target_ - speed_, -3.0, 2.2);
    double newSpeed = std::max(0.0, speed_ + accel);
    double yaw = 0.0;
    if (turnLeft_ > 0 && newSpeed > 1.0) {
      yaw = turnRate_;
      --turnLeft_;
    } else {
      if (--curveLeft_ <= 0) {
        curveTarget_ = rng_.range(-2.5, 2.5);
        curveLeft_ = 4 + rng_.pick(12);
      }
      curveRate_ += std::clamp(curveTarget_ - curveRate_, -0.5, 0.5);
      yaw = newSpeed > 1.0 ? curveRate_ : 0.0;
    }
    heading_ = std::fmod(heading_ + yaw + 360.0, 360.0);
    double distance = 0.5 * (speed_ + newSpeed);
    double rad = heading_ * kPi / 180.0;
    lat_ += distance * std::cos(rad) / kMetresPerDegree;
    lon_ += distance * std::sin(rad) / (kMetresPerDegree * std::cos(lat_ * kPi / 180.0));
    speed_ = newSpeed;
    return {lat_, lon_, speed_, heading_, accel, yaw};
  }

 private:
  void newCruise() {
    static constexpr std::array<double, 7> kTargetsKmh = {30, 40, 50, 60, 80, 100, 120};
    target_ = kTargetsKmh[static_cast<std::size_t>(rng_.pick(static_cast<int>(kTargetsKmh.size())))] / 3.6;
    segmentLeft_ = 20 + rng_.pick(70);
  }

  Rng rng_;
  bool parked_;
  double lat_ = 0, lon_ = 0, heading_ = 0, speed_ = 0, target_ = 0;
  int segmentLeft_ = 0, stopLeft_ = 0, turnLeft_ = 0, curveLeft_ = 0;
  double turnRate_ = 0, curveRate_ = 0, curveTarget_ = 0;
};

// Writes one second of telemetry: the fix, ten G-sensor samples and now and
// then a drive-support record.
class TelemetryWriter {
 public:
  explicit TelemetryWriter(std::uint64_t seed) : rng_(seed ^ 0x5A5A5A5AULL) {}

  void header(QByteArray& out, std::uint64_t trip) {
    QByteArray body = "GTRIP,";
    appendPadded(body, static_cast<long long>(trip % 1000000), 6);
    body.append(",1.04");
    appendSentence(out, body, false);
    QByteArray serial = "QVSN,35";
    appendPadded(serial, static_cast<long long>((trip * 7919) % 10000000000000LL), 13);
    appendSentence(out, serial, false);
  }

  void second(QByteArray& out, const QDateTime& time, const DriveSimulator::Second& s, bool valid,
              bool impact, bool startingOff) {
    const QDate date = time.date();
    const QTime clock = time.time();
    QByteArray body = "GNRMC,";
    appendPadded(body, clock.hour(), 2);
    appendPadded(body, clock.minute(), 2);
    appendPadded(body, clock.second(), 2);
    body.append(".00,");
    if (valid) {
      body.append("A,");
      appendCoordinate(body, s.lat, 2);
      body.append(s.lat >= 0 ? ",N," : ",S,");
      appendCoordinate(body, s.lon, 3);
      body.append(s.lon >= 0 ? ",E," : ",W,");
      appendFixed(body, s.speed * kKnotsPerMetrePerSecond, 2);
      body.append(',');
      appendFixed(body, s.course, 1);
      body.append(',');
    } else {
      body.append("V,,,,,,,");
    }
    appendPadded(body, date.day(), 2);
    appendPadded(body, date.month(), 2);
    appendPadded(body, date.year() % 100, 2);
    body.append(valid ? ",,,A" : ",,,N");
    appendSentence(out, body, true);

    const double lateral = s.speed * (s.yaw * kPi / 180.0) / 9.81;
    const double longitudinal = s.accel / 9.81;
    for (int i = 0; i < 10; ++i) {
      std::array<double, 3> g = {lateral + 0.02 * rng_.noise(), longitudinal + 0.02 * rng_.noise(),
                                 1.0 + 0.03 * rng_.noise()};
      if (impact && i >= 4 && i <= 6) {
        g = {0.85 - 0.1 * i, -1.6 + 0.2 * (i - 4), 1.4};
      }
      QByteArray gs = "GSENS";
      for (double axis : g) {
        gs.append(',');
        if (rng_.uniform() < 0.002) {
          gs.append("999.999");  // the sensor's "no reading" marker
        } else {
          appendFixed(gs, axis, 3);
        }
      }
      appendSentence(out, gs, false);
    }

    // Drive-support records: positions 0..9 within the second, 5 is the fix itself.
    const double roll = rng_.uniform();
    const bool lane = s.speed > 16.0 && roll < 0.03;
    const bool collision = s.speed > 8.0 && roll >= 0.03 && roll < 0.045;
    const bool delay = startingOff && roll < 0.5;
    if (lane || collision || delay) {
      QByteArray ds = "QVDSA,";
      appendPadded(ds, delay ? rng_.pick(10) : 0, 1);
      ds.append(delay ? ",1," : ",,");
      appendPadded(ds, lane ? rng_.pick(10) : 0, 1);
      ds.append(lane ? ",1," : ",,");
      ds.append(lane ? (rng_.uniform() < 0.5 ? "L," : "R,") : ",");
      appendPadded(ds, collision ? rng_.pick(10) : 0, 1);
      ds.append(collision ? ",1," : ",,");
      appendFixed(ds, collision ? rng_.range(5.0, 30.0) : 0.0, 1);
      ds.append(',');
      appendFixed(ds, collision ? rng_.range(0.6, 2.5) : 0.0, 1);
      ds.append(",0,0,0,0,0,0,0");
      appendSentence(out, ds, false);
    }
  }

 private:
  Rng rng_;
};

QString folderFor(int index, int count) {
  if (count >= 5 && index == count - 1) {
    return QStringLiteral("PARKING");
  }
  if (index % 7 == 3) {
    return QStringLiteral("EVENT");
  }
  if (index % 11 == 6) {
    return QStringLiteral("MANUAL");
  }
  return QStringLiteral("NORMAL");
}

QString kindLetter(const QString& folder) {
  if (folder == QLatin1String("NORMAL")) {
    return QStringLiteral("N");
  }
  if (folder == QLatin1String("MANUAL")) {
    return QStringLiteral("M");
  }
  return QStringLiteral("E");
}

QString stamp(const QDateTime& utc) { return utc.toString(QStringLiteral("yyyyMMddHHmmss")); }

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
  // A plain write: a fixture needs no flush to disk per file, and thirty
  // thousand of them made a 10,000-clip card take minutes. The reason of a
  // failure is the system's (a full disk says so).
  const QByteArray native = QFile::encodeName(path);
  int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0 && errno == ENOENT) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  int failure = fd < 0 ? errno : 0;
  for (qsizetype done = 0; failure == 0 && done < data.size();) {
    const ssize_t written = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
    if (written < 0 && errno != EINTR) {
      failure = errno;
    } else if (written > 0) {
      done += written;
    }
  }
  if (fd >= 0 && ::close(fd) != 0 && failure == 0) {
    failure = errno;
  }
  if (failure != 0) {
    *error = QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(failure)));
    return false;
  }
  return true;
}

void setModificationTime(const QString& path, const QDateTime& utc) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(utc.toSecsSinceEpoch());
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

QString fontFile() {
  static const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  return QFileInfo::exists(kFont) ? kFont : QString();
}

QString number(double value) { return QString::number(value, 'f', 2); }

// A function of time `var` given per second as value(i) + slope(i) * (var - i),
// written as a balanced tree of if()s so ffmpeg evaluates only log2(n) of them.
QString piecewise(const QString& var, const QList<std::pair<double, double>>& pieces, int lo, int hi) {
  if (hi - lo <= 1) {
    const auto [value, slope] = pieces.at(lo);
    return QStringLiteral("(%1+%2*(%3-%4))").arg(number(value), number(slope), var).arg(lo);
  }
  const int mid = (lo + hi) / 2;
  return QStringLiteral("if(lt(%1,%2),%3,%4)")
      .arg(var)
      .arg(mid)
      .arg(piecewise(var, pieces, lo, mid), piecewise(var, pieces, mid, hi));
}

QString piecewise(const QString& var, const QList<std::pair<double, double>>& pieces) {
  return pieces.isEmpty() ? QStringLiteral("0") : piecewise(var, pieces, 0, static_cast<int>(pieces.size()));
}

int even(double value) { return std::max(2, static_cast<int>(value) & ~1); }

// The filter graph of a synthetic road seen from the car, driven by the clip's
// own telemetry: lane dashes move at the recorded speed, a turn pans the view,
// an impact shakes it, and the clock and speed are burnt in. The still scenery
// is drawn once and looped and only a narrow strip of lane marking is drawn
// per frame, which keeps a clip about as cheap as a plain test pattern.
QString roadScene(const QString& label, const QDateTime& start, const QList<DriveSimulator::Second>& track,
                  int impactSecond, bool rearView, int width, int height) {
  const int seconds = static_cast<int>(track.size());
  const int sceneWidth = even(width * 1.5);
  const int sceneHeight = even(height * 1.2);
  const int horizon = even(sceneHeight * 0.45);
  const QString horizonRatio = number(static_cast<double>(horizon) / sceneHeight);

  QList<std::pair<double, double>> distance, pan, speed;
  double metres = 0.0, previous = 0.0;
  for (int i = 0; i < seconds; ++i) {
    const auto& s = track.at(i);
    const double average = 0.5 * (previous + s.speed);
    distance.append({metres, average});
    metres += average;
    previous = s.speed;
    const double shift = std::clamp(s.yaw / 15.0, -1.0, 1.0) * (rearView ? -1.0 : 1.0);
    const double next = i + 1 < seconds ? std::clamp(track.at(i + 1).yaw / 15.0, -1.0, 1.0) * (rearView ? -1.0 : 1.0)
                                        : shift;
    pan.append({shift, next - shift});
    speed.append({std::round(s.speed * 3.6), 0.0});
  }

  // Sky, grass and a road narrowing to the horizon with solid edge lines.
  const QString depth = QStringLiteral("((Y-%1*H)/((1-%1)*H))").arg(horizonRatio);
  const QString area = QStringLiteral(
                           "if(lt(Y,%1*H),0,st(0,abs(X-W/2));st(1,W*(0.02+0.37*%2));"
                           "if(gt(ld(0),ld(1)),1,if(gt(ld(0),ld(1)*0.92),3,2)))")
                           .arg(horizonRatio, depth);
  const QString scenery =
      QStringLiteral(
          "color=black:size=%1x%2:rate=30:duration=0.03,format=yuv420p,"
          "geq=lum='st(2,%3);if(eq(ld(2),0),200-60*Y/H,if(eq(ld(2),1),95,if(eq(ld(2),2),85,225)))'"
          ":cb='st(2,%3);if(eq(ld(2),0),160,if(eq(ld(2),1),100,128))'"
          ":cr='st(2,%3);if(eq(ld(2),0),110,if(eq(ld(2),1),105,128))',"
          "loop=loop=%4:size=1[scenery];")
          .arg(sceneWidth)
          .arg(sceneHeight)
          .arg(area)
          .arg(seconds * 30 - 1);
  // The centre line's dashes, 6 m painted every 12 m, in perspective.
  const int stripWidth = even(std::max(4, width / 24));
  const int stripHeight = sceneHeight - horizon;
  const QString driven = piecewise(QStringLiteral("T"), distance);
  const QString lane = QStringLiteral(
                           "color=black:size=%1x%2:rate=30:duration=%3,format=yuva420p,"
                           "geq=lum=230:cb=128:cr=128:a='st(0,(Y+0.5)/H);"
                           "if(lt(abs(X-W/2),0.5+W*0.45*ld(0))*lt(mod(4/ld(0)%4(%5)+1200000,12),6),255,0)'[lane];")
                           .arg(stripWidth)
                           .arg(stripHeight)
                           .arg(seconds)
                           .arg(rearView ? QStringLiteral("-") : QStringLiteral("+"), driven);
  QString jolt = QStringLiteral("0");
  if (impactSecond >= 0) {
    jolt = QStringLiteral("if(between(t,%1,%2),%3*sin(t*70),0)")
               .arg(impactSecond)
               .arg(impactSecond + 0.6)
               .arg(std::max(1, (sceneHeight - height) / 2 - 1));
  }
  QString graph = scenery + lane +
                  QStringLiteral("[scenery][lane]overlay=x=(W-w)/2:y=%1:shortest=1,"
                                 "crop=w=%2:h=%3:x='%4*(1+%5)':y='%6+%7'")
                      .arg(horizon)
                      .arg(width)
                      .arg(height)
                      .arg((sceneWidth - width) / 2)
                      .arg(piecewise(QStringLiteral("t"), pan))
                      .arg((sceneHeight - height) / 2)
                      .arg(jolt);
  const QString font = fontFile();
  if (!font.isEmpty()) {
    graph += QStringLiteral(
                 ",drawtext=fontfile=%1:text='%2 %{pts\\:gmtime\\:%3\\:%Y-%m-%d %H\\\\\\:%M\\\\\\:%S}'"
                 ":x=8:y=h-th-8:fontsize=%4:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=4"
                 ",drawtext=fontfile=%1:text='%{eif\\:%5\\:d} km/h'"
                 ":x=w-tw-8:y=8:fontsize=%4:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=4")
                 .arg(font, label)
                 .arg(start.toSecsSinceEpoch())
                 .arg(std::max(10, height / 12))
                 .arg(piecewise(QStringLiteral("t"), speed));
  }
  return graph;
}

// The arguments of one ffmpeg run making a road-scene clip.
QStringList videoArguments(const QString& out, const QString& label, const QDateTime& start,
                           const QList<DriveSimulator::Second>& track, int impactSecond, bool rearView, int width,
                           int height, bool audio) {
  const int seconds = static_cast<int>(track.size());
  const QString video = roadScene(label, start, track, impactSecond, rearView, width, height);
  QStringList args = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                      QStringLiteral("-y"), QStringLiteral("-threads"), QStringLiteral("1"),
                      QStringLiteral("-filter_threads"), QStringLiteral("1"),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), video};
  if (audio) {
    args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
         << QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds);
  }
  // One encoder thread and bit-exact flags: the same clip every time.
  args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-preset")
       << QStringLiteral("ultrafast") << QStringLiteral("-threads") << QStringLiteral("1")
       << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p") << QStringLiteral("-g")
       << QStringLiteral("30");
  if (audio) {
    args << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a") << QStringLiteral("64k")
         << QStringLiteral("-shortest");
  }
  args << QStringLiteral("-map_metadata") << QStringLiteral("-1") << QStringLiteral("-fflags")
       << QStringLiteral("+bitexact") << QStringLiteral("-flags:v") << QStringLiteral("+bitexact")
       << QStringLiteral("-flags:a") << QStringLiteral("+bitexact") << QStringLiteral("-movflags")
       << QStringLiteral("+faststart") << QStringLiteral("-f") << QStringLiteral("mp4") << out;
  return args;
}

QString runFfmpeg(const QStringList& args) {
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(QStringLiteral("ffmpeg"), args);
  if (!process.waitForStarted(10000)) {
    return QStringLiteral("ffmpeg could not be started (is it installed?)");
  }
  process.waitForFinished(-1);
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    return QStringLiteral("ffmpeg failed: %1").arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
  }
  return {};
}

}  // namespace

SampleCardMaker::SampleCardMaker(SampleCardOptions options) : options_(options) {
  options_.clips = std::max(0, options_.clips);
  options_.clipSeconds = std::max(1, options_.clipSeconds);
  // H.264 in 4:2:0 wants even sizes.
  options_.width = std::max(16, options_.width & ~1);
  options_.height = std::max(16, options_.height & ~1);
  options_.jobs = std::max(1, options_.jobs);
}

QDateTime SampleCardMaker::firstClipStart(const SampleCardOptions& options) {
  const QDateTime midnight(QDate(2024, 5, 18), QTime(0, 0), Qt::UTC);
  const int seconds = std::max(1, options.clipSeconds);
  const int middle = std::max(0, options.clips) / 2;
  return midnight.addSecs(-static_cast<qint64>(middle) * seconds - std::max(1, seconds / 2));
}

QByteArray SampleCardMaker::driveTelemetry(std::uint64_t seed, const QDateTime& startUtc, int seconds,
                                           int coldStartSeconds, bool impact, bool parked) {
  DriveSimulator drive(seed, parked);
  TelemetryWriter writer(seed);
  QByteArray out;
  out.reserve(static_cast<qsizetype>(seconds) * 360 + 64);
  writer.header(out, seed);
  double previousSpeed = 0.0;
  for (int i = 0; i < seconds; ++i) {
    const auto s = drive.step();
    writer.second(out, startUtc.addSecs(i), s, i >= coldStartSeconds, impact && i == seconds / 2,
                  previousSpeed < 0.5 && s.speed >= 0.5);
    previousSpeed = s.speed;
  }
  return out;
}

bool SampleCardMaker::make(const QString& rootPath, QString* error,
                           const std::function<void(int done, int total)>& progress) {
  QString ignored;
  QString& err = error != nullptr ? *error : ignored;
  clips_.clear();
  // The constructor raised what was too small; what is too large is refused.
  if (options_.clips > SampleCardOptions::kMaxClips || options_.clipSeconds > SampleCardOptions::kMaxClipSeconds ||
      options_.width > SampleCardOptions::kMaxSide || options_.height > SampleCardOptions::kMaxSide) {
    err = QStringLiteral("The card's options are out of bounds.");
    return false;
  }
  QDir root(rootPath);
  if (!root.mkpath(QStringLiteral("."))) {
    err = QStringLiteral("Cannot create %1").arg(rootPath);
    return false;
  }
  for (const char* folder : {"NORMAL", "EVENT", "MANUAL", "PARKING", "PICTURE"}) {
    root.mkpath(QLatin1String(folder));
  }

  const QDateTime first = firstClipStart(options_);
  const int seconds = options_.clipSeconds;
  DriveSimulator drive(options_.seed, false);
  TelemetryWriter writer(options_.seed);
  double previousSpeed = 0.0;
  struct Job {
    QStringList args;
    QString path;
    QDateTime end;
  };
  QList<Job> jobs;

  for (int k = 0; k < options_.clips; ++k) {
    SampleClip clip;
    clip.folder = folderFor(k, options_.clips);
    clip.start = first.addSecs(static_cast<qint64>(k) * seconds);
    clip.seconds = seconds;
    const QString base = QStringLiteral("%1_%2_%3").arg(stamp(first), stamp(clip.start), kindLetter(clip.folder));
    clip.frontPath = clip.folder + QStringLiteral("/F_") + base + QStringLiteral(".MP4");
    if (options_.rear) {
      clip.rearPath = clip.folder + QStringLiteral("/R_") + base + QStringLiteral(".MP4");
    }
    const bool beside = options_.telemetry == SampleTelemetryPlace::Beside ||
                        (options_.telemetry == SampleTelemetryPlace::Mixed && k % 2 == 0);
    const QString nmeaName = QStringLiteral("N_") + base + QStringLiteral(".NMEA");
    clip.telemetryPath = beside ? clip.folder + QLatin1Char('/') + nmeaName
                                : QStringLiteral("NMEA/") + clip.folder + QLatin1Char('/') + nmeaName;

    QByteArray text;
    writer.header(text, options_.seed * 1000 + static_cast<std::uint64_t>(k));
    const bool parking = clip.folder == QLatin1String("PARKING");
    const bool event = clip.folder == QLatin1String("EVENT");
    QList<DriveSimulator::Second> track;
    track.reserve(seconds);
    for (int i = 0; i < seconds; ++i) {
      auto s = drive.step();
      if (parking) {
        s.speed = 0.0;
        s.accel = 0.0;
        s.yaw = 0.0;
      }
      const bool cold = k == 0 && i < std::min(4, seconds - 1);
      writer.second(text, clip.start.addSecs(i), s, !cold, event && i == seconds / 2,
                    previousSpeed < 0.5 && s.speed >= 0.5);
      previousSpeed = s.speed;
      track.append(s);
    }
    const QDateTime end = clip.start.addSecs(seconds);
    const QString telemetryFile = root.filePath(clip.telemetryPath);
    if (!writeFile(telemetryFile, text, &err)) {
      return false;
    }
    setModificationTime(telemetryFile, end);

    const QString front = root.filePath(clip.frontPath);
    const QString rear = clip.rearPath.isEmpty() ? QString() : root.filePath(clip.rearPath);
    if (options_.encodeVideos) {
      const int impact = event ? seconds / 2 : -1;
      jobs.append({videoArguments(front, QStringLiteral("FRONT"), clip.start, track, impact, false, options_.width,
                                  options_.height, true),
                   front, end});
      if (!rear.isEmpty()) {
        const int rearWidth = std::max(16, (options_.width * 2 / 3) & ~1);
        const int rearHeight = std::max(16, (options_.height * 2 / 3) & ~1);
        jobs.append({videoArguments(rear, QStringLiteral("REAR"), clip.start, track, impact, true, rearWidth,
                                    rearHeight, false),
                     rear, end});
      }
    } else {
      for (const QString& path : {front, rear}) {
        if (path.isEmpty()) {
          continue;
        }
        if (!writeFile(path, QByteArray(), &err)) {
          return false;
        }
        setModificationTime(path, end);
      }
    }
    clips_.append(clip);
  }

  const int total = static_cast<int>(jobs.size()) + 1;
  std::atomic<int> done{0};
  std::mutex failureMutex;
  QString failure;
  QThreadPool pool;
  pool.setMaxThreadCount(options_.jobs);
  QtConcurrent::blockingMap(&pool, jobs, [&](const Job& job) {
    {
      std::lock_guard lock(failureMutex);
      if (!failure.isEmpty()) {
        return;
      }
    }
    QString message = runFfmpeg(job.args);
    if (message.isEmpty()) {
      setModificationTime(job.path, job.end);
    } else {
      std::lock_guard lock(failureMutex);
      if (failure.isEmpty()) {
        failure = message;
      }
    }
    ++done;
  });
  if (!failure.isEmpty()) {
    err = failure;
    return false;
  }
  if (progress) {
    progress(done.load(), total);
  }

  // One still picture, taken during the middle clip.
  if (options_.encodeVideos && !clips_.isEmpty()) {
    const SampleClip& middle = clips_.at(clips_.size() / 2);
    const QDateTime shot = middle.start.addSecs(std::min(1, seconds - 1));
    const QString picture = root.filePath(QStringLiteral("PICTURE/") +
                                          shot.toString(QStringLiteral("yyMMddHHmmss")) + QStringLiteral(".JPG"));
    const QString message = runFfmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                                       QStringLiteral("-y"), QStringLiteral("-ss"),
                                       QString::number(std::min(1, seconds - 1)), QStringLiteral("-i"),
                                       root.filePath(middle.frontPath), QStringLiteral("-frames:v"),
                                       QStringLiteral("1"), QStringLiteral("-q:v"), QStringLiteral("3"),
                                       QStringLiteral("-fflags"), QStringLiteral("+bitexact"),
                                       QStringLiteral("-flags:v"), QStringLiteral("+bitexact"),
                                       QStringLiteral("-update"), QStringLiteral("1"), picture});
    if (!message.isEmpty()) {
      err = message;
      return false;
    }
    setModificationTime(picture, shot);
  }

  // A card of one or two clips keeps them whole: the cut clip needs a
  // healthy neighbour to be rebuilt from.
  if (options_.powerLossClip && options_.encodeVideos && clips_.size() >= 3) {
    // The last normal clip: the one being recorded when the power went.
    qsizetype last = clips_.size() - 1;
    while (last > 0 && clips_.at(last).folder != QLatin1String("NORMAL")) {
      --last;
    }
    SampleClip& clip = clips_[last];
    clip.frontCutByPowerLoss = true;
    const QString cutPath = root.filePath(clip.frontPath);
    if (!cutByPowerLoss(cutPath, 0.6, &err)) {
      return false;
    }
    setModificationTime(cutPath, clip.start.addSecs(seconds));
  }

  const QByteArray settings =
      "IMPACT_LEVEL L3\r\nVIDEO_CLIP_TIME 1min\r\nAUDIO ON\r\nREAR_CAMERA ON\r\n"
      "VIDEO_QUALITY FINE\r\nTIME_ZONE UTC\r\nWI_LAN 2G\r\n";
  if (!writeFile(root.filePath(QStringLiteral("rynd_settings.ini")), settings, &err)) {
    return false;
  }
  if (progress) {
    progress(total, total);
  }
  return true;
}

bool SampleCardMaker::cutByPowerLoss(const QString& path, double keep, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray data = file.readAll();
  file.close();
  // The top-level boxes: ftyp first, the media data somewhere after.
  QByteArray ftyp;
  QByteArray payload;
  for (qsizetype at = 0; at + 8 <= data.size();) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    const qsizetype size = (qsizetype(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (size < 8 || at + size > data.size()) {
      break;
    }
    const QByteArray type = data.mid(at + 4, 4);
    if (type == "ftyp") {
      ftyp = data.mid(at, size);
    } else if (type == "mdat") {
      payload = data.mid(at + 8, size - 8);
    }
    at += size;
  }
  if (ftyp.isEmpty() || payload.isEmpty()) {
    *error = QStringLiteral("%1 is not an MP4 file with media data").arg(path);
    return false;
  }
  QByteArray cut = ftyp + QByteArray("\0\0\0\0mdat", 8);
  cut += payload.left(qsizetype(double(payload.size()) * std::clamp(keep, 0.0, 1.0)));
  return writeFile(path, cut, error);
}

}  // namespace dashcard
