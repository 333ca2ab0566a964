#include "core/media/mp4_box.h"

#include <algorithm>
#include <cerrno>
#include <map>

#include <unistd.h>

namespace dashcard::mp4 {
namespace {

const unsigned char* bytesOf(QByteArrayView view) { return reinterpret_cast<const unsigned char*>(view.data()); }

// A box type is four printable characters (the camera's and ours all are).
bool plausibleType(std::uint32_t type) {
  for (int shift = 0; shift < 32; shift += 8) {
    const unsigned c = (type >> shift) & 0xff;
    if (c < 0x20 || c > 0x7e) {
      return false;
    }
  }
  return true;
}

// A full box's payload after version and flags; `version` gets the version.
std::optional<QByteArrayView> fullPayload(const std::optional<Child>& box, int* version = nullptr) {
  if (!box || box->payload.size() < 4) {
    return std::nullopt;
  }
  if (version != nullptr) {
    *version = std::uint8_t(box->payload[0]);
  }
  return box->payload.sliced(4);
}

// The entry count of a table of `entrySize`-byte entries after a 4-byte
// count; nullopt when the count does not fit the box.
std::optional<std::uint32_t> tableCount(QByteArrayView table, qsizetype entrySize, qsizetype skip = 0) {
  if (table.size() < skip + 4) {
    return std::nullopt;
  }
  const std::uint32_t count = be32(bytesOf(table) + skip);
  if (qsizetype(count) > (table.size() - skip - 4) / entrySize) {
    return std::nullopt;
  }
  return count;
}

// A cap on samples per track: a day of 60 fps video.
constexpr std::uint32_t kMaxSamples = 6'000'000;

std::optional<Track> parseTrack(QByteArrayView trak, QString* error) {
  Track track;
  const auto fail = [&](const QString& text) {
    *error = text;
    return std::nullopt;
  };
  int version = 0;
  if (const auto tkhd = fullPayload(child(trak, fourcc("tkhd")), &version)) {
    const qsizetype at = version == 1 ? 84 : 72;  // width and height, 16.16 each, end the box
    if (tkhd->size() >= at + 8) {
      track.width = be16(bytesOf(*tkhd) + at);
      track.height = be16(bytesOf(*tkhd) + at + 4);
    }
  }
  const auto mdia = child(trak, fourcc("mdia"));
  if (!mdia) {
    return fail(QStringLiteral("a track has no media box"));
  }
  const auto mdhd = fullPayload(child(mdia->payload, fourcc("mdhd")), &version);
  const qsizetype scaleAt = version == 1 ? 16 : 8;
  if (!mdhd || mdhd->size() < scaleAt + 4) {
    return fail(QStringLiteral("a track has no media header"));
  }
  track.timescale = be32(bytesOf(*mdhd) + scaleAt);
  if (const auto hdlr = fullPayload(child(mdia->payload, fourcc("hdlr"))); hdlr && hdlr->size() >= 8) {
    track.handler = be32(bytesOf(*hdlr) + 4);
  }
  const auto stbl = path(mdia->payload, {fourcc("minf"), fourcc("stbl")});
  if (!stbl) {
    return fail(QStringLiteral("a track has no sample table"));
  }
  const QByteArrayView tables = stbl->payload;
  if (const auto stsd = fullPayload(child(tables, fourcc("stsd"))); stsd && stsd->size() > 4) {
    const auto entries = children(stsd->sliced(4));
    if (!entries.empty()) {
      track.codec = entries.front().type;
      track.sampleEntry = entries.front().whole.toByteArray();
    }
  }
  const auto stsz = fullPayload(child(tables, fourcc("stsz")));
  const auto stts = fullPayload(child(tables, fourcc("stts")));
  const auto stsc = fullPayload(child(tables, fourcc("stsc")));
  auto chunkTable = fullPayload(child(tables, fourcc("stco")));
  const bool wide = !chunkTable;
  if (wide) {
    chunkTable = fullPayload(child(tables, fourcc("co64")));
  }
  if (!stsz || !stts || !stsc || !chunkTable || track.codec == 0) {
    return fail(QStringLiteral("a track lacks a sample table"));
  }
  track.hasCompositionOffsets = child(tables, fourcc("ctts")).has_value();
  track.hasSyncTable = child(tables, fourcc("stss")).has_value();

  // Sample sizes: one for all, or a table.
  if (stsz->size() < 8) {
    return fail(QStringLiteral("the sample size table is cut short"));
  }
  const std::uint32_t fixedSize = be32(bytesOf(*stsz));
  const std::uint32_t count = be32(bytesOf(*stsz) + 4);
  if (count > kMaxSamples || (fixedSize == 0 && qsizetype(count) > (stsz->size() - 8) / 4)) {
    return fail(QStringLiteral("the sample size table is cut short"));
  }
  track.sizes.resize(count, fixedSize);
  if (fixedSize == 0) {
    for (std::uint32_t i = 0; i < count; ++i) {
      track.sizes[i] = be32(bytesOf(*stsz) + 8 + 4 * qsizetype(i));
    }
  }
  // Durations.
  const auto timeRuns = tableCount(*stts, 8);
  if (!timeRuns) {
    return fail(QStringLiteral("the time table is cut short"));
  }
  track.deltas.reserve(count);
  for (std::uint32_t i = 0; i < *timeRuns && track.deltas.size() < count; ++i) {
    const unsigned char* entry = bytesOf(*stts) + 4 + 8 * qsizetype(i);
    const std::uint32_t n = std::min<std::uint32_t>(be32(entry), count - std::uint32_t(track.deltas.size()));
    track.deltas.insert(track.deltas.end(), n, be32(entry + 4));
  }
  if (track.deltas.size() != count) {
    return fail(QStringLiteral("the time table does not cover every sample"));
  }
  // Chunk offsets and the samples in each chunk.
  const auto chunks = tableCount(*chunkTable, wide ? 8 : 4);
  const auto runs = tableCount(*stsc, 12);
  if (!chunks || !runs) {
    return fail(QStringLiteral("the chunk tables are cut short"));
  }
  track.offsets.reserve(count);
  for (std::uint32_t run = 0; run < *runs; ++run) {
    const unsigned char* entry = bytesOf(*stsc) + 4 + 12 * qsizetype(run);
    const std::uint32_t first = be32(entry);
    const std::uint32_t perChunk = be32(entry + 4);
    const std::uint32_t next = run + 1 < *runs ? be32(entry + 12) : *chunks + 1;
    if (first == 0 || next <= first || next > *chunks + 1 || perChunk > count) {
      return fail(QStringLiteral("the chunk table is inconsistent"));
    }
    for (std::uint32_t chunk = first; chunk < next; ++chunk) {
      const unsigned char* at = bytesOf(*chunkTable) + 4 + (wide ? 8 : 4) * qsizetype(chunk - 1);
      std::uint64_t offset = wide ? be64(at) : be32(at);
      for (std::uint32_t i = 0; i < perChunk; ++i) {
        if (track.offsets.size() == count) {
          return fail(QStringLiteral("the chunk table lists more samples than the size table"));
        }
        track.offsets.push_back(offset);
        offset += track.sizes[track.offsets.size() - 1];
      }
    }
  }
  if (track.offsets.size() != count) {
    return fail(QStringLiteral("the chunk table lists fewer samples than the size table"));
  }
  return track;
}

}  // namespace

QString fourccText(std::uint32_t type) {
  const char text[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
  return QString::fromLatin1(text, 4);
}

const BoxHeader* TopLevel::find(std::uint32_t type) const {
  const auto it = std::find_if(boxes.begin(), boxes.end(), [&](const BoxHeader& box) { return box.type == type; });
  return it == boxes.end() ? nullptr : &*it;
}

QByteArray readAt(int fd, std::int64_t offset, std::int64_t length) {
  QByteArray data(qsizetype(std::max<std::int64_t>(length, 0)), Qt::Uninitialized);
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t got = ::pread(fd, data.data() + done, size_t(data.size() - done), offset + done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      if (got < 0) {
        return {};
      }
      break;
    }
    done += got;
  }
  data.truncate(done);
  return data;
}

TopLevel readTopLevel(int fd, std::int64_t fileSize, int maxBoxes) {
  TopLevel result;
  result.fileSize = fileSize;
  std::int64_t offset = 0;
  while (offset < fileSize && int(result.boxes.size()) < maxBoxes) {
    const QByteArray head = readAt(fd, offset, 16);
    if (head.size() < 8) {
      result.complete = false;
      break;
    }
    const auto* p = bytesOf(head);
    BoxHeader box;
    box.type = be32(p + 4);
    box.offset = offset;
    box.headerSize = 8;
    const std::uint32_t size32 = be32(p);
    if (size32 == 1) {
      if (head.size() < 16) {
        result.complete = false;
        break;
      }
      box.headerSize = 16;
      box.size = std::int64_t(std::min<std::uint64_t>(be64(p + 8), std::uint64_t(INT64_MAX / 2)));
    } else if (size32 == 0) {
      box.toEnd = true;
      box.size = fileSize - offset;
    } else {
      box.size = size32;
    }
    if (!plausibleType(box.type) || box.size < box.headerSize) {
      result.complete = false;
      break;
    }
    result.boxes.push_back(box);
    if (box.end() >= fileSize) {
      break;
    }
    offset = box.end();
  }
  return result;
}

std::vector<Child> children(QByteArrayView data) {
  std::vector<Child> result;
  qsizetype at = 0;
  while (data.size() - at >= 8) {
    const unsigned char* p = bytesOf(data) + at;
    std::uint64_t size = be32(p);
    qsizetype header = 8;
    if (size == 1) {
      if (data.size() - at < 16) {
        break;
      }
      size = be64(p + 8);
      header = 16;
    } else if (size == 0) {
      size = std::uint64_t(data.size() - at);
    }
    if (size < std::uint64_t(header) || size > std::uint64_t(data.size() - at)) {
      break;
    }
    result.push_back(Child{be32(p + 4), data.sliced(at + header, qsizetype(size) - header),
                           data.sliced(at, qsizetype(size))});
    at += qsizetype(size);
  }
  return result;
}

std::optional<Child> child(QByteArrayView data, std::uint32_t type) {
  for (const Child& box : children(data)) {
    if (box.type == type) {
      return box;
    }
  }
  return std::nullopt;
}

std::optional<Child> path(QByteArrayView data, std::initializer_list<std::uint32_t> types) {
  std::optional<Child> box;
  for (const std::uint32_t type : types) {
    box = child(box ? box->payload : data, type);
    if (!box) {
      return std::nullopt;
    }
  }
  return box;
}

std::uint32_t Track::commonDelta() const {
  std::map<std::uint32_t, std::size_t> counts;
  for (const std::uint32_t delta : deltas) {
    ++counts[delta];
  }
  const auto best = std::max_element(counts.begin(), counts.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  return best == counts.end() ? 0 : best->first;
}

std::uint32_t Track::largestSample() const {
  return sizes.empty() ? 0 : *std::max_element(sizes.begin(), sizes.end());
}

const Track* Index::firstOf(std::uint32_t handler) const {
  const auto it = std::find_if(tracks.begin(), tracks.end(), [&](const Track& t) { return t.handler == handler; });
  return it == tracks.end() ? nullptr : &*it;
}

std::optional<Index> parseIndex(QByteArrayView moovPayload, QString* error) {
  QString ignored;
  error = error != nullptr ? error : &ignored;
  Index index;
  for (const Child& box : children(moovPayload)) {
    if (box.type != fourcc("trak")) {
      continue;
    }
    auto track = parseTrack(box.payload, error);
    if (!track) {
      return std::nullopt;
    }
    index.tracks.push_back(std::move(*track));
  }
  if (index.tracks.empty()) {
    *error = QStringLiteral("the index holds no track");
    return std::nullopt;
  }
  return index;
}

void BoxWriter::begin(std::uint32_t type) {
  open_.push_back(data_.size());
  u32(0);
  u32(type);
}

void BoxWriter::beginFull(std::uint32_t type, std::uint8_t version, std::uint32_t flags) {
  begin(type);
  u32((std::uint32_t(version) << 24) | (flags & 0xffffff));
}

void BoxWriter::end() {
  const qsizetype start = open_.back();
  open_.pop_back();
  const auto size = std::uint32_t(data_.size() - start);
  auto* p = reinterpret_cast<unsigned char*>(data_.data() + start);
  p[0] = std::uint8_t(size >> 24);
  p[1] = std::uint8_t(size >> 16);
  p[2] = std::uint8_t(size >> 8);
  p[3] = std::uint8_t(size);
}

void BoxWriter::u16(std::uint16_t v) {
  u8(std::uint8_t(v >> 8));
  u8(std::uint8_t(v));
}

void BoxWriter::u32(std::uint32_t v) {
  u16(std::uint16_t(v >> 16));
  u16(std::uint16_t(v));
}

void BoxWriter::u64(std::uint64_t v) {
  u32(std::uint32_t(v >> 32));
  u32(std::uint32_t(v));
}

}  // namespace dashcard::mp4
