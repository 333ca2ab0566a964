#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/heap_tuning.h"
#include "core/common/version.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <array>
#include <clocale>
#include <memory>

namespace {

using dashcard::cli::Command;

// Keep in the order `--help` should list them.
const std::array kCommands = {
    &dashcard::cli::kScanCommand,
    &dashcard::cli::kThumbnailsCommand,
    &dashcard::cli::kCacheCleanCommand,
    &dashcard::cli::kTelemetryCommand,
    &dashcard::cli::kExportKmlCommand,
    &dashcard::cli::kBackupCommand,
    &dashcard::cli::kCaptureCommand,
    &dashcard::cli::kSettingsCommand,
    &dashcard::cli::kDemoCardCommand,
};

void printUsage() {
  QString text = QStringLiteral(
      "Usage: dashcard-cli <command> [arguments]\n\n"
      "Works on the memory card of a vehicle camera with the same code as the viewer.\n\n"
      "Commands:\n");
  for (const Command* command : kCommands) {
    text += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(command->name), -16).arg(QString::fromUtf8(command->summary));
  }
  text += QStringLiteral(
      "\nRun 'dashcard-cli <command> --help' for the arguments of a command.\n"
      "Exit codes: 0 success, 1 the work failed, 2 wrong usage or missing input.\n");
  dashcard::cli::printOut(text);
}

}  // namespace

int main(int argc, char* argv[]) {
  dashcard::cli::tuneHeapForBatchWork();
  const QString commandName = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const Command* command = nullptr;
  for (const Command* candidate : kCommands) {
    if (commandName == QLatin1String(candidate->name)) {
      command = candidate;
    }
  }

  std::unique_ptr<QCoreApplication> app;
  if (command != nullptr && command->needsGui) {
    // Drawing needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
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
    dashcard::cli::printError(QStringLiteral("dashcard-cli: unknown command '%1'. Try 'dashcard-cli --help'.").arg(commandName));
    return dashcard::cli::kExitUsage;
  }
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  arguments[0] = QStringLiteral("dashcard-cli ") + commandName;
  return command->run(arguments);
}
