#include "core/playback/panes.h"

namespace dashcard {

void TabPane::observe(const RecordingCatalogue* catalogue, RecordingListPane* normal, RecordingListPane* event,
                      QObject* context) {
  QObject::connect(catalogue, &RecordingCatalogue::catalogueDidChange, context, [=, this] {
    tabViewIsActive(catalogue->mediaTree().size() + catalogue->pictureTree().size() > 0);
    normal->reloadDCFInfo(catalogue->mediaTreeNormal(), catalogue->mediaTree());
    event->reloadDCFInfo(catalogue->mediaTreeEvent(), catalogue->mediaTree());
    if (!catalogue->mediaTreeNormal().isEmpty()) {
      setSelectedTabViewItemIndex(0);
      normal->selectFirstItem();
    } else if (!catalogue->mediaTreeEvent().isEmpty()) {
      setSelectedTabViewItemIndex(1);
      event->selectFirstItem();
    }
  });
  // A follower window's choice leaves the lists as they are.
  QObject::connect(catalogue, &RecordingCatalogue::currentDCFDidChange, context,
                   [=](const DCFInfoPtr&, int fromMediaList) {
                     if (fromMediaList == RecordingCatalogue::kMediaListNormal) event->deselection();
                     if (fromMediaList == RecordingCatalogue::kMediaListEvent) normal->deselection();
                   });
  QObject::connect(catalogue, &RecordingCatalogue::recordingRequested, context,
                   [=, this](const DCFInfoPtr& info, int fromMediaList) {
                     const bool isEvent = fromMediaList == RecordingCatalogue::kMediaListMapEvent;
                     if (selectedTabViewItemIndex() != (isEvent ? 1 : 0)) setSelectedTabViewItemIndex(isEvent ? 1 : 0);
                     (isEvent ? event : normal)->selectCurrentDCF(info);
                     (isEvent ? normal : event)->deselection();
                   });
}

}  // namespace dashcard
