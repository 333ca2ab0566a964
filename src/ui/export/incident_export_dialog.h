#pragma once

#include "core/catalogue/dcf_info.h"
#include "core/media/incident_export.h"

#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QPointer>

#include <utility>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dashcard {

// The "Export Video…" dialog: the span, the camera, the exact cut, the
// burnt-in line and the output file of one incident export. It only asks;
// whoever opened it runs the request once it is accepted. It is accepted
// only when the request can start: a problem shows in the dialog instead.
class IncidentExportDialog : public QDialog {
  Q_OBJECT
 public:
  // `recordings`: the card's recordings the span may take from. Dates are
  // shown as the recordings' own (the camera's clock, held as UTC).
  IncidentExportDialog(DCFInfoList recordings, const QDateTime& from, const QDateTime& to, QWidget* parent = nullptr);

  // The span the dialog opens with: the marked ends where set, else the ends
  // of `fallback` (the selected recordings). An end still missing, or a span
  // left empty, gets a minute after the start (before a marked end).
  static std::pair<QDateTime, QDateTime> prefilledSpan(const QDateTime& markedFrom, const QDateTime& markedTo,
                                                       const std::pair<QDateTime, QDateTime>& fallback);
  static constexpr int kDefaultSpanSeconds = 60;

  // How far before an instant the window looks for clips whose length it
  // must read (RecordingSpan::learnLengths) on the main thread: bounded so
  // it stays responsive however many recordings the card holds.
  static constexpr qint64 kLookBackSeconds = 600;

  // The request the controls describe now.
  IncidentExportRequest request() const;
  // Why that request cannot start; empty when it can.
  QString problem() const;

  QDateTimeEdit* startEdit() const { return startEdit_; }
  QDateTimeEdit* endEdit() const { return endEdit_; }
  QComboBox* cameraBox() const { return cameraBox_; }
  QCheckBox* exactBox() const { return exactBox_; }
  QCheckBox* overlayBox() const { return overlayBox_; }
  // The incident report beside the video (same base name, .pdf), written
  // once the video is.
  QCheckBox* reportBox() const { return reportBox_; }
  QLineEdit* outputEdit() const { return outputEdit_; }
  QPushButton* chooseButton() const { return chooseButton_; }
  QLabel* problemLabel() const { return problemLabel_; }
  // How many recordings the span takes, kept up to date.
  QLabel* summaryLabel() const { return summaryLabel_; }
  // The save panel of "Choose…" while it is open.
  QFileDialog* savePanel() const { return savePanel_; }

  void accept() override;

 private:
  void chooseOutput();
  void cameraDidChange();
  void spanDidChange();
  // The output path with the .mp4 ending added when it has none.
  QString outputPath() const;

  DCFInfoList recordings_;
  QDateTimeEdit* startEdit_ = nullptr;
  QDateTimeEdit* endEdit_ = nullptr;
  QComboBox* cameraBox_ = nullptr;
  QCheckBox* exactBox_ = nullptr;
  QCheckBox* overlayBox_ = nullptr;
  QCheckBox* reportBox_ = nullptr;
  QLineEdit* outputEdit_ = nullptr;
  QPushButton* chooseButton_ = nullptr;
  QLabel* problemLabel_ = nullptr;
  QLabel* summaryLabel_ = nullptr;
  QPointer<QFileDialog> savePanel_;
  // A file the save panel already asked to replace.
  QString confirmedPath_;
};

}  // namespace dashcard
