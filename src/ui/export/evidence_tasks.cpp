#include "ui/export/evidence_tasks.h"

#include "core/common/path_text.h"
#include "core/common/save_folder.h"
#include "core/playback/panes.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace dashcard {
EvidenceTasks::EvidenceTasks(QWidget* window, TaskRunner* runner) : QObject(window), window_(window), runner_(runner) {}

QString EvidenceTasks::findingsText(const VerifyReport& report) {
  if (report.allMatch()) {
    return tr("All %n file(s) match their SHA-256.", nullptr, report.matched);
  }
  constexpr int kShown = 5;
  QStringList lines;
  for (const VerifyFinding& finding : report.findings.mid(0, kShown)) {
    QString kind;
    switch (finding.kind) {
      case VerifyFinding::Kind::Changed: kind = tr("Changed"); break;
      case VerifyFinding::Kind::Missing: kind = tr("Missing"); break;
      case VerifyFinding::Kind::Extra: kind = tr("Not listed"); break;
      case VerifyFinding::Kind::Unreadable: kind = tr("Unreadable"); break;
      case VerifyFinding::Kind::BadLine: kind = tr("Malformed line"); break;
    }
    lines << QStringLiteral("%1: %2").arg(kind, finding.relativePath);
  }
  if (report.findings.size() > kShown) {
    lines << tr("…and %n more", nullptr, static_cast<int>(report.findings.size() - kShown));
  }
  return tr("The backup differs from its SHA256SUMS:") + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
}

void EvidenceTasks::chooseAndVerifyBackup(RecordingListPane* pane) {
  const QString folder = QFileDialog::getExistingDirectory(
      window_, tr("Verify Backup"), QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
  if (!folder.isEmpty()) verifyBackup(folder, pane);
}

TaskRunner::Job EvidenceTasks::verifyJob(const QString& folder) {
  auto verifier = BackupVerifier::create();
  TaskRunner::Job job;
  job.start = [verifier, folder](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    verifier->verifyAsync(folder, progress, [verifier, progress, finish](const std::optional<QString>& error) {
      if (error) {
        finish(tr("The backup could not be checked: %1").arg(*error));
      } else if (!verifier->report().allMatch()) {
        finish(findingsText(verifier->report()));
      } else {
        progress(findingsText(verifier->report()), 1.0F);
        finish(std::nullopt);
      }
    });
  };
  job.cancel = [verifier] { verifier->setCancelFlag(true); };
  job.startText = path_text::lastPathComponent(folder);
  job.failedText = [](const QString& text) { return text; };
  return job;
}

void EvidenceTasks::verifyBackup(const QString& folder, RecordingListPane* pane) {
  if (runner_) runner_->run(pane, verifyJob(folder));
}

void EvidenceTasks::chooseAndExportReport(const DCFInfoList& recordings, const QDateTime& from, const QDateTime& to,
                                          RecordingListPane* pane, const QHash<QString, QString>& repairedCopies) {
  if (recordings.isEmpty() || !from.isValid() || !to.isValid()) return;
  const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                .filePath(tr("Incident %1.pdf").arg(from.toLocalTime().toString(
                                    QStringLiteral("yyyy-MM-dd HH.mm.ss"))));
  const QString target = QFileDialog::getSaveFileName(window_, tr("Export Incident Report"), suggested,
                                                      tr("PDF document (*.pdf)"));
  if (target.isEmpty()) return;
  if (isOutputOnCard(target, recordings.first()->rootPath())) {
    QMessageBox::warning(window_, tr("Export Incident Report"),
                         tr("“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.")
                             .arg(QFileInfo(target).fileName()));
    return;
  }
  IncidentReportRequest request;
  request.recordings = recordings;
  request.from = from;
  request.to = to;
  request.cardRoot = recordings.first()->rootPath();
  request.targetFilePath = target;
  request.repairedCopies = repairedCopies;
  request.clockCorrectionSeconds = clockCorrection_;
  exportReport(std::move(request), pane);
}

TaskRunner::Job EvidenceTasks::reportJob(IncidentReportRequest request) {
  auto reporter = IncidentReporter::create();
  TaskRunner::Job job;
  job.startText = path_text::lastPathComponent(request.targetFilePath);
  job.start = [reporter, request = std::move(request)](TaskRunner::Progress progress, TaskRunner::Finish finish) {
    reporter->reportAsync(request, progress, finish);
  };
  job.cancel = [reporter] { reporter->setCancelFlag(true); };
  job.doneText = tr("Incident report is complete");
  job.doneNote = [reporter] { return reporter->warnings().join(u'\n'); };
  job.failedText = [](const QString& error) { return tr("The report could not be written: %1").arg(error); };
  return job;
}

void EvidenceTasks::exportReport(IncidentReportRequest request, RecordingListPane* pane) {
  if (runner_) runner_->run(pane, reportJob(std::move(request)));
}

}  // namespace dashcard
