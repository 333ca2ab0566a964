#include "cli/cli_support.h"
#include "cli/commands.h"
#include "core/common/version.h"

#include <QCoreApplication>
#include <QStringDecoder>
#ifdef DASHCARD_CLI_MEDIA
#include <QGuiApplication>
#endif

#include <array>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

using dashcard::cli::Command;

// dashcard-cli itself loads only Qt Core and the libraries of its own
// commands, so that a scan starts at once; the commands that decode video,
// draw or write images run in dashcard-cli-media, the same program with
// every command, which dashcard-cli hands them to.
#ifdef DASHCARD_CLI_MEDIA
#define DASHCARD_MEDIA_COMMAND(run) (run)
#else
#define DASHCARD_MEDIA_COMMAND(run) nullptr
#endif

// Keep in the order `--help` should list them.
const std::array kCommands = {
    Command{"scan", "List the recordings and pictures of a card.", &dashcard::cli::runScanCommand, false},
    Command{"thumbnails", "Read every recording's telemetry and make its thumbnail.",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runThumbnailsCommand), true},
    Command{"cache-clean", "Trim the thumbnail cache as the viewer does at exit.", &dashcard::cli::runCacheCleanCommand,
            false},
    Command{"telemetry", "Read one telemetry file and print what it holds",
            &dashcard::cli::runTelemetryCommand, false},
    Command{"export-kml", "Write the routes and events of a card as KML or KMZ.",
            &dashcard::cli::runExportKmlCommand, false},
    Command{"export-video", "Write one video of a span across clips (front, rear or side by side).",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runExportVideoCommand), false},
    Command{"report", "Write the incident report of a span as PDF (map, curves, frames, SHA-256).",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runReportCommand), true},
    Command{"export-gpx", "Write the GPS track of a card or a span as GPX.",
            &dashcard::cli::runExportGpxCommand, false},
    Command{"check", "List the damaged videos of a card (empty, no index, cut short, unreadable).",
            &dashcard::cli::runCheckCommand, false},
    Command{"repair", "Rebuild a video cut by a power loss into a playable copy.",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runRepairCommand), false},
    Command{"trips", "Group a card's recordings into drives with distance, speeds, events and places.",
            &dashcard::cli::runTripsCommand, false},
    Command{"events", "List the harsh braking, acceleration and cornering of a card.",
            &dashcard::cli::runEventsCommand, false},
    Command{"backup", "Copy recordings of a card into a new folder.", &dashcard::cli::runBackupCommand, false},
    Command{"verify", "Check a backup against its SHA256SUMS.", &dashcard::cli::runVerifyCommand, false},
    Command{"capture", "Save the exact video frame at a time (JPEG with GPS, or PNG).",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runCaptureCommand), false},
    Command{"settings", "Show or change the camera settings file of a card.", &dashcard::cli::runSettingsCommand,
            false},
    Command{"demo-card", "Write a sample card (synthetic road videos, simulated drive).",
            DASHCARD_MEDIA_COMMAND(&dashcard::cli::runDemoCardCommand), false},
};

void printUsage() {
  QString text = QStringLiteral(
      "Usage: dashcard-cli <command> [arguments]\n\n"
      "Works on the memory card of a vehicle camera with the same code as the viewer.\n\n"
      "Commands:\n");
  for (const Command& command : kCommands) {
    text +=
        QStringLiteral("  %1%2\n").arg(QString::fromLatin1(command.name), -16).arg(QString::fromUtf8(command.summary));
  }
  text += QStringLiteral(
      "\nRun 'dashcard-cli <command> --help' for the arguments of a command.\n"
      "Exit codes: 0 success, 1 the work failed, 2 wrong usage or missing input.\n");
  dashcard::cli::printOut(text);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Qt would turn bytes that are not UTF-8 into U+FFFD, and a file would be
  // read or written under another name: such a name is refused instead.
  for (int i = 1; i < argc; ++i) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(argv[i]));
    if (decoder.hasError()) {
      std::fprintf(stderr,
                   "dashcard-cli: argument %d ('%s') is not UTF-8 text; Dashcard would not find that name "
                   "again. Rename the file or folder.\n",
                   i, QString(text).toUtf8().constData());
      return dashcard::cli::kExitUsage;
    }
  }
  const QString commandName = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const Command* command = nullptr;
  for (const Command& candidate : kCommands) {
    if (commandName == QLatin1String(candidate.name)) {
      command = &candidate;
    }
  }
#ifndef DASHCARD_CLI_MEDIA
  if (command != nullptr && command->run == nullptr) {
    dashcard::cli::runInMediaHelper(argv);
    std::fprintf(stderr, "dashcard-cli: cannot start dashcard-cli-media for '%s' (%s); reinstall Dashcard.\n", argv[1],
                 std::strerror(errno));
    return dashcard::cli::kExitFailed;
  }
#endif

  std::unique_ptr<QCoreApplication> app;
#ifdef DASHCARD_CLI_MEDIA
  if (command != nullptr && command->needsGui) {
    // Drawing needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
#endif
  if (app == nullptr) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QString::fromLatin1(dashcard::kApplicationName).toLower());
  QCoreApplication::setOrganizationName(QString::fromLatin1(dashcard::kOrganizationName).toLower());
  QCoreApplication::setApplicationVersion(QString::fromLatin1(dashcard::kVersion));
  // Number formatting of C libraries (libmpv among them) must not follow the user's locale.
  std::setlocale(LC_NUMERIC, "C");

  if (commandName == QLatin1String("--version") || commandName == QLatin1String("version")) {
    dashcard::cli::printOut(QStringLiteral("dashcard-cli %1").arg(QString::fromLatin1(dashcard::kVersion)));
    return dashcard::cli::kExitOk;
  }
  if (commandName.isEmpty() || commandName == QLatin1String("--help") || commandName == QLatin1String("-h") ||
      commandName == QLatin1String("help")) {
    printUsage();
    return commandName.isEmpty() ? dashcard::cli::kExitUsage : dashcard::cli::kExitOk;
  }
  if (command == nullptr) {
    dashcard::cli::printError(
        QStringLiteral("dashcard-cli: unknown command '%1'. Try 'dashcard-cli --help'.").arg(commandName));
    return dashcard::cli::kExitUsage;
  }
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  arguments[0] = QStringLiteral("dashcard-cli ") + commandName;
  try {
    return command->run(arguments);
  } catch (const dashcard::cli::CommandExit& exit) {
    if (!exit.message.isEmpty()) {
      dashcard::cli::printError(exit.message);
    }
    return exit.code;
  }
}
