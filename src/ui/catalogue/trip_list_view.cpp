#include "ui/catalogue/trip_list_view.h"

#include "core/catalogue/place_names.h"
#include "core/common/main_thread.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPointer>

namespace dashcard {
namespace {


QString timeText(const QDateTime& utc) {
  return QLocale().toString(utc.toLocalTime(), QLocale::ShortFormat);
}

}  // namespace

TripListView::TripListView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("TripListView"));
  setColumnCount(3);
  setHeaderLabels({tr("Trip"), tr("Distance"), tr("Events")});
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->setStretchLastSection(false);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { choose(item); });
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
}

TripListView::~TripListView() {
  if (cancel_) cancel_->store(true);
}

void TripListView::setRecordings(const DCFInfoList& recordings) {
  if (cancel_) cancel_->store(true);
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  clear();
  trips_.clear();
  auto cancel = cancel_;
  QPointer<TripListView> self(this);
  startBackgroundJob([self, cancel, recordings] {
    TripBuilder::Options options;
    options.places = PlaceNames::builtIn();
    TripBuilder::Result result;
    if (!recordings.isEmpty()) {
      const QString root = recordings.front()->rootPath();
      const TripOverrides overrides =
          TripOverrides::load(TripOverrides::defaultFolder(), TripOverrides::cardIdentity(root, recordings));
      const auto telemetry = TripBuilder::readTelemetry(recordings, cancel.get());
      if (cancel->load()) return;
      result = TripBuilder::build(recordings, telemetry, options, overrides);
    }
    if (cancel->load()) return;
    runOnMainThread(
        [self, result = std::move(result)]() mutable {
          if (self) self->show(std::move(result));
        },
        *cancel);
  });
}

void TripListView::show(TripBuilder::Result result) {
  trips_ = std::move(result.trips);
  clear();
  int number = 0;
  for (const Trip& trip : trips_) {
    QString title = tr("Trip %1: %2, %3 min").arg(++number).arg(timeText(trip.start)).arg(qRound(trip.durationSeconds / 60.0));
    if (!trip.from.isEmpty() || !trip.to.isEmpty()) {
      title += QStringLiteral(" · %1 → %2").arg(trip.from.section(u',', 0, 0), trip.to.section(u',', 0, 0));
    }
    auto* item = new QTreeWidgetItem(this, {title, tr("%1 km").arg(trip.distanceMeters / 1000.0, 0, 'f', 1),
                                            QString::number(trip.events.size())});
    for (const DCFInfoPtr& info : trip.recordings) {
      int events = 0;
      for (const TripEvent& event : trip.events) events += event.recording == info ? 1 : 0;
      auto* child = new QTreeWidgetItem(item, {QFileInfo(info->deltaPath()).fileName(), QString(),
                                               events > 0 ? QString::number(events) : QString()});
      child->setToolTip(0, info->deltaPath());
    }
  }
  emit tripsDidChange();
}

void TripListView::choose(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  QTreeWidgetItem* top = item->parent() != nullptr ? item->parent() : item;
  const int tripIndex = indexOfTopLevelItem(top);
  if (tripIndex < 0 || tripIndex >= trips_.size()) return;
  const Trip& trip = trips_.at(tripIndex);
  const int recordingIndex = item->parent() != nullptr ? top->indexOfChild(item) : 0;
  if (recordingIndex < 0 || recordingIndex >= trip.recordings.size()) return;
  emit recordingChosen(trip.recordings.at(recordingIndex));
}

}  // namespace dashcard
