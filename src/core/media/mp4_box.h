#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace dashcard::mp4 {

// The few MP4 boxes the damaged-clip checks and the rebuild need: headers
// read from a file with small bounded reads, children walked inside a box
// already in memory, and the sample tables of an index. Nothing more.

constexpr std::uint32_t fourcc(const char (&text)[5]) {
  return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
         (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}
QString fourccText(std::uint32_t type);

inline std::uint16_t be16(const unsigned char* p) { return std::uint16_t((p[0] << 8) | p[1]); }
inline std::uint32_t be32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint64_t be64(const unsigned char* p) { return (std::uint64_t(be32(p)) << 32) | be32(p + 4); }

// One box of a file: where it starts, its header's length and its whole
// size as the header says it (`toEnd`: size 0, up to the end of the file).
struct BoxHeader {
  std::uint32_t type = 0;
  std::int64_t offset = 0;
  int headerSize = 0;
  std::int64_t size = 0;
  bool toEnd = false;
  std::int64_t end() const { return offset + size; }
  std::int64_t payloadOffset() const { return offset + headerSize; }
};

// The top-level boxes of an open file, at most `maxBoxes`, read with one
// 16-byte read each. Stops at the end of the file, at a header that does not
// fit or cannot be a box (`complete` false then) or at a box reaching past
// the end of the file (kept, so callers see where the file was cut).
struct TopLevel {
  std::vector<BoxHeader> boxes;
  std::int64_t fileSize = 0;
  bool complete = true;
  const BoxHeader* find(std::uint32_t type) const;
};
TopLevel readTopLevel(int fd, std::int64_t fileSize, int maxBoxes = 64);

// Reads `length` bytes at `offset` (fewer at the end of the file); empty on failure.
QByteArray readAt(int fd, std::int64_t offset, std::int64_t length);

// A box inside a buffer: its type and payload.
struct Child {
  std::uint32_t type = 0;
  QByteArrayView payload;
  QByteArrayView whole;
};
// The boxes of `data` in order; a box whose size does not fit ends the walk.
std::vector<Child> children(QByteArrayView data);
std::optional<Child> child(QByteArrayView data, std::uint32_t type);
// Follows a path of types: child(child(data, a), b)...
std::optional<Child> path(QByteArrayView data, std::initializer_list<std::uint32_t> types);

// One track of an index, with its samples laid out.
struct Track {
  std::uint32_t handler = 0;  // 'vide', 'soun', ...
  std::uint32_t timescale = 0;
  std::uint32_t codec = 0;    // the sample entry's type: 'avc1', 'hvc1', 'mp4a'...
  QByteArray sampleEntry;     // the whole first sample entry box, as it is
  std::uint16_t width = 0, height = 0;
  std::vector<std::uint32_t> sizes;
  std::vector<std::uint64_t> offsets;
  std::vector<std::uint32_t> deltas;
  bool hasCompositionOffsets = false;
  bool hasSyncTable = false;
  std::uint32_t commonDelta() const;  // the most frequent sample duration
  std::uint32_t largestSample() const;
};

// The tracks of a `moov` payload. Sample tables that contradict each other
// (counts, chunk runs) are an error: `error` says what.
struct Index {
  std::vector<Track> tracks;
  const Track* firstOf(std::uint32_t handler) const;
};
std::optional<Index> parseIndex(QByteArrayView moovPayload, QString* error);

// Builds boxes in memory: `begin` opens one, `end` writes its size.
class BoxWriter {
 public:
  void begin(std::uint32_t type);
  void beginFull(std::uint32_t type, std::uint8_t version, std::uint32_t flags);
  void end();
  void u8(std::uint8_t v) { data_.append(char(v)); }
  void u16(std::uint16_t v);
  void u32(std::uint32_t v);
  void u64(std::uint64_t v);
  void bytes(QByteArrayView v) { data_.append(v); }
  void zeros(int count) { data_.append(count, '\0'); }
  const QByteArray& data() const { return data_; }

 private:
  QByteArray data_;
  std::vector<qsizetype> open_;
};

}  // namespace dashcard::mp4
