#pragma once

#include "core/export/backup_verifier.h"
#include "core/report/incident_report.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace dashcard {

class RecordingListPane;

// The window's evidence commands, each on a list's task sheet: the check of
// a backup against its SHA256SUMS and the incident report of a span. The
// sheet's button cancels a running task and closes a finished one.
class EvidenceTasks : public QObject {
  Q_OBJECT
 public:
  explicit EvidenceTasks(QWidget* window);

  // File › Verify Backup…: asks for the folder, then checks it.
  void chooseAndVerifyBackup(RecordingListPane* pane);
  void verifyBackup(const QString& folder, RecordingListPane* pane);
  // File › Export Incident Report…: asks for the PDF file, then writes the
  // report of [from, to] from the catalogue `recordings`.
  void chooseAndExportReport(const DCFInfoList& recordings, const QDateTime& from, const QDateTime& to,
                             RecordingListPane* pane);
  void exportReport(IncidentReportRequest request, RecordingListPane* pane);

  // What the sheet says about a finished check: all good, or the findings
  // (the first few named, the count of the rest).
  static QString findingsText(const VerifyReport& report);

 private:
  QPointer<QWidget> window_;
  std::shared_ptr<BackupVerifier> verifier_;
  std::shared_ptr<IncidentReporter> reporter_;
};

}  // namespace dashcard
