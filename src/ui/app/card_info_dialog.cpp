#include "ui/app/card_info_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>

#include <cmath>

namespace dashcard {

QString CardInfoDialog::durationText(double seconds) {
  const auto total = static_cast<long long>(std::llround(std::abs(seconds)));
  const long long hours = total / 3600;
  const long long minutes = total / 60 % 60;
  const long long rest = total % 60;
  QStringList parts;
  if (hours > 0) parts << tr("%1 h").arg(hours);
  if (minutes > 0) parts << tr("%1 min").arg(minutes);
  if (rest > 0 || parts.isEmpty()) parts << tr("%1 s").arg(rest);
  return parts.join(u' ');
}

QString CardInfoDialog::offsetText(const std::optional<double>& offsetSeconds) {
  if (!offsetSeconds) return tr("No recording has a GPS fix: the camera's clock cannot be checked.");
  if (std::abs(*offsetSeconds) < 1.0) return tr("The camera's clock matches GPS time within a second.");
  return *offsetSeconds > 0.0 ? tr("The camera's clock is %1 ahead of GPS time.").arg(durationText(*offsetSeconds))
                              : tr("The camera's clock is %1 behind GPS time.").arg(durationText(*offsetSeconds));
}

CardInfoDialog::CardInfoDialog(const CardFacts& facts, bool corrected, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CardInfoDialog"));
  setWindowTitle(tr("Card Info"));
  auto* form = new QFormLayout(this);
  const auto row = [this, form](const QString& label, const QString& text, const char* name) {
    auto* value = new QLabel(text, this);
    value->setObjectName(QLatin1String(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    form->addRow(label, value);
  };
  const QLocale locale;
  row(tr("Card:"), facts.root, "cardFolder");
  row(tr("Identity:"), facts.identity, "cardIdentity");
  row(tr("Recordings:"),
      tr("%1 (%2 event, %3 parking)").arg(facts.recordings).arg(facts.eventRecordings).arg(facts.parkingRecordings),
      "cardRecordings");
  if (facts.first.isValid()) {
    row(tr("Recorded:"),
        tr("%1 to %2 (camera clock)")
            .arg(locale.toString(facts.first, QLocale::ShortFormat), locale.toString(facts.last, QLocale::ShortFormat)),
        "cardSpan");
  }
  row(tr("Camera time zone:"), facts.zone.displayName(QTimeZone::GenericTime, QTimeZone::LongName), "cardZone");
  if (facts.tripsReady) {
    row(tr("Trips:"), tr("%1, %2 km").arg(facts.trips).arg(locale.toString(facts.distanceMeters / 1000.0, 'f', 1)), "cardTrips");
    row(tr("Driving events:"),
        tr("%1 hard braking, %2 hard acceleration, %3 sharp cornering")
            .arg(facts.events[0])
            .arg(facts.events[1])
            .arg(facts.events[2]),
        "cardEvents");
    row(tr("Clock:"), offsetText(facts.clockOffsetSeconds), "cardClock");
  } else {
    row(tr("Trips:"), tr("Still reading the telemetry…"), "cardTrips");
  }
  row(tr("Clock check threshold:"), durationText(facts.thresholdMinutes * 60.0), "cardThreshold");
  corrected_ = new QCheckBox(tr("Show times corrected by the clock's offset"), this);
  corrected_->setObjectName(QStringLiteral("correctedTimes"));
  corrected_->setChecked(corrected);
  corrected_->setEnabled(facts.clockOffsetSeconds.has_value() && std::abs(*facts.clockOffsetSeconds) >= 1.0);
  corrected_->setToolTip(tr("The lists and readouts show the camera's times minus the offset; the file names never change."));
  connect(corrected_, &QCheckBox::toggled, this, &CardInfoDialog::correctionToggled);
  form->addRow(corrected_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

}  // namespace dashcard
