#include "core/media/clip_health.h"

#include "core/common/regular_file.h"
#include "core/media/mp4_box.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace dashcard {
namespace {

using mp4::fourcc;

// An index larger than this is not a camera's (an hour of 60 fps video
// needs a few megabytes).
constexpr std::int64_t kMaxIndexBytes = 64 << 20;

QString tr(const char* text) { return QCoreApplication::translate("ClipHealth", text); }

ClipHealth damaged(ClipDamage damage, const QString& reason, double seconds = 0.0) {
  return ClipHealth{damage, seconds, reason};
}

// Boxes a camera or a muxer puts at the top of an MP4 file.
bool knownTopLevelType(std::uint32_t type) {
  static constexpr std::array kTypes = {fourcc("ftyp"), fourcc("mdat"), fourcc("moov"), fourcc("free"),
                                        fourcc("skip"), fourcc("wide"), fourcc("uuid"), fourcc("pnot"),
                                        fourcc("udta"), fourcc("meta")};
  return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

// The seconds of the video track (else the first) whose samples lie wholly
// inside the first `fileSize` bytes, counted from the start.
double secondsInFile(const mp4::Index& index, std::int64_t fileSize) {
  const mp4::Track* track = index.firstOf(fourcc("vide"));
  track = track != nullptr ? track : &index.tracks.front();
  if (track->timescale == 0) {
    return 0.0;
  }
  std::uint64_t ticks = 0;
  for (std::size_t i = 0; i < track->sizes.size(); ++i) {
    if (track->offsets[i] + track->sizes[i] > std::uint64_t(fileSize)) {
      break;
    }
    ticks += track->deltas[i];
  }
  return double(ticks) / track->timescale;
}

double totalSeconds(const mp4::Index& index) {
  const mp4::Track* track = index.firstOf(fourcc("vide"));
  track = track != nullptr ? track : &index.tracks.front();
  std::uint64_t ticks = 0;
  for (const std::uint32_t delta : track->deltas) {
    ticks += delta;
  }
  return track->timescale == 0 ? 0.0 : double(ticks) / track->timescale;
}

}  // namespace

const char* ClipHealth::damageName(ClipDamage damage) {
  switch (damage) {
    case ClipDamage::None:
      return "healthy";
    case ClipDamage::Empty:
      return "empty";
    case ClipDamage::NoIndex:
      return "no-index";
    case ClipDamage::Truncated:
      return "truncated";
    case ClipDamage::Unreadable:
      return "unreadable";
  }
  return "unreadable";
}

ClipHealth ClipHealth::inspect(const QString& path) {
  struct stat info {};
  const int fd = openRegularFile(path, &info);
  if (fd < 0) {
    return damaged(ClipDamage::Unreadable,
                   tr("The file cannot be read: %1.").arg(QString::fromLocal8Bit(std::strerror(errno))));
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const std::int64_t fileSize = info.st_size;
  if (fileSize == 0) {
    return damaged(ClipDamage::Empty, tr("The file is empty (0 bytes): nothing was recorded."));
  }
  const mp4::TopLevel top = mp4::readTopLevel(fd, fileSize);
  if (top.boxes.empty() || !knownTopLevelType(top.boxes.front().type)) {
    return damaged(ClipDamage::Unreadable, tr("This is not a recognisable MP4 video."));
  }
  const mp4::BoxHeader* moov = top.find(fourcc("moov"));
  const mp4::BoxHeader* mdat = top.find(fourcc("mdat"));
  if (moov == nullptr || moov->end() > fileSize) {
    if (mdat == nullptr) {
      return damaged(ClipDamage::Unreadable, tr("The file holds neither video data nor an index."));
    }
    return damaged(ClipDamage::NoIndex,
                   tr("No index: the recording was cut off (power loss) before the camera closed it."));
  }
  const bool cut = std::any_of(top.boxes.begin(), top.boxes.end(),
                               [&](const mp4::BoxHeader& box) { return box.end() > fileSize || box.toEnd; });
  if (!cut) {
    return {};
  }
  // The index is there but something reaches past the end: see what plays.
  if (moov->size > kMaxIndexBytes) {
    return damaged(ClipDamage::Unreadable, tr("The index is too large to be a camera's."));
  }
  const QByteArray moovBytes = mp4::readAt(fd, moov->payloadOffset(), moov->size - moov->headerSize);
  QString error;
  const auto index = mp4::parseIndex(moovBytes, &error);
  if (!index) {
    return damaged(ClipDamage::Unreadable, tr("The index is damaged: %1.").arg(error));
  }
  const double playable = secondsInFile(*index, fileSize);
  const double total = totalSeconds(*index);
  if (playable >= total) {
    return {};
  }
  return damaged(ClipDamage::Truncated,
                 tr("Cut short: %1 of %2 seconds play.").arg(playable, 0, 'f', 1).arg(total, 0, 'f', 1), playable);
}

std::optional<double> ClipHealth::lengthSeconds(const QString& path) {
  struct stat info {};
  const int fd = openRegularFile(path, &info);
  if (fd < 0) {
    return std::nullopt;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const mp4::TopLevel top = mp4::readTopLevel(fd, info.st_size);
  const mp4::BoxHeader* moov = top.find(fourcc("moov"));
  if (moov == nullptr || moov->end() > info.st_size || moov->size > kMaxIndexBytes) {
    return std::nullopt;
  }
  QString error;
  const auto index = mp4::parseIndex(mp4::readAt(fd, moov->payloadOffset(), moov->size - moov->headerSize), &error);
  if (!index || index->tracks.empty()) {
    return std::nullopt;
  }
  const double seconds = totalSeconds(*index);
  return seconds > 0.0 ? std::optional<double>(seconds) : std::nullopt;
}

}  // namespace dashcard
