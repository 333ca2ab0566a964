#include "ui/app/path_control.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace dashcard {

PathControl::PathControl(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PathControl"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 0);
  layout->setSpacing(0);
  popUpButton_ = new QToolButton(this);
  popUpButton_->setObjectName(QStringLiteral("PathControlPopUp"));
  popUpButton_->setIcon(QIcon(QStringLiteral(":/images/card.svg")));
  popUpButton_->setToolTip(tr("Open a card"));
  popUpButton_->setAutoRaise(true);
  popUpButton_->setPopupMode(QToolButton::InstantPopup);
  menu_ = new QMenu(this);
  popUpButton_->setMenu(menu_);
  connect(menu_, &QMenu::aboutToShow, this, &PathControl::prepareMenu);
  layout->addWidget(popUpButton_);
  componentsLayout_ = new QHBoxLayout;
  componentsLayout_->setSpacing(0);
  layout->addLayout(componentsLayout_);
  layout->addStretch(1);
  setMinimumWidth(160);
  rebuildComponents();
}

void PathControl::setPath(const QString& path) {
  path_ = path.isEmpty() ? QString() : QDir::cleanPath(path);
  rebuildComponents();
}

QStringList PathControl::componentPaths() const {
  QStringList result;
  if (path_.isEmpty()) return result;
  QString current = path_;
  while (true) {
    result.prepend(current);
    const QString parent = QFileInfo(current).path();
    if (parent == current || parent.isEmpty() || parent == QStringLiteral(".")) break;
    current = parent;
  }
  return result;
}

void PathControl::rebuildComponents() {
  while (QLayoutItem* item = componentsLayout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const QStringList paths = componentPaths();
  if (paths.isEmpty()) {
    auto* none = new QLabel(tr("No card opened"), this);
    none->setEnabled(false);
    componentsLayout_->addWidget(none);
    return;
  }
  // Long paths show their last folders; the pop-up still opens any of them.
  const int shownFrom = std::max<int>(0, int(paths.size()) - 4);
  for (int i = shownFrom; i < paths.size(); ++i) {
    if (i > shownFrom) {
      auto* separator = new QLabel(QStringLiteral("›"), this);
      separator->setContentsMargins(3, 0, 3, 0);
      componentsLayout_->addWidget(separator);
    }
    const QString component = paths[i];
    QString title = QFileInfo(component).fileName();
    if (title.isEmpty()) title = component;
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setText(title);
    button->setToolTip(component);
    button->setIcon(QIcon(QStringLiteral(":/images/folder.svg")));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(button, &QToolButton::clicked, this, [this, component] { emit componentClicked(component); });
    componentsLayout_->addWidget(button);
  }
}

void PathControl::prepareMenu() {
  menu_->clear();
  QAction* choose = menu_->addAction(tr("Choose…"));
  connect(choose, &QAction::triggered, this, &PathControl::chooseRequested);
  menu_->addSeparator();
  if (path_.isEmpty()) {
    QAction* none = menu_->addAction(tr("No card opened"));
    none->setEnabled(false);
  } else {
    QAction* current = menu_->addAction(QIcon(QStringLiteral(":/images/folder.svg")),
                                        QFileInfo(path_).fileName().isEmpty() ? path_ : QFileInfo(path_).fileName());
    current->setToolTip(path_);
    const QString here = path_;
    connect(current, &QAction::triggered, this, [this, here] { emit componentClicked(here); });
  }
  emit menuWillOpen(menu_);
}

}  // namespace dashcard
