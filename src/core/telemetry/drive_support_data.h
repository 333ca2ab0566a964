#pragma once

#include "core/telemetry/adas_line_data.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace dashcard {

// One drive-support record of the camera ("$QVDSA", 17 fields): start delay,
// lane departure with its side, and forward collision with distance and lead
// time, each with its position in the group. Derives what a view shows.
class DriveSupportData {
 public:
  // `components` are the trimmed fields of one sentence, tag included. Any
  // count but 17 gives a record of type "QVDSA_TYPE_UNKNOWN" with initial values.
  explicit DriveSupportData(const QStringList& components);

  QString QVDSAType() const { return QVDSAType_; }
  void setQVDSAType(const QString& value) { QVDSAType_ = value; }
  double delayStartPosition() const { return delayStartPosition_; }
  void setDelayStartPosition(double value) { delayStartPosition_ = value; }
  QString delayStart() const { return delayStart_; }
  void setDelayStart(const QString& value) { delayStart_ = value; }
  double laneDeparturePosition() const { return laneDeparturePosition_; }
  void setLaneDeparturePosition(double value) { laneDeparturePosition_ = value; }
  QString laneDepartureLebel() const { return laneDepartureLebel_; }
  void setLaneDepartureLebel(const QString& value) { laneDepartureLebel_ = value; }
  QString laneDepartureDirection() const { return laneDepartureDirection_; }
  void setLaneDepartureDirection(const QString& value) { laneDepartureDirection_ = value; }
  double collisionDetectPosition() const { return collisionDetectPosition_; }
  void setCollisionDetectPosition(double value) { collisionDetectPosition_ = value; }
  QString collisionDetect() const { return collisionDetect_; }
  void setCollisionDetect(const QString& value) { collisionDetect_ = value; }
  double collisionDetectDistance() const { return collisionDetectDistance_; }
  void setCollisionDetectDistance(double value) { collisionDetectDistance_ = value; }
  double collisionDetectPreTime() const { return collisionDetectPreTime_; }
  void setCollisionDetectPreTime(double value) { collisionDetectPreTime_ = value; }

  // The strongest present warning (forward collision over lane departure
  // over start delay) decides image, colour and text; empty / clear when none.
  QString appearanceImageName() const;
  QColor appearanceColor() const;
  // Localized warning text.
  QString appearanceEventName() const;
  // One mark per present warning: start delay, lane departure, forward collision.
  QList<ADASLineData> appearanceLineInfos() const;

 private:
  bool isCamera() const;

  QString QVDSAType_;
  double delayStartPosition_ = 0.0;
  QString delayStart_;
  double laneDeparturePosition_ = 0.0;
  QString laneDepartureLebel_;
  QString laneDepartureDirection_;
  double collisionDetectPosition_ = 0.0;
  QString collisionDetect_;
  double collisionDetectDistance_ = 0.0;
  double collisionDetectPreTime_ = 0.0;
};

}  // namespace dashcard
