#include "ui/export/evidence_tasks.h"

#include "core/common/path_text.h"
#include "core/common/save_folder.h"
#include "core/playback/panes.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace dashcard {
namespace {

// A sheet that is still shown: the close button ends it for good.
struct LiveSheet {
  ProgressSheet* sheet = nullptr;
  bool live = true;
  ProgressSheet* get() const { return live ? sheet : nullptr; }
};

// Presents the sheet and makes its button cancel (`cancel`) and close it.
std::shared_ptr<LiveSheet> presentSheet(RecordingListPane* pane, std::function<void()> cancel) {
  auto state = std::make_shared<LiveSheet>();
  state->sheet = pane != nullptr ? pane->presentProgressSheet() : nullptr;
  if (state->sheet != nullptr) {
    state->sheet->setCloseClickBlock([state, cancel = std::move(cancel)](ProgressSheet* closed) {
      state->live = false;
      cancel();  // nothing for a task that has ended
      closed->dismiss();
    });
  }
  return state;
}

void finishSheet(const std::shared_ptr<LiveSheet>& state, bool succeeded, const QString& text) {
  if (ProgressSheet* sheet = state->get()) {
    sheet->setSucceeded(succeeded);
    sheet->setProgress(1.0F);
    sheet->setInfoLabelText(text);
  }
}

}  // namespace

EvidenceTasks::EvidenceTasks(QWidget* window) : QObject(window), window_(window) {}

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

void EvidenceTasks::verifyBackup(const QString& folder, RecordingListPane* pane) {
  auto verifier = BackupVerifier::create();
  verifier_ = verifier;
  const auto sheet = presentSheet(pane, [verifier] { verifier->setCancelFlag(true); });
  if (ProgressSheet* shown = sheet->get()) shown->setInfoLabelText(path_text::lastPathComponent(folder));
  verifier->verifyAsync(
      folder,
      [sheet](const QString& path, float progress) {
        if (ProgressSheet* shown = sheet->get()) {
          shown->setProgress(std::min(progress, 0.999F));
          shown->setInfoLabelText(path);
        }
      },
      [sheet, verifier](const std::optional<QString>& error) {
        if (error) {
          finishSheet(sheet, false, tr("The backup could not be checked: %1").arg(*error));
        } else {
          finishSheet(sheet, verifier->report().allMatch(), findingsText(verifier->report()));
        }
        sheet->live = false;
      });
}

void EvidenceTasks::chooseAndExportReport(const DCFInfoList& recordings, const QDateTime& from, const QDateTime& to,
                                          RecordingListPane* pane) {
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
  exportReport(std::move(request), pane);
}

void EvidenceTasks::exportReport(IncidentReportRequest request, RecordingListPane* pane) {
  auto reporter = IncidentReporter::create();
  reporter_ = reporter;
  const auto sheet = presentSheet(pane, [reporter] { reporter->cancel(); });
  if (ProgressSheet* shown = sheet->get()) {
    shown->setInfoLabelText(path_text::lastPathComponent(request.targetFilePath));
  }
  reporter->reportAsync(
      std::move(request),
      [sheet](double progress) {
        if (ProgressSheet* shown = sheet->get()) shown->setProgress(static_cast<float>(std::min(progress, 0.999)));
      },
      [sheet](const std::optional<QString>& error) {
        finishSheet(sheet, !error,
                    error ? tr("The report could not be written: %1").arg(*error)
                          : tr("Incident report is complete"));
        sheet->live = false;
      });
}

}  // namespace dashcard
