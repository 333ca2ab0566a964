#pragma once

#include "core/catalogue/trip_builder.h"

#include <QTreeWidget>

#include <atomic>
#include <memory>

namespace dashcard {

// The Trips tab: the card's drives, each with its recordings, made in the
// background from the catalogue and the telemetry. Choosing a trip or a
// recording asks for it to be played from its start.
class TripListView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TripListView(QWidget* parent = nullptr);
  ~TripListView() override;

  // Starts making the trips of `recordings` (a new card or a new scan);
  // the previous making, if any, is dropped. `tripsDidChange` follows once.
  void setRecordings(const DCFInfoList& recordings);
  const QList<Trip>& trips() const { return trips_; }

 signals:
  void tripsDidChange();
  void recordingChosen(const DCFInfoPtr& recording);

 private:
  void show(TripBuilder::Result result);
  void choose(QTreeWidgetItem* item);

  std::shared_ptr<std::atomic<bool>> cancel_;
  QList<Trip> trips_;
};

}  // namespace dashcard
