#include "ui/app/tab_view_controller.h"

#include "ui/catalogue/dcf_list_view_controller.h"
#include "ui/catalogue/event_list_view_controller.h"
#include "ui/catalogue/trip_list_view.h"

#include <QGraphicsOpacityEffect>
#include <QHideEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QShowEvent>
#include <QTabBar>

namespace dashcard {

TabViewController::TabViewController(QWidget* parent)
    : QTabWidget(parent), dcfListVC_(new DCFListViewController(this)),
      eventVC_(new EventListViewController(this)), tripsVC_(new TripListView(this)), opacity_(new QGraphicsOpacityEffect(this)) {
  setObjectName(QStringLiteral("TabViewController"));
  setDocumentMode(true);
  addTab(dcfListVC_, QIcon(QStringLiteral(":/images/folder.svg")), tr("Recordings"));
  addTab(eventVC_, QIcon(QStringLiteral(":/images/event_Accident.svg")), tr("Events"));
  // The photo list is not offered in this product: its tab goes as soon as
  // the tab view exists.
  auto* photoTab = new QWidget(this);
  addTab(photoTab, tr("Photos"));
  removeTab(kPhotoTab);
  delete photoTab;
  addTab(tripsVC_, tr("Trips"));
  tabBar()->setExpanding(true);
  setGraphicsEffect(opacity_);
  connect(this, &QTabWidget::currentChanged, this, &TabViewController::didSelectTab);
  tabBar()->installEventFilter(this);
  tabViewIsActive(false);
}

DCFListViewController* TabViewController::currentListVC() const {
  return currentIndex() == kEventTab ? static_cast<DCFListViewController*>(eventVC_) : dcfListVC_;
}

void TabViewController::tabViewIsActive(bool active) {
  active_ = active;
  opacity_->setOpacity(active ? 1.0 : 0.0);
  tabBar()->setEnabled(active);
  setSelectedTabViewItemIndex(0);
  emit activeChanged(active);
}

void TabViewController::setSelectedTabViewItemIndex(int index) {
  if (index < 0 || index >= count()) return;
  // The lists are locked while no card is shown; going back to tab 0 is the
  // reset that tabViewIsActive asks for.
  if (!active_ && index != 0) return;
  setCurrentIndex(index);
}

void TabViewController::didSelectTab(int index) {
  if (!active_ && index != 0) {
    setCurrentIndex(0);
    return;
  }
  if (lastSelectedIndex_ == kPhotoTab && widget(kPhotoTab) != tripsVC_) dcfListVC_->reloadSelectingDCF();
  lastSelectedIndex_ = index;
}

bool TabViewController::eventFilter(QObject* watched, QEvent* event) {
  // The window's playback shortcuts use Left and Right; the focused tab bar
  // keeps them to move between the lists.
  if (watched == tabBar() && event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) && key->modifiers() == Qt::NoModifier) {
      event->accept();
      return true;
    }
  }
  return QTabWidget::eventFilter(watched, event);
}

void TabViewController::showEvent(QShowEvent* event) {
  QTabWidget::showEvent(event);
  if (!event->spontaneous()) emit collapseDidChange();
}

void TabViewController::hideEvent(QHideEvent* event) {
  QTabWidget::hideEvent(event);
  if (!event->spontaneous()) emit collapseDidChange();
}

}  // namespace dashcard
