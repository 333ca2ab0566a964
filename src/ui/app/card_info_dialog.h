#pragma once

#include <QDateTime>
#include <QDialog>
#include <QTimeZone>

#include <array>
#include <optional>

class QCheckBox;

namespace dashcard {

// What the card-info sheet tells about the card a window shows.
struct CardFacts {
  QString root;
  QString identity;
  int recordings = 0;
  int eventRecordings = 0;
  int parkingRecordings = 0;
  // The camera's clock, as in the names.
  QDateTime first;
  QDateTime last;
  // False while the trips are still being made.
  bool tripsReady = false;
  int trips = 0;
  double distanceMeters = 0.0;
  // Braking, acceleration, cornering.
  std::array<int, 3> events{};
  QTimeZone zone = QTimeZone::utc();
  std::optional<double> clockOffsetSeconds;
  double thresholdMinutes = 2.0;
};

// File › Card Info…: the card's facts and its clock checked against GPS,
// with the choice to show times corrected by the offset.
class CardInfoDialog : public QDialog {
  Q_OBJECT
 public:
  CardInfoDialog(const CardFacts& facts, bool corrected, QWidget* parent = nullptr);

  QCheckBox* correctedBox() const { return corrected_; }
  // "The camera's clock is 3 min 12 s ahead of GPS time.", or why it is not known.
  static QString offsetText(const std::optional<double>& offsetSeconds);
  // "1 h 2 min 3 s", "4 s".
  static QString durationText(double seconds);

 signals:
  void correctionToggled(bool on);

 private:
  QCheckBox* corrected_ = nullptr;
};

}  // namespace dashcard
