// Damaged clips as a power loss leaves them: what the check says and what a
// rebuild recovers, against the intact clip's own packets and pictures.
#include "core/media/clip_health.h"
#include "core/media/clip_rebuilder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace dashcard {
namespace {

QByteArray run(const QString& program, const QStringList& arguments, QByteArray* err = nullptr) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(300000);
  if (err != nullptr) *err = process.readAllStandardError();
  return process.readAllStandardOutput();
}

// A camera-like clip: index at the end, no reordered frames, sound
// interleaved with the pictures (H.264 + mono AAC), or H.265 alone.
bool makeClip(const QString& path, bool hevc, int seconds, bool indexFirst = false, int width = 320, int bframes = 0) {
  QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i",
                   QStringLiteral("testsrc2=size=%1x180:rate=30").arg(width)};
  if (!hevc) args << "-f" << "lavfi" << "-i" << "sine=frequency=440:sample_rate=48000";
  args << "-t" << QString::number(seconds) << "-pix_fmt" << "yuv420p" << "-g" << "30";
  if (hevc) {
    args << "-c:v" << "libx265" << "-tag:v" << "hvc1" << "-x265-params"
         << QStringLiteral("log-level=error:bframes=%1").arg(bframes);
  } else {
    args << "-c:v" << "libx264" << "-bf" << QString::number(bframes) << "-c:a" << "aac" << "-ac" << "1" << "-b:a"
         << "64k";
  }
  if (indexFirst) args << "-movflags" << "+faststart";
  args << path;
  QByteArray err;
  run("ffmpeg", args, &err);
  return QFileInfo(path).size() > 0;
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(data), data.size());
}

qsizetype mdatOffset(const QByteArray& data) {
  qsizetype at = 0;
  while (at + 8 <= data.size()) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    const quint32 size = (quint32(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (data.mid(at + 4, 4) == "mdat") return at;
    if (size < 8) return -1;
    at += size;
  }
  return -1;
}

enum class Cut { Plain, ZeroSize, ReservedZeros };

// The first `bytes` of `intact` as a power loss leaves them.
QByteArray cutClip(const QByteArray& intact, qsizetype bytes, Cut how) {
  QByteArray data = intact.left(bytes);
  if (how != Cut::Plain) {
    const qsizetype mdat = mdatOffset(data);
    if (mdat >= 0) std::fill_n(data.data() + mdat, 4, '\0');
  }
  if (how == Cut::ReservedZeros) data.append(intact.size() - bytes, '\0');
  return data;
}

struct Packet {
  bool video = false;
  qint64 end = 0;
};

std::vector<Packet> packets(const QString& path) {
  std::vector<Packet> result;
  const QByteArray csv =
      run("ffprobe", {"-v", "error", "-show_entries", "packet=codec_type,pos,size", "-of", "csv=p=0", path});
  for (const QByteArray& line : csv.split('\n')) {
    const QList<QByteArray> f = line.split(',');
    if (f.size() >= 3) result.push_back({f[0] == "video", f[2].toLongLong() + f[1].toLongLong()});
  }
  return result;
}

QByteArray picture(const QString& path, int index) {
  return run("ffmpeg", {"-v", "error", "-i", path, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(index), "-frames:v",
                        "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
}

class ClipRepairTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    ASSERT_TRUE(makeClip(path("F_20240301_100000_0001.MP4"), false, 6));
    ASSERT_TRUE(makeClip(path("F_20240301_100100_0002.MP4"), false, 6));
    ASSERT_TRUE(makeClip(path("H_20240301_100000_0001.MP4"), true, 4));
    ASSERT_TRUE(makeClip(path("H_20240301_100100_0002.MP4"), true, 4));
    ASSERT_TRUE(makeClip(path("first.mp4"), false, 4, true));
    ASSERT_TRUE(makeClip(path("wide.mp4"), false, 2, false, 352));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static QString path(const QString& name) { return dir_->filePath(name); }
  static QTemporaryDir* dir_;
};
QTemporaryDir* ClipRepairTest::dir_ = nullptr;

// The kind of damage and, from the same headers, the length the index gives
// (what a span's choice of clips reads without a decoder).
TEST_F(ClipRepairTest, CheckTellsEachKindOfDamage) {
  const QByteArray intact = readAll(path("F_20240301_100000_0001.MP4"));
  const QByteArray first = readAll(path("first.mp4"));
  QByteArray noise(100000, '\0');
  QRandomGenerator random(7);
  random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  struct Case {
    const char* name;
    QByteArray data;
    ClipDamage damage;
    double length = 0.0;  // 0: none
  } cases[] = {
      {"intact", intact, ClipDamage::None, 6.0},
      {"empty", {}, ClipDamage::Empty},
      {"cut", cutClip(intact, intact.size() / 2, Cut::Plain), ClipDamage::NoIndex},
      {"zero size", cutClip(intact, intact.size() / 2, Cut::ZeroSize), ClipDamage::NoIndex},
      {"reserved zeros", cutClip(intact, intact.size() / 3, Cut::ReservedZeros), ClipDamage::NoIndex},
      {"header only", intact.left(40), ClipDamage::Unreadable},
      {"index first, cut", first.left(first.size() / 2), ClipDamage::Truncated, 4.0},
      {"index first, cut in the index", first.left(200), ClipDamage::Unreadable},
      {"random bytes", noise, ClipDamage::Unreadable},
      {"text", QByteArray("hello, this is not a video\n"), ClipDamage::Unreadable},
      {"seven bytes", QByteArray("\0\0\0\x08mo", 7), ClipDamage::Unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = path(QStringLiteral("check.mp4"));
    writeAll(file, c.data);
    const ClipHealth health = ClipHealth::inspect(file);
    EXPECT_EQ(health.damage, c.damage) << health.reason.toStdString();
    EXPECT_EQ(health.healthy(), health.reason.isEmpty());
    const std::optional<double> length = ClipHealth::lengthSeconds(file);
    EXPECT_EQ(length.has_value(), c.length > 0.0);
    EXPECT_NEAR(length.value_or(0.0), c.length, 0.05);
    if (c.damage == ClipDamage::Truncated) {
      EXPECT_GT(health.playableSeconds, 0.5);
      EXPECT_LT(health.playableSeconds, 3.5);
    }
  }
  EXPECT_EQ(ClipHealth::inspect(dir_->path()).damage, ClipDamage::Unreadable);
  EXPECT_EQ(ClipHealth::inspect(path("missing.mp4")).damage, ClipDamage::Unreadable);
  EXPECT_FALSE(ClipHealth::lengthSeconds(dir_->path()));
  EXPECT_NEAR(ClipHealth::lengthSeconds(path("H_20240301_100000_0001.MP4")).value_or(0.0), 4.0, 0.05);
}

TEST_F(ClipRepairTest, RebuildRecoversEveryCompleteFrame) {
  struct Case {
    const char* clip;
    double cutAt;
    Cut how;
  } cases[] = {
      {"F_20240301_100000_0001.MP4", 0.35, Cut::Plain},
      {"F_20240301_100000_0001.MP4", 0.7, Cut::ZeroSize},
      {"F_20240301_100000_0001.MP4", 0.93, Cut::ReservedZeros},
      {"H_20240301_100000_0001.MP4", 0.5, Cut::Plain},
      {"H_20240301_100000_0001.MP4", 0.85, Cut::ReservedZeros},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.clip) + " at " + std::to_string(c.cutAt));
    const QString intactPath = path(c.clip);
    const QByteArray intact = readAll(intactPath);
    const auto cut = qsizetype(double(intact.size()) * c.cutAt);
    // The damaged clip sits beside its healthy neighbour, as on a card.
    const QString damaged = path(QStringLiteral("%1_20240301_100200_0003.MP4").arg(QChar(c.clip[0])));
    writeAll(damaged, cutClip(intact, cut, c.how));
    const QByteArray before = QCryptographicHash::hash(readAll(damaged), QCryptographicHash::Sha256);
    const QString out = path("out.mp4");
    QFile::remove(out);

    std::vector<double> steps;
    const ClipRebuilder::Result result =
        ClipRebuilder::rebuild(damaged, {}, out, nullptr, [&](double f) { steps.push_back(f); });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.reference.endsWith(QStringLiteral("_0002.MP4")) ||
                result.reference.endsWith(QStringLiteral("_0001.MP4")));
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 1.0);
    EXPECT_EQ(QCryptographicHash::hash(readAll(damaged), QCryptographicHash::Sha256), before);

    int wholeVideo = 0, wholeAudio = 0;
    for (const Packet& p : packets(intactPath)) {
      if (p.end <= cut) ++(p.video ? wholeVideo : wholeAudio);
    }
    int gotVideo = 0, gotAudio = 0;
    for (const Packet& p : packets(out)) ++(p.video ? gotVideo : gotAudio);
    EXPECT_EQ(gotVideo, result.videoFrames);
    EXPECT_GE(gotVideo, int(std::ceil(wholeVideo * 0.99)));
    EXPECT_LE(gotVideo, wholeVideo);
    EXPECT_LE(std::abs(gotAudio - wholeAudio), 1) << gotAudio << " of " << wholeAudio;

    QByteArray errors;
    run("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}, &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
    for (const int index : {0, gotVideo - 1}) {
      const QByteArray want = picture(intactPath, index);
      EXPECT_FALSE(want.isEmpty());
      EXPECT_TRUE(picture(out, index) == want) << "picture " << index;
    }
  }
}

TEST_F(ClipRepairTest, BadInputGetsAReasonAndNoOutput) {
  const QByteArray intact = readAll(path("F_20240301_100000_0001.MP4"));
  const QByteArray first = readAll(path("first.mp4"));
  const QString damaged = path("damaged.mp4");
  writeAll(damaged, cutClip(intact, intact.size() / 2, Cut::ZeroSize));
  QByteArray noise(50000, '\0');
  QRandomGenerator(3).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
  writeAll(path("noise.mp4"), noise);
  writeAll(path("empty.mp4"), {});
  // An index that points past the end: the faststart clip, cut.
  QByteArray pointingOut = first.left(first.size() * 3 / 4);
  const qsizetype firstMdat = mdatOffset(pointingOut);
  ASSERT_GE(firstMdat, 0);
  const quint32 fitted = quint32(pointingOut.size() - firstMdat);
  for (int i = 0; i < 4; ++i) pointingOut[firstMdat + i] = char(fitted >> (24 - 8 * i));
  writeAll(path("pointing-out.mp4"), pointingOut);
  // A media data box that claims more than the file holds, index before it.
  QByteArray grown = first;
  const qsizetype mdat = mdatOffset(grown);
  ASSERT_GE(mdat, 0);
  grown[mdat] = char(0x7f);
  writeAll(path("mdat-too-large.mp4"), grown);

  struct Case {
    const char* name;
    QString video;
    QString reference;
    const char* says;
  } cases[] = {
      {"empty video", path("empty.mp4"), path("F_20240301_100100_0002.MP4"), "is empty"},
      {"random bytes", path("noise.mp4"), path("F_20240301_100100_0002.MP4"), "no video data"},
      {"reference of another codec", damaged, path("H_20240301_100100_0002.MP4"), "another camera or codec"},
      {"reference of another size", damaged, path("wide.mp4"), "does not match"},
      {"reference pointing outside", damaged, path("pointing-out.mp4"), "points outside the file"},
      {"reference larger than its file", damaged, path("mdat-too-large.mp4"), "larger than the file"},
      {"random reference", damaged, path("noise.mp4"), "no index"},
      {"no reference beside it", damaged, {}, "No healthy clip"},
      {"itself", damaged, damaged, "no index"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString out = path("bad-out.mp4");
    const ClipRebuilder::Result result = ClipRebuilder::rebuild(c.video, c.reference, out);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(QLatin1String(c.says))) << result.error.toStdString();
    EXPECT_FALSE(QFile::exists(out));
  }
  // Nothing left behind in the folder: no temporary files either.
  EXPECT_TRUE(QDir(dir_->path()).entryList({".bad-out*"}, QDir::Files | QDir::Hidden).isEmpty());
  // The copy never replaces the damaged file.
  const ClipRebuilder::Result self = ClipRebuilder::rebuild(damaged, path("F_20240301_100100_0002.MP4"), damaged);
  EXPECT_FALSE(self.ok);
  EXPECT_EQ(QFileInfo(damaged).size(), intact.size() / 2);
}

// Pictures stored out of display order need the lost index to play in
// order: such clips are refused with the reason, never rebuilt jumbled.
TEST_F(ClipRepairTest, ReorderedFramesAreRefused) {
  ASSERT_TRUE(makeClip(path("b264.mp4"), false, 2, false, 320, 2));
  ASSERT_TRUE(makeClip(path("b265.mp4"), true, 2, false, 320, 3));
  const auto cutCopy = [](const QString& from, const QString& to) {
    const QByteArray intact = readAll(from);
    writeAll(to, cutClip(intact, intact.size() * 3 / 4, Cut::ZeroSize));
  };
  cutCopy(path("b264.mp4"), path("b264-cut.mp4"));
  cutCopy(path("b265.mp4"), path("b265-cut.mp4"));
  cutCopy(path("F_20240301_100000_0001.MP4"), path("plain-cut.mp4"));
  struct Case {
    const char* name;
    QString video;
    QString reference;
  } const cases[] = {
      {"H.264 clip with B-frames", path("b264-cut.mp4"), path("F_20240301_100100_0002.MP4")},
      {"H.265 clip with B-frames", path("b265-cut.mp4"), path("H_20240301_100100_0002.MP4")},
      {"reference with B-frames", path("plain-cut.mp4"), path("b264.mp4")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString out = path("reordered-out.mp4");
    const ClipRebuilder::Result result = ClipRebuilder::rebuild(c.video, c.reference, out);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(QLatin1String("B-frames"))) << result.error.toStdString();
    EXPECT_FALSE(QFile::exists(out));
  }
}

// A thumbnail needs only the start: the walk stops after the pictures asked
// for, and the first of them is the intact clip's first picture.
TEST_F(ClipRepairTest, RebuildOfTheFirstPicturesOnly) {
  const QString intactPath = path("F_20240301_100000_0001.MP4");
  const QByteArray intact = readAll(intactPath);
  const QString damaged = path("start-cut.mp4");
  writeAll(damaged, cutClip(intact, intact.size() * 9 / 10, Cut::ReservedZeros));
  const QString out = path("start-out.mp4");
  const ClipRebuilder::Result result =
      ClipRebuilder::rebuild(damaged, path("F_20240301_100100_0002.MP4"), out, nullptr, {}, 3);
  ASSERT_TRUE(result.ok) << result.error.toStdString();
  EXPECT_EQ(result.videoFrames, 3);
  const QByteArray first = picture(intactPath, 0);
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ(picture(out, 0), first);
}

TEST_F(ClipRepairTest, CancelledRebuildWritesNothing) {
  const QByteArray intact = readAll(path("F_20240301_100000_0001.MP4"));
  const QString damaged = path("F_20240301_100300_0004.MP4");
  writeAll(damaged, cutClip(intact, intact.size() * 9 / 10, Cut::Plain));
  const QString out = path("cancelled.mp4");
  for (const bool early : {true, false}) {
    SCOPED_TRACE(early ? "before the walk" : "during it");
    std::atomic<bool> cancel{early};
    const ClipRebuilder::Result result = ClipRebuilder::rebuild(damaged, {}, out, &cancel, [&](double f) {
      if (f > 0.2) cancel = true;
    });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(QFile::exists(out));
  }
  EXPECT_TRUE(QDir(dir_->path()).entryList({".cancelled*"}, QDir::Files | QDir::Hidden).isEmpty());
  QFile::remove(damaged);
}

}  // namespace
}  // namespace dashcard
