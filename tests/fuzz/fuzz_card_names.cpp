// Fuzzes the card's name rules: the input is lines of relative paths as a
// card walk would list them (first line the video of interest, all lines the
// files of the card). They go through the scan's choice of recordings, the
// recording model built from a name (numbers, dates, folder, event kind) and
// the companion-file lookups, answered from in-memory folder listings.
//
// With DASHCARD_FUZZ_WRITE_SEEDS=<dir> it writes real-looking card listings
// into <dir> and exits.

#include "core/catalogue/card_scanner.h"
#include "core/catalogue/dcf_info.h"
#include "core/common/const_class.h"
#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"
#include "fuzz_support.h"

#include <QHash>

#include <algorithm>
#include <cstdint>

namespace {

using namespace dashcard;
using fuzz::check;

// Never on the disk: every lookup is answered by the listings.
const QString kRoot = QStringLiteral("/nonexistent-dashcard-fuzz/card");

void writeSeeds(const QString& dir) {
  const QString video = QStringLiteral("F_20240101120000_20240101120500_%1.MP4");
  const QStringList cards[] = {
      {QStringLiteral("NORMAL/") + video.arg(u'N'), QStringLiteral("NORMAL/R_20240101120000_20240101120500_N.MP4"),
       QStringLiteral("NMEA/NORMAL/N_20240101120000_20240101120500_N.NMEA")},
      {QStringLiteral("EVENT/") + video.arg(u'E'), QStringLiteral("EVENT/N_20240101120000_20240101120500_E.nmea"),
       QStringLiteral("EVENT/r_20240101120000_20240101120500_E.mp4")},
      {QStringLiteral("MANUAL/F_20241231235959_20250101000010_M.mp4"),
       QStringLiteral("MANUAL/F_20241231235959_20250101000010_M.CED"), QStringLiteral("PICTURE/241231235959.JPG")},
      {QStringLiteral("PARKING/F_20240229000000_20240229000100_N.MP4"), QStringLiteral("PARKING/notes.txt"),
       QStringLiteral("DCIM/100/F_20240101120000_20240101120500_N.MP4")},
      {QStringLiteral("123/F_1.MP4"), QStringLiteral("NORMAL/F_20240101120000_2024010112050x_N.MP4")},
  };
  int n = 0;
  for (const QStringList& card : cards) {
    QFile file(QDir(dir).filePath(QStringLiteral("card-%1.txt").arg(++n)));
    if (file.open(QIODevice::WriteOnly)) {
      file.write(card.join(u'\n').toUtf8());
    }
  }
}

bool asciiDigits(QStringView text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A name the camera writes: plain ASCII, whatever the input.
bool cameraName(QStringView name) {
  const bool matches = ConstClass::fullMatchResultWithTarget(name.toString(), ConstClass::REG_RYND_FILE_VIDEO);
  check(!matches || std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; }));
  return matches;
}

// A relative path as a walk lists it: no empty, "." or ".." parts.
QString walkedPath(const QString& line) {
  QStringList parts = line.split(u'/', Qt::SkipEmptyParts);
  parts.removeIf([](const QString& part) { return part == u"." || part == u".." || part.contains(QChar(0)); });
  return parts.join(u'/');
}

// The recording model of one name: numbers only from digits, the folder
// and event kind from the folder, companions beside it.
void checkRecording(const QString& deltaPath, PathExistenceCache* listings) {
  const QString filePath = path_text::appendingPathComponent(kRoot, deltaPath);
  DCFInfo info(kRoot, deltaPath, DCFInfo::factsOf(filePath, listings));
  const QStringView name = path_text::lastPathComponentView(deltaPath);
  const QStringView base = path_text::deletingPathExtensionView(name);
  if (info.dcfFileNumber() != 10000) {
    check(base.size() >= 31 && asciiDigits(base.sliced(17, 14)) &&
          QString::number(info.dcfFileNumber()).rightJustified(14, u'0') == base.sliced(17, 14));
  }
  if (cameraName(name)) {
    check(info.dcfFileNumber() == base.sliced(17, 14).toLongLong());
    check(info.startDate() == DCFInfo::startDateWithFilePath(deltaPath));
  }
  check(info.startDate().isValid());
  const QStringView folder = path_text::deletingLastPathComponentView(deltaPath);
  check(info.folderName() == path_text::lastPathComponentView(folder.isEmpty() ? QStringView(kRoot) : folder));
  check(info.isEventDCF() == !ConstClass::eventLabelKeyForFolderName(info.folderName()).isEmpty());
  // The rear video differs from the front one in the name's first letter
  // (and perhaps the extension's case).
  const QString& rear = info.secondaryFilePath();
  if (!rear.isEmpty()) {
    const qsizetype at = filePath.size() - name.size();
    const qsizetype stem = at + base.size();
    check(rear.size() == filePath.size() && listings->exists(rear));
    check(rear[at] == u'R' && rear.left(at) == filePath.left(at) &&
          rear.mid(at + 1, stem - at - 1) == filePath.mid(at + 1, stem - at - 1));
  }
  check(!info.infoFilePath().isEmpty());
  check(!info.infoFilePathWithRootPath(kRoot).isEmpty());
  (void)info.dcfName();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsWhenAsked(writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size > 4096) {
    return 0;
  }
  const QString text =
      QFile::decodeName(QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size)));
  QStringList lines;
  for (const QString& line : text.split(u'\n').mid(0, 64)) {
    lines.append(walkedPath(line));
  }
  // The folder listings a walk would give for these files; case folding by the first byte.
  const bool foldsCase = size > 0 && (bytes[0] & 1) != 0;
  PathExistenceCache listings([foldsCase](const QString&) { return foldsCase; });
  QHash<QString, PathExistenceCache::Listing> folders;
  for (const QString& line : lines) {
    const QString path = path_text::appendingPathComponent(kRoot, line);
    folders[path_text::deletingLastPathComponent(path)].add(path_text::lastPathComponentView(path));
  }
  for (auto it = folders.begin(); it != folders.end(); ++it) {
    listings.addListing(it.key(), std::move(it.value()));
  }
  checkRecording(lines.first(), &listings);

  // The scan's choice: a recording folder at the top, a camera name, sorted by name.
  CardScanner scanner;
  const DCFInfoList chosen =
      scanner.loadMovieAtRootPath(kRoot, lines, ConstClass::REG_TX900_FOLDER, ConstClass::REG_RYND_FILE_VIDEO, {});
  qsizetype expected = 0;
  for (const QString& line : lines) {
    expected +=
        ConstClass::fullMatchResultWithTarget(path_text::deletingLastPathComponent(line),
                                              ConstClass::REG_TX900_FOLDER) &&
        ConstClass::fullMatchResultWithTarget(path_text::lastPathComponent(line), ConstClass::REG_RYND_FILE_VIDEO);
  }
  check(chosen.size() == expected);
  for (qsizetype i = 0; i < chosen.size(); ++i) {
    const QStringView name = path_text::lastPathComponentView(chosen[i]->deltaPath());
    check(lines.contains(chosen[i]->deltaPath()) && (!cameraName(name) || chosen[i]->dcfFileNumber() != 10000));
    check(i == 0 || path_text::lastPathComponentView(chosen[i - 1]->deltaPath()) <=
                        path_text::lastPathComponentView(chosen[i]->deltaPath()));
  }
  return 0;
}
