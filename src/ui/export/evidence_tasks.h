#pragma once

#include "core/export/backup_verifier.h"
#include "core/playback/task_runner.h"
#include "core/report/incident_report.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace dashcard {

class RecordingListPane;

// The window's evidence commands, jobs of the window's task runner on a
// list's task sheet: the check of a backup against its SHA256SUMS and the
// incident report of a span.
class EvidenceTasks : public QObject {
  Q_OBJECT
 public:
  EvidenceTasks(QWidget* window, TaskRunner* runner);

  static TaskRunner::Job verifyJob(const QString& folder);
  static TaskRunner::Job reportJob(IncidentReportRequest request);

  // File › Verify Backup…: asks for the folder, then checks it.
  void chooseAndVerifyBackup(RecordingListPane* pane);
  void verifyBackup(const QString& folder, RecordingListPane* pane);
  // File › Export Incident Report…: asks for the PDF file, then writes the
  // report of [from, to] from the catalogue `recordings`, with the window's
  // repaired copies in place of their damaged videos.
  void chooseAndExportReport(const DCFInfoList& recordings, const QDateTime& from, const QDateTime& to,
                             RecordingListPane* pane, const QHash<QString, QString>& repairedCopies = {});
  void exportReport(IncidentReportRequest request, RecordingListPane* pane);
  // The reports' times are corrected by this (the window shows corrected times).
  void setClockCorrection(double seconds) { clockCorrection_ = seconds; }

  // What the sheet says about a finished check: all good, or the findings
  // (the first few named, the count of the rest).
  static QString findingsText(const VerifyReport& report);

 private:
  QPointer<QWidget> window_;
  QPointer<TaskRunner> runner_;
  double clockCorrection_ = 0.0;
};

}  // namespace dashcard
