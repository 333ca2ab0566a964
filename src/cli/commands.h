#pragma once

#include <QStringList>

namespace dashcard::cli {

// One sub-command of dashcard-cli. `run` gets the arguments after the command
// name (argument 0 is "dashcard-cli <name>") and returns the exit code.
struct Command {
  const char* name;
  const char* summary;
  // Null in dashcard-cli for the commands that run in dashcard-cli-media.
  int (*run)(const QStringList& arguments);
  // Commands that draw text or images need a QGuiApplication (offscreen).
  bool needsGui;
};

// Each command lives in its own cmd_<name>.cpp; list it in main.cpp too. A
// command may end early by throwing CommandExit (cli_support.h).
int runDemoCardCommand(const QStringList& arguments);
int runTelemetryCommand(const QStringList& arguments);
int runScanCommand(const QStringList& arguments);
int runThumbnailsCommand(const QStringList& arguments);
int runCacheCleanCommand(const QStringList& arguments);
int runExportKmlCommand(const QStringList& arguments);
int runBackupCommand(const QStringList& arguments);
int runSettingsCommand(const QStringList& arguments);
int runCaptureCommand(const QStringList& arguments);
int runExportVideoCommand(const QStringList& arguments);
int runExportGpxCommand(const QStringList& arguments);
int runCheckCommand(const QStringList& arguments);
int runRepairCommand(const QStringList& arguments);
int runVerifyCommand(const QStringList& arguments);
int runReportCommand(const QStringList& arguments);
int runTripsCommand(const QStringList& arguments);
int runEventsCommand(const QStringList& arguments);

}  // namespace dashcard::cli
