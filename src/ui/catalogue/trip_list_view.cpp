#include "ui/catalogue/trip_list_view.h"

#include "core/catalogue/place_names.h"
#include "core/common/main_thread.h"
#include "core/settings/time_zone_item.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPointer>

namespace dashcard {
namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kEventRole = Qt::UserRole + 1;

QString timeText(const QDateTime& time) { return QLocale().toString(time, QLocale::ShortFormat); }

}  // namespace

TripListView::TripListView(QWidget* parent)
    : QTreeWidget(parent), overridesFolder_(TripOverrides::defaultFolder()) {
  setObjectName(QStringLiteral("TripListView"));
  setColumnCount(3);
  setHeaderLabels({tr("Trip"), tr("Distance"), tr("Events")});
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->setStretchLastSection(false);
  setUniformRowHeights(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { choose(item); });
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QTreeWidgetItem* item = itemAt(at);
    if (!item) return;
    QMenu* menu = makeContextMenu(item);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(at));
  });
}

TripListView::~TripListView() {
  if (cancel_) cancel_->store(true);
}

void TripListView::setRecordings(const DCFInfoList& recordings) {
  if (cancel_) cancel_->store(true);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  recordings_ = recordings;
  clear();
  trips_.clear();
  clockOffset_.reset();
  auto cancel = cancel_;
  QPointer<TripListView> self(this);
  const TripPreferences preferences = TripPreferences::load();
  startBackgroundJob([self, cancel, recordings, preferences, folder = overridesFolder_] {
    TripBuilder::Options options;
    options.places = PlaceNames::builtIn();
    options.gapMinutes = preferences.gapMinutes;
    options.thresholds = preferences.thresholds;
    TripBuilder::Result result;
    if (!recordings.isEmpty()) {
      const QString root = recordings.front()->rootPath();
      options.cameraZone = TimeZoneItem::timeZoneOfCard(root);
      const TripOverrides overrides = TripOverrides::load(folder, TripOverrides::cardIdentity(root, recordings));
      const auto telemetry = TripBuilder::readTelemetry(recordings, cancel.get());
      if (cancel->load()) return;
      result = TripBuilder::build(recordings, telemetry, options, overrides);
    }
    if (cancel->load()) return;
    runOnMainThread(
        [self, result = std::move(result), zone = options.cameraZone]() mutable {
          if (self) self->show(std::move(result), zone);
        },
        *cancel);
  });
}

QList<TripEvent> TripListView::events() const {
  QList<TripEvent> all;
  for (const Trip& trip : trips_) all += trip.events;
  std::stable_sort(all.begin(), all.end(), [](const TripEvent& a, const TripEvent& b) { return a.time < b.time; });
  return all;
}

void TripListView::show(TripBuilder::Result result, const QTimeZone& zone) {
  trips_ = std::move(result.trips);
  clockOffset_ = result.clockOffsetSeconds;
  zone_ = zone;
  clear();
  int number = 0;
  for (const Trip& trip : trips_) {
    QString title = tr("Trip %1: %2, %3 min").arg(++number).arg(timeText(trip.startLocal)).arg(qRound(trip.durationSeconds / 60.0));
    if (!trip.from.isEmpty() || !trip.to.isEmpty()) {
      title += QStringLiteral(" · %1 → %2").arg(trip.from.section(u',', 0, 0), trip.to.section(u',', 0, 0));
    }
    auto* item = new QTreeWidgetItem(this, {title, tr("%1 km").arg(trip.distanceMeters / 1000.0, 0, 'f', 1),
                                            QString::number(trip.events.size())});
    item->setData(0, kKindRole, kTripRow);
    item->setToolTip(0, tr("%1 to %2 (%3)").arg(timeText(trip.startLocal), timeText(trip.endLocal), zone_.displayName(trip.start)));
    for (const DCFInfoPtr& info : trip.recordings) {
      int events = 0;
      for (const TripEvent& event : trip.events) events += event.recording == info ? 1 : 0;
      auto* child = new QTreeWidgetItem(item, {QFileInfo(info->deltaPath()).fileName(), QString(),
                                               events > 0 ? QString::number(events) : QString()});
      child->setData(0, kKindRole, kRecordingRow);
      child->setToolTip(0, info->deltaPath());
      for (int e = 0; e < trip.events.size(); ++e) {
        const TripEvent& event = trip.events[e];
        if (event.recording != info) continue;
        auto* row = new QTreeWidgetItem(
            child, {QStringLiteral("%1 · %2").arg(DrivingEvent::kindTitle(event.event.kind),
                                                   QLocale().toString(event.time.toTimeZone(zone_).time(), QLocale::LongFormat)),
                    tr("%1 g").arg(event.event.peakG, 0, 'f', 2)});
        row->setData(0, kKindRole, kEventRow);
        row->setData(0, kEventRole, e);
        row->setForeground(0, DrivingEvent::kindColor(event.event.kind));
      }
    }
  }
  emit tripsDidChange();
}

std::pair<int, int> TripListView::indicesOf(QTreeWidgetItem* item) const {
  if (item == nullptr) return {-1, -1};
  QTreeWidgetItem* recording = item->data(0, kKindRole).toInt() == kEventRow ? item->parent() : item;
  QTreeWidgetItem* top = recording && recording->parent() ? recording->parent() : recording;
  const int trip = indexOfTopLevelItem(top);
  if (trip < 0 || trip >= trips_.size()) return {-1, -1};
  return {trip, recording == top ? -1 : top->indexOfChild(recording)};
}

void TripListView::choose(QTreeWidgetItem* item) {
  const auto [tripIndex, recordingIndex] = indicesOf(item);
  if (tripIndex < 0) return;
  const Trip& trip = trips_.at(tripIndex);
  if (item->data(0, kKindRole).toInt() == kEventRow) {
    const int event = item->data(0, kEventRole).toInt();
    if (event >= 0 && event < trip.events.size()) emit eventChosen(trip.events.at(event));
    return;
  }
  const int index = std::max(0, recordingIndex);
  if (index >= trip.recordings.size()) return;
  emit recordingChosen(trip.recordings.at(index));
  if (recordingIndex < 0) emit tripChosen(trip);
}

bool TripListView::changeOverrides(const QString& recording, bool merge) {
  if (recordings_.isEmpty()) return false;
  const QString identity = TripOverrides::cardIdentity(recordings_.front()->rootPath(), recordings_);
  TripOverrides overrides = TripOverrides::load(overridesFolder_, identity);
  if (merge) {
    overrides.merge(recording);
  } else {
    overrides.split(recording);
  }
  // Kept in the application's data folder, never on the card.
  if (!overrides.save(overridesFolder_, identity)) return false;
  refresh();
  return true;
}

bool TripListView::mergeWithPrevious(QTreeWidgetItem* item) {
  const auto [tripIndex, recordingIndex] = indicesOf(item);
  if (tripIndex <= 0 || recordingIndex > 0) return false;
  return changeOverrides(trips_.at(tripIndex).recordings.front()->deltaPath(), true);
}

bool TripListView::splitAt(QTreeWidgetItem* item) {
  const auto [tripIndex, recordingIndex] = indicesOf(item);
  if (tripIndex < 0 || recordingIndex <= 0) return false;
  return changeOverrides(trips_.at(tripIndex).recordings.at(recordingIndex)->deltaPath(), false);
}

QMenu* TripListView::makeContextMenu(QTreeWidgetItem* item) {
  auto* menu = new QMenu(this);
  const auto [tripIndex, recordingIndex] = indicesOf(item);
  QAction* previous = menu->addAction(tr("Merge with Previous Trip"));
  previous->setObjectName(QStringLiteral("mergePrevious"));
  previous->setEnabled(tripIndex > 0 && recordingIndex < 0);
  const int trip = tripIndex;
  const int recording = recordingIndex;
  connect(previous, &QAction::triggered, this, [this, trip] {
    if (trip > 0 && trip < topLevelItemCount()) mergeWithPrevious(topLevelItem(trip));
  });
  QAction* next = menu->addAction(tr("Merge with Next Trip"));
  next->setObjectName(QStringLiteral("mergeNext"));
  next->setEnabled(tripIndex >= 0 && recordingIndex < 0 && tripIndex + 1 < trips_.size());
  connect(next, &QAction::triggered, this, [this, trip] {
    if (trip >= 0 && trip + 1 < topLevelItemCount()) mergeWithPrevious(topLevelItem(trip + 1));
  });
  QAction* split = menu->addAction(tr("Split Trip Here"));
  split->setObjectName(QStringLiteral("splitHere"));
  split->setEnabled(recordingIndex > 0);
  connect(split, &QAction::triggered, this, [this, trip, recording] {
    if (trip >= 0 && trip < topLevelItemCount() && recording > 0 && recording < topLevelItem(trip)->childCount()) {
      splitAt(topLevelItem(trip)->child(recording));
    }
  });
  return menu;
}

}  // namespace dashcard
