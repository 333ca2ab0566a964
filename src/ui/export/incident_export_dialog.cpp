#include "ui/export/incident_export_dialog.h"

#include "core/common/save_folder.h"
#include "core/media/recording_span.h"
#include "core/media/video_frame_grabber.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace dashcard {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kSuffix = QStringLiteral("mp4");

// The edits show whole seconds: so does what they hold, rounded outwards.
QDateTime wholeSecond(const QDateTime& date, bool up) {
  if (!date.isValid()) return date;
  const qint64 ms = date.toMSecsSinceEpoch();
  qint64 seconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
  if (up && seconds * 1000 != ms) ++seconds;
  return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

QDateTimeEdit* makeDateEdit(const QDateTime& date, QWidget* parent) {
  auto* edit = new QDateTimeEdit(parent);
  // The recordings' dates are the camera's clock held as UTC: shown as such,
  // they read as the list and the file names do.
  edit->setTimeSpec(Qt::UTC);
  edit->setDisplayFormat(kDateFormat);
  edit->setCalendarPopup(true);
  edit->setDateTime(date.toUTC());
  return edit;
}

}  // namespace

IncidentExportDialog::IncidentExportDialog(DCFInfoList recordings, const QDateTime& from, const QDateTime& to,
                                           QWidget* parent)
    : QDialog(parent), recordings_(std::move(recordings)) {
  setObjectName(QStringLiteral("IncidentExportDialog"));
  setWindowTitle(tr("Export Video"));
  setMinimumWidth(480);

  startEdit_ = makeDateEdit(wholeSecond(from, false), this);
  startEdit_->setObjectName(QStringLiteral("startEdit"));
  endEdit_ = makeDateEdit(wholeSecond(to, true), this);
  endEdit_->setObjectName(QStringLiteral("endEdit"));

  cameraBox_ = new QComboBox(this);
  cameraBox_->setObjectName(QStringLiteral("cameraBox"));
  cameraBox_->addItem(tr("Front"), static_cast<int>(ExportCamera::Front));
  cameraBox_->addItem(tr("Rear"), static_cast<int>(ExportCamera::Rear));
  cameraBox_->addItem(tr("Front and Rear Side by Side"), static_cast<int>(ExportCamera::SideBySide));

  exactBox_ = new QCheckBox(tr("Cut exactly at the start and end (re-encodes the edges)"), this);
  exactBox_->setObjectName(QStringLiteral("exactBox"));
  overlayBox_ = new QCheckBox(tr("Burn in date, time and speed"), this);
  overlayBox_->setObjectName(QStringLiteral("overlayBox"));
  reportBox_ = new QCheckBox(tr("Write an incident report (PDF) beside the video"), this);
  reportBox_->setObjectName(QStringLiteral("reportBox"));

  outputEdit_ = new QLineEdit(this);
  outputEdit_->setObjectName(QStringLiteral("outputEdit"));
  const QString name = tr("INCIDENT") + QLatin1Char('_') +
                       (from.isValid() ? from.toUTC().toString(QStringLiteral("yyyyMMdd_HHmmss")) : QString()) +
                       QLatin1Char('.') + kSuffix;
  outputEdit_->setText(QDir(saveFolder(SaveKind::Export)).filePath(name));
  chooseButton_ = new QPushButton(tr("Choose…"), this);
  chooseButton_->setObjectName(QStringLiteral("chooseButton"));
  chooseButton_->setAutoDefault(false);
  connect(chooseButton_, &QPushButton::clicked, this, &IncidentExportDialog::chooseOutput);
  auto* outputRow = new QHBoxLayout;
  outputRow->addWidget(outputEdit_, 1);
  outputRow->addWidget(chooseButton_);

  summaryLabel_ = new QLabel(this);
  summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));

  problemLabel_ = new QLabel(this);
  problemLabel_->setObjectName(QStringLiteral("problemLabel"));
  problemLabel_->setWordWrap(true);
  QPalette palette = problemLabel_->palette();
  palette.setColor(QPalette::WindowText, QColor(200, 30, 30));
  problemLabel_->setPalette(palette);
  problemLabel_->hide();

  auto* form = new QFormLayout;
  form->addRow(tr("Start:"), startEdit_);
  form->addRow(tr("End:"), endEdit_);
  form->addRow(QString(), summaryLabel_);
  form->addRow(tr("Camera:"), cameraBox_);
  form->addRow(QString(), exactBox_);
  form->addRow(QString(), overlayBox_);
  form->addRow(QString(), reportBox_);
  form->addRow(tr("Save as:"), outputRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  QPushButton* exportButton = buttons->addButton(tr("Export"), QDialogButtonBox::AcceptRole);
  exportButton->setObjectName(QStringLiteral("exportButton"));
  exportButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &IncidentExportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &IncidentExportDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problemLabel_);
  layout->addWidget(buttons);

  connect(cameraBox_, &QComboBox::currentIndexChanged, this, &IncidentExportDialog::cameraDidChange);
  connect(startEdit_, &QDateTimeEdit::dateTimeChanged, this, &IncidentExportDialog::spanDidChange);
  connect(endEdit_, &QDateTimeEdit::dateTimeChanged, this, &IncidentExportDialog::spanDidChange);
  cameraDidChange();
  spanDidChange();
}

std::pair<QDateTime, QDateTime> IncidentExportDialog::prefilledSpan(const QDateTime& markedFrom,
                                                                    const QDateTime& markedTo,
                                                                    const std::pair<QDateTime, QDateTime>& fallback) {
  QDateTime from = markedFrom.isValid() ? markedFrom : fallback.first;
  QDateTime to = markedTo.isValid() ? markedTo : fallback.second;
  if (!to.isValid() || (from.isValid() && to <= from)) {
    // Keep the end the user marked; otherwise the start leads.
    if (markedTo.isValid() && !markedFrom.isValid()) {
      from = to.addSecs(-kDefaultSpanSeconds);
    } else if (from.isValid()) {
      to = from.addSecs(kDefaultSpanSeconds);
    }
  } else if (!from.isValid()) {
    from = to.addSecs(-kDefaultSpanSeconds);
  }
  return {from, to};
}

void IncidentExportDialog::cameraDidChange() {
  const auto camera = static_cast<ExportCamera>(cameraBox_->currentData().toInt());
  // Side by side is re-encoded whole, so it is always exact; the line is
  // drawn only into a re-encoded picture.
  exactBox_->setEnabled(camera != ExportCamera::SideBySide);
  overlayBox_->setEnabled(camera == ExportCamera::SideBySide);
}

void IncidentExportDialog::spanDidChange() {
  const QDateTime from = startEdit_->dateTime();
  const QDateTime to = endEdit_->dateTime();
  const qint64 seconds = from.secsTo(to);
  // Recordings starting inside the span count without their length.
  RecordingSpan::learnLengths(recordings_, from, from, kLookBackSeconds);
  const qsizetype count = RecordingSpan::recordingsInSpan(recordings_, from, to).size();
  summaryLabel_->setText(seconds > 0 ? tr("Length: %1 s, recordings: %2").arg(seconds).arg(count) : QString());
}

QString IncidentExportDialog::outputPath() const {
  QString path = outputEdit_->text().trimmed();
  if (path.isEmpty()) return path;
  if (QFileInfo(path).suffix().isEmpty() && !QFileInfo(path).isDir()) path += QLatin1Char('.') + kSuffix;
  return QFileInfo(path).absoluteFilePath();
}

IncidentExportRequest IncidentExportDialog::request() const {
  IncidentExportRequest request;
  request.recordings = recordings_;
  request.from = startEdit_->dateTime();
  request.to = endEdit_->dateTime();
  request.camera = static_cast<ExportCamera>(cameraBox_->currentData().toInt());
  request.exact = exactBox_->isChecked() && request.camera != ExportCamera::SideBySide;
  request.overlay = overlayBox_->isChecked() && request.camera == ExportCamera::SideBySide;
  request.targetFilePath = outputPath();
  return request;
}

QString IncidentExportDialog::problem() const {
  const IncidentExportRequest wanted = request();
  if (wanted.to <= wanted.from) return tr("The end must be after the start.");
  RecordingSpan::learnLengths(recordings_, wanted.from, wanted.from, kLookBackSeconds);
  const DCFInfoList taken = RecordingSpan::recordingsInSpan(recordings_, wanted.from, wanted.to);
  if (taken.isEmpty()) {
    return tr("No recording covers this span. Choose a start and an end within the card's recordings.");
  }
  if (wanted.camera != ExportCamera::Front &&
      std::none_of(taken.begin(), taken.end(), [](const DCFInfoPtr& info) { return !info->secondaryFilePath().isEmpty(); })) {
    return tr("The recordings of this span have no rear video.");
  }
  if (wanted.targetFilePath.isEmpty()) return tr("Choose the file to save the video in.");
  const QFileInfo target(wanted.targetFilePath);
  if (isOutputOnCard(wanted.targetFilePath, taken.first()->rootPath())) {
    return tr("“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.").arg(target.fileName());
  }
  if (target.isDir()) return tr("“%1” is a folder.").arg(target.fileName());
  if (!target.absoluteDir().exists()) return tr("The folder “%1” does not exist.").arg(target.absolutePath());
  if (target.exists() && wanted.targetFilePath != confirmedPath_) {
    return tr("“%1” already exists. Choose another name.").arg(target.fileName());
  }
  return {};
}

void IncidentExportDialog::accept() {
  const QString why = problem();
  problemLabel_->setText(why);
  problemLabel_->setVisible(!why.isEmpty());
  if (!why.isEmpty()) return;
  rememberSaveFolder(SaveKind::Export, outputPath());
  QDialog::accept();
}

void IncidentExportDialog::chooseOutput() {
  auto* panel = new QFileDialog(this);
  savePanel_ = panel;
  panel->setObjectName(QStringLiteral("IncidentExportSavePanel"));
  panel->setWindowTitle(tr("Export Video"));
  panel->setOption(QFileDialog::DontUseNativeDialog);
  panel->setAcceptMode(QFileDialog::AcceptSave);
  panel->setNameFilters({tr("MP4 video (*.mp4)")});
  panel->setDefaultSuffix(kSuffix);
  const QFileInfo current(outputPath());
  panel->setDirectory(current.absoluteDir().exists() ? current.absolutePath() : saveFolder(SaveKind::Export));
  panel->selectFile(current.fileName());
  panel->setWindowModality(Qt::WindowModal);
  panel->setAttribute(Qt::WA_DeleteOnClose);
  connect(panel, &QFileDialog::fileSelected, this, [this](const QString& path) {
    // The panel asked before choosing an existing file.
    confirmedPath_ = QFileInfo(path).absoluteFilePath();
    outputEdit_->setText(confirmedPath_);
    rememberSaveFolder(SaveKind::Export, confirmedPath_);
  });
  panel->open();
}

}  // namespace dashcard
