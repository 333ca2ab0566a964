#pragma once

#include "core/catalogue/trip_builder.h"
#include "core/catalogue/trip_preferences.h"

#include <QTimeZone>
#include <QTreeWidget>

#include <atomic>
#include <memory>
#include <optional>

class QMenu;

namespace dashcard {

// The Trips tab: the card's drives, each with its recordings and their
// driving events, made in the background from the catalogue and the
// telemetry with the user's preferences, in the camera's time zone.
// Choosing a trip or a recording asks for it to be played from its start,
// an event for its moment. The context menu merges two adjacent trips or
// splits one at a recording, remembered per card (TripOverrides).
class TripListView : public QTreeWidget {
  Q_OBJECT
 public:
  // What a row stands for (Qt::UserRole).
  enum RowKind { kTripRow = 1, kRecordingRow, kEventRow };

  explicit TripListView(QWidget* parent = nullptr);
  ~TripListView() override;

  // Starts making the trips of `recordings` (a new card or a new scan);
  // the previous making, if any, is dropped. `tripsDidChange` follows once.
  void setRecordings(const DCFInfoList& recordings);
  // Makes the trips again (new preferences, a merge or a split).
  void refresh() { setRecordings(recordings_); }
  const QList<Trip>& trips() const { return trips_; }
  // Every trip's events, in time order.
  QList<TripEvent> events() const;
  // The camera clock minus GPS time of the card; none without fixes.
  std::optional<double> clockOffsetSeconds() const { return clockOffset_; }
  // The camera's time zone (its settings file on the card; UTC without one).
  const QTimeZone& cameraZone() const { return zone_; }
  // The folder the merges and splits are kept in (tests use their own).
  void setOverridesFolder(const QString& folder) { overridesFolder_ = folder; }

  // The context menu's commands on the row at `item`; false when the row
  // does not allow it (the first trip has no previous one, a trip's first
  // recording already starts it).
  bool mergeWithPrevious(QTreeWidgetItem* item);
  bool splitAt(QTreeWidgetItem* item);
  // The menu for a row, built for tests and the right click alike.
  QMenu* makeContextMenu(QTreeWidgetItem* item);

 signals:
  void tripsDidChange();
  void recordingChosen(const DCFInfoPtr& recording);
  // A trip's row was chosen (after recordingChosen for its first recording).
  void tripChosen(const Trip& trip);
  void eventChosen(const TripEvent& event);

 private:
  void show(TripBuilder::Result result, const QTimeZone& zone);
  void choose(QTreeWidgetItem* item);
  // The trip and recording indices of a row; -1 for none.
  std::pair<int, int> indicesOf(QTreeWidgetItem* item) const;
  bool changeOverrides(const QString& recording, bool merge);

  std::shared_ptr<std::atomic<bool>> cancel_;
  DCFInfoList recordings_;
  QList<Trip> trips_;
  std::optional<double> clockOffset_;
  QTimeZone zone_ = QTimeZone::utc();
  QString overridesFolder_;
};

}  // namespace dashcard
