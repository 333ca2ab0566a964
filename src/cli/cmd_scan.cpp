#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/catalogue/card_scanner.h"
#include "core/common/const_class.h"
#include "core/common/path_existence_cache.h"
#include "core/common/path_text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QtConcurrent/QtConcurrentMap>

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

QString recordingLine(const QString& root, const DCFInfo& info, PathExistenceCache& existence) {
  const QString telemetry = info.infoFilePath();
  const bool telemetryExists = existence.exists(telemetry);
  // Appended piece by piece: ten thousand lines of placeholder substitution
  // cost more than the scan that found them.
  QString line;
  line.reserve(info.deltaPath().size() + (telemetryExists ? telemetry.size() : 4) + 112);
  line += u"  ";
  line += info.deltaPath();
  line += u"  ";
  line += kindOf(info);
  line += u"  ";
  line += isoDate(info.startDate());
  line += info.secondaryFilePath().isEmpty() ? u"  rear=no" : u"  rear=yes";
  line += u"  telemetry=";
  line += telemetryExists ? shownPath(root, telemetry) : QStringLiteral("none");
  line += u"  size=";
  line += QString::number(info.fileSize());
  line += info.isProtected() ? u"  protected=yes\n" : u"  protected=no\n";
  return line;
}

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
    QString text = QStringLiteral("Card %1: %2 recordings (%3 normal, %4 event), %5 pictures\n")
                       .arg(root)
                       .arg(result.recordings.size())
                       .arg(normal.size())
                       .arg(event.size())
                       .arg(result.pictures.size());
    // Each line reads the file's attributes: made on every core.
    const auto lines = [&](const DCFInfoList& infos) {
      const QStringList made = QtConcurrent::blockingMapped<QStringList>(
          infos, [&](const DCFInfoPtr& info) { return recordingLine(root, *info, existence); });
      return made.join(QString());
    };
    text += QStringLiteral("Normal recordings:\n");
    text += lines(normal);
    text += QStringLiteral("Event recordings:\n");
    text += lines(event);
    text += QStringLiteral("Pictures:\n");
    for (const PictureInfoPtr& picture : result.pictures) {
      const DCFInfoPtr parent = picture->parentDCFInfo();
      text += QStringLiteral("  %1  %2  recording=%3\n")
                  .arg(picture->deltaPath(), isoDate(picture->fileDate()),
                       parent ? parent->deltaPath() : QStringLiteral("none"));
    }
    printOut(text);
  }
  if (!accepted) {
    printError(QStringLiteral("scan: %1 is not a camera card (no NORMAL, EVENT, MANUAL or NMEA folder).").arg(root));
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

const Command kScanCommand = {"scan", "List the recordings and pictures of a card.", runScan, false};

}  // namespace dashcard::cli
