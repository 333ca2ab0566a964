#pragma once

#include <QStringList>

namespace dashcard::cli {

// One sub-command of dashcard-cli. `run` gets the arguments after the command
// name (argument 0 is "dashcard-cli <name>") and returns the exit code.
struct Command {
  const char* name;
  const char* summary;
  int (*run)(const QStringList& arguments);
  // Commands that draw text or images need a QGuiApplication (offscreen).
  bool needsGui;
};

// Each command lives in its own cmd_<name>.cpp; list it in main.cpp too.
extern const Command kDemoCardCommand;
extern const Command kTelemetryCommand;
extern const Command kScanCommand;
extern const Command kThumbnailsCommand;
extern const Command kCacheCleanCommand;
extern const Command kExportKmlCommand;
extern const Command kBackupCommand;
extern const Command kSettingsCommand;
extern const Command kCaptureCommand;

}  // namespace dashcard::cli
