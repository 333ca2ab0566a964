#include "cli/card_trips.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/common/const_class.h"
#include "core/common/parallel_chunks.h"
#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

namespace dashcard::cli {
namespace {

const char* kindOf(const DCFInfo& info) {
  const QString event = info.eventName();
  if (event == ConstClass::DCF_EVENTNAME_EVENT) {
    return "event";
  }
  if (event == ConstClass::DCF_EVENTNAME_MANUAL) {
    return "manual";
  }
  if (event == ConstClass::DCF_EVENTNAME_PARKING) {
    return "parking";
  }
  return "normal";
}

// Appends `text` in UTF-8; plain ASCII (a camera's names) is copied as it is.
void appendUtf8(QByteArray& out, QStringView text) {
  const qsizetype start = out.size();
  out.resize(start + text.size());
  char* const data = out.data() + start;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (unit >= 0x80) {
      out.truncate(start);
      out += text.toUtf8();
      return;
    }
    data[i] = static_cast<char>(unit);
  }
}

// One listing line per recording, appended to `out` in UTF-8.
void appendRecordingLine(QByteArray& out, const QString& rootPrefix, const DCFInfo& info,
                         PathExistenceCache& existence) {
  const QString telemetry = info.infoFilePath();
  const bool telemetryExists = existence.exists(telemetry);
  // The scan's own look at the video settles the lock on most file
  // systems; a second look per clip would cost as much as the scan.
  const std::optional<bool> scanned = info.scannedProtection();
  const bool locked = scanned ? *scanned : info.isProtected();
  // Appended piece by piece: ten thousand lines of placeholder substitution
  // cost more than the scan that found them.
  out += "  ";
  appendUtf8(out, info.deltaPath());
  out += "  ";
  out += kindOf(info);
  out += "  ";
  appendIsoDate(out, info.startDate());
  // Whether there is a rear video, without spelling its path.
  out += info.state()->rear == DCFInfo::Rear::None ? "  rear=no" : "  rear=yes";
  out += "  telemetry=";
  // A path under the card as the card shows it, others as they are.
  if (!telemetryExists) {
    out += "none";
  } else if (telemetry.startsWith(rootPrefix)) {
    appendUtf8(out, QStringView(telemetry).sliced(rootPrefix.size()));
  } else {
    appendUtf8(out, telemetry);
  }
  out += "  size=";
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, info.fileSize());
  out.append(digits, written.ptr - digits);
  out += locked ? "  protected=yes\n" : "  protected=no\n";
}

// The lines of `infos` in UTF-8, made on every core in pieces of a few
// hundred lines (the card's attributes are read while making them).
std::vector<QByteArray> listingLines(const QString& root, const DCFInfoList& infos, PathExistenceCache& existence) {
  constexpr size_t kLinesPerPiece = 256;
  const QString rootPrefix = root.endsWith(u'/') ? root : root + u'/';
  const auto count = static_cast<size_t>(infos.size());
  std::vector<QByteArray> pieces((count + kLinesPerPiece - 1) / kLinesPerPiece);
  forEachInParallel(pieces.size(), 1, [&](size_t piece) {
    QByteArray& out = pieces[piece];
    out.reserve(static_cast<qsizetype>(kLinesPerPiece) * 160);
    for (size_t i = piece * kLinesPerPiece; i < std::min(count, (piece + 1) * kLinesPerPiece); ++i) {
      appendRecordingLine(out, rootPrefix, *infos.at(static_cast<qsizetype>(i)), existence);
    }
  });
  return pieces;
}

void writeOut(const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout); }

QJsonObject recordingJson(const DCFInfo& info) {
  QJsonArray pictures;
  for (const PictureInfoPtr& picture : info.pictures()) {
    pictures.append(picture->deltaPath());
  }
  return QJsonObject{
      {QStringLiteral("deltaPath"), info.deltaPath()},
      {QStringLiteral("filePath"), info.filePath()},
      {QStringLiteral("secondaryFilePath"), info.secondaryFilePath()},
      {QStringLiteral("infoFilePath"), info.infoFilePath()},
      {QStringLiteral("folderName"), info.folderName()},
      {QStringLiteral("eventName"), info.eventName()},
      {QStringLiteral("isEventDCF"), info.isEventDCF()},
      {QStringLiteral("startDate"), isoDate(info.startDate())},
      {QStringLiteral("fileDate"), isoDate(info.fileDate())},
      {QStringLiteral("fileSize"), jsonNumber(static_cast<double>(info.fileSize()))},
      {QStringLiteral("dcfFileNumber"), jsonNumber(static_cast<double>(info.dcfFileNumber()))},
      {QStringLiteral("dcfFolderNumber"), jsonNumber(static_cast<double>(info.dcfFolderNumber()))},
      {QStringLiteral("dcfName"), info.dcfName()},
      {QStringLiteral("dcfDateString"), info.dcfDateString()},
      {QStringLiteral("isProtected"), info.isProtected()},
      {QStringLiteral("pictures"), pictures},
  };
}

QJsonObject pictureJson(const PictureInfo& picture) {
  const DCFInfoPtr parent = picture.parentDCFInfo();
  const CustomLocation& location = picture.location();
  return QJsonObject{
      {QStringLiteral("deltaPath"), picture.deltaPath()},
      {QStringLiteral("filePath"), picture.filePath()},
      {QStringLiteral("picFileNumber"), jsonNumber(static_cast<double>(picture.picFileNumber()))},
      {QStringLiteral("fileDate"), isoDate(picture.fileDate())},
      {QStringLiteral("fileSize"), jsonNumber(static_cast<double>(picture.fileSize()))},
      {QStringLiteral("pictureDateString"), picture.pictureDateString()},
      {QStringLiteral("latitude"), jsonNumber(location.latitude)},
      {QStringLiteral("longitude"), jsonNumber(location.longitude)},
      {QStringLiteral("parentDCFInfo"), parent ? QJsonValue(parent->deltaPath()) : QJsonValue(QJsonValue::Null)},
      {QStringLiteral("isProtected"), picture.isProtected()},
  };
}

}  // namespace

int runScanCommand(const QStringList& arguments) {
  CommandArguments command(QStringLiteral("scan"), QStringLiteral("CARD [--json]"),
                           QStringLiteral("Scans a card the way the viewer does and prints its catalogue: the normal\n"
                                          "recordings, the event recordings, then the pictures."));
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the catalogue as one JSON object."));
  command.parser.addOption(json);
  command.parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  const QString root = absolutePath(command.parse(arguments, 1, 1, QStringLiteral("needs exactly one CARD")).at(0));
  command.failWhenUnreadable(root);
  if (!CardScanner::pathIsDirectory(root)) {
    command.refuse(QStringLiteral("%1 is not a folder.").arg(root));
  }
  command.failWhenCardUnreadable(root);

  const bool accepted = CardScanner::mediaIsRynd(root);
  CardScanner scanner;
  CardScanner::Result result;
  if (accepted) {
    result = scanner.scan(root);
  }
  DCFInfoList normal;
  DCFInfoList event;
  for (const DCFInfoPtr& info : result.recordings) {
    (info->isEventDCF() ? event : normal).append(info);
  }

  if (command.parser.isSet(json)) {
    QJsonArray tree;
    QJsonArray normalPaths;
    QJsonArray eventPaths;
    QJsonArray pictures;
    for (const DCFInfoPtr& info : result.recordings) {
      tree.append(recordingJson(*info));
    }
    for (const DCFInfoPtr& info : normal) {
      normalPaths.append(info->deltaPath());
    }
    for (const DCFInfoPtr& info : event) {
      eventPaths.append(info->deltaPath());
    }
    for (const PictureInfoPtr& picture : result.pictures) {
      pictures.append(pictureJson(*picture));
    }
    // The camera clock against GPS needs every recording's telemetry: only here.
    const std::optional<double> offset =
        accepted ? TripBuilder::clockOffsetSeconds(result.recordings, TripBuilder::readTelemetry(result.recordings),
                                                   cameraZoneOfCard(root))
                 : std::nullopt;
    printJson(QJsonObject{{QStringLiteral("rootPath"), root},
                          {QStringLiteral("clockOffsetSeconds"),
                           offset ? jsonNumber(*offset) : QJsonValue(QJsonValue::Null)},
                          {QStringLiteral("accepted"), accepted},
                          {QStringLiteral("mediaTree"), tree},
                          {QStringLiteral("mediaTreeNormal"), normalPaths},
                          {QStringLiteral("mediaTreeEvent"), eventPaths},
                          {QStringLiteral("pictureTree"), pictures}});
  } else if (accepted) {
    // One write for the whole listing: a card can hold ten thousand clips.
    PathExistenceCache fallback;
    const std::shared_ptr<PathExistenceCache> listings = scanner.listings();
    PathExistenceCache& existence = listings ? *listings : fallback;
    writeOut(QStringLiteral("Card %1: %2 recordings (%3 normal, %4 event), %5 pictures\nNormal recordings:\n")
                 .arg(root)
                 .arg(result.recordings.size())
                 .arg(normal.size())
                 .arg(event.size())
                 .arg(result.pictures.size())
                 .toUtf8());
    for (const QByteArray& piece : listingLines(root, normal, existence)) {
      writeOut(piece);
    }
    writeOut("Event recordings:\n");
    for (const QByteArray& piece : listingLines(root, event, existence)) {
      writeOut(piece);
    }
    QString pictures = QStringLiteral("Pictures:\n");
    for (const PictureInfoPtr& picture : result.pictures) {
      const DCFInfoPtr parent = picture->parentDCFInfo();
      pictures += QStringLiteral("  %1  %2  recording=%3\n")
                      .arg(picture->deltaPath(), isoDate(picture->fileDate()),
                           parent ? parent->deltaPath() : QStringLiteral("none"));
    }
    printOut(pictures);
  }
  if (!accepted) {
    command.fail(QStringLiteral("%1 is not a camera card (no NORMAL, EVENT, MANUAL, PARKING, PICTURE or NMEA folder).").arg(root));
  }
  // The catalogue of a large card takes longer to take apart than to
  // print; nothing is left to write, and the system frees it all anyway.
  exitNow(kExitOk);
}

}  // namespace dashcard::cli
