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
#include <cstdio>
#include <optional>
#include <vector>

namespace dashcard::cli {
namespace {

QString kindOf(const DCFInfo& info) {
  const QString event = info.eventName();
  if (event == ConstClass::DCF_EVENTNAME_EVENT) {
    return QStringLiteral("event");
  }
  if (event == ConstClass::DCF_EVENTNAME_MANUAL) {
    return QStringLiteral("manual");
  }
  if (event == ConstClass::DCF_EVENTNAME_PARKING) {
    return QStringLiteral("parking");
  }
  return QStringLiteral("normal");
}

// A path under the card as the card shows it, others as they are.
QString shownPath(const QString& root, const QString& path) {
  const QString prefix = root.endsWith(u'/') ? root : root + u'/';
  return path.startsWith(prefix) ? path.mid(prefix.size()) : path;
}

// One listing line per recording, appended to `text`.
void appendRecordingLine(QString& text, const QString& root, const DCFInfo& info, PathExistenceCache& existence) {
  const QString telemetry = info.infoFilePath();
  const bool telemetryExists = existence.exists(telemetry);
  // The scan's own look at the video settles the lock on most file
  // systems; a second look per clip would cost as much as the scan.
  const std::optional<bool> scanned = info.scannedProtection();
  const bool locked = scanned ? *scanned : info.isProtected();
  // Appended piece by piece: ten thousand lines of placeholder substitution
  // cost more than the scan that found them.
  text += u"  ";
  text += info.deltaPath();
  text += u"  ";
  text += kindOf(info);
  text += u"  ";
  text += isoDate(info.startDate());
  text += info.secondaryFilePath().isEmpty() ? u"  rear=no" : u"  rear=yes";
  text += u"  telemetry=";
  text += telemetryExists ? shownPath(root, telemetry) : QStringLiteral("none");
  text += u"  size=";
  text += QString::number(info.fileSize());
  text += locked ? u"  protected=yes\n" : u"  protected=no\n";
}

// The lines of `infos` in UTF-8, made on every core in pieces of a few
// hundred lines (the card's attributes are read while making them).
std::vector<QByteArray> listingLines(const QString& root, const DCFInfoList& infos, PathExistenceCache& existence) {
  constexpr size_t kLinesPerPiece = 256;
  const auto count = static_cast<size_t>(infos.size());
  std::vector<QByteArray> pieces((count + kLinesPerPiece - 1) / kLinesPerPiece);
  forEachInParallel(pieces.size(), 1, [&](size_t piece) {
    QString text;
    text.reserve(static_cast<qsizetype>(kLinesPerPiece) * 160);
    for (size_t i = piece * kLinesPerPiece; i < std::min(count, (piece + 1) * kLinesPerPiece); ++i) {
      appendRecordingLine(text, root, *infos.at(static_cast<qsizetype>(i)), existence);
    }
    pieces[piece] = text.toUtf8();
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

int runScan(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the catalogue as one JSON object."));
  parser.addOption(json);
  parser.addPositionalArgument(QStringLiteral("CARD"), QStringLiteral("Card root folder."));
  int exitCode = kExitOk;
  if (!parseArguments(parser, arguments, QStringLiteral("dashcard-cli scan CARD [--json]"),
                      QStringLiteral("Scans a card the way the viewer does and prints its catalogue: the normal\n"
                                     "recordings, the event recordings, then the pictures."),
                      &exitCode)) {
    return exitCode;
  }
  if (parser.positionalArguments().size() != 1) {
    printError(QStringLiteral("scan needs exactly one CARD. Try 'dashcard-cli scan --help'."));
    return kExitUsage;
  }
  const QString root = QDir::cleanPath(QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
  if (!CardScanner::pathIsDirectory(root)) {
    printError(QStringLiteral("scan: %1 is not a folder.").arg(root));
    return kExitUsage;
  }

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

  if (parser.isSet(json)) {
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
    printJson(QJsonObject{{QStringLiteral("rootPath"), root},
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
    printError(QStringLiteral("scan: %1 is not a camera card (no NORMAL, EVENT, MANUAL or NMEA folder).").arg(root));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int runScanCommand(const QStringList& arguments) { return runScan(arguments); }

}  // namespace dashcard::cli
