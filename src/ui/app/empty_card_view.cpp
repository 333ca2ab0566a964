#include "ui/app/empty_card_view.h"

#include <QCommandLinkButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace dashcard {

namespace {
QLabel* sectionTitle(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}
}  // namespace

EmptyCardView::EmptyCardView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("EmptyCardView"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  outer->addWidget(scroll);

  auto* content = new QWidget(scroll);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(16, 20, 16, 16);
  column->setSpacing(8);
  heading_ = new QLabel(content);
  heading_->setObjectName(QStringLiteral("emptyHeading"));
  QFont big = heading_->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  heading_->setFont(big);
  heading_->setWordWrap(true);
  column->addWidget(heading_);
  auto* hint = new QLabel(tr("Open the folder of a camera's card, or drop it on this window."), content);
  hint->setWordWrap(true);
  column->addWidget(hint);

  openButton_ = new QPushButton(QIcon(QStringLiteral(":/images/card.svg")), tr("Open Card…"), content);
  openButton_->setObjectName(QStringLiteral("emptyOpenButton"));
  openButton_->setAccessibleName(tr("Open a card"));
  connect(openButton_, &QPushButton::clicked, this, &EmptyCardView::openRequested);
  column->addWidget(openButton_, 0, Qt::AlignLeft);

  column->addSpacing(8);
  column->addWidget(sectionTitle(tr("Inserted Cards"), content));
  inserted_ = new QVBoxLayout;
  column->addLayout(inserted_);
  column->addSpacing(8);
  column->addWidget(sectionTitle(tr("Recent Cards"), content));
  recents_ = new QVBoxLayout;
  column->addLayout(recents_);
  column->addStretch(1);
  scroll->setWidget(content);

  setCardOpen(false);
  setCards({}, {});
}

void EmptyCardView::setCardOpen(bool cardOpen) {
  heading_->setText(cardOpen ? tr("This card holds no recordings.") : tr("No card is open."));
}

void EmptyCardView::setCards(const QList<VolumeInformation>& inserted, const QStringList& recents) {
  QList<QPair<QString, QString>> volumes;
  for (const VolumeInformation& volume : inserted) volumes.append({volume.name, volume.devicePath});
  fillSection(inserted_, volumes, QIcon(QStringLiteral(":/images/card.svg")), tr("No card is inserted."));
  QList<QPair<QString, QString>> recent;
  for (const QString& path : recents) recent.append({QFileInfo(path).fileName(), path});
  fillSection(recents_, recent, QIcon(QStringLiteral(":/images/folder.svg")), tr("No recent cards."));
}

void EmptyCardView::fillSection(QVBoxLayout* section, const QList<QPair<QString, QString>>& cards, const QIcon& icon,
                                const QString& none) {
  while (QLayoutItem* item = section->takeAt(0)) {
    // Later, not now: the button being clicked may be what asked for the rebuild.
    if (QWidget* widget = item->widget()) {
      widget->setParent(nullptr);
      widget->deleteLater();
    }
    delete item;
  }
  auto* parent = section->parentWidget();
  if (cards.isEmpty()) {
    auto* label = new QLabel(none, parent);
    label->setEnabled(false);
    section->addWidget(label);
    return;
  }
  for (const auto& [name, path] : cards) {
    // The name leads; the whole path tells two copies of a card apart.
    auto* button = new QCommandLinkButton(name, QDir::toNativeSeparators(path), parent);
    button->setIcon(icon);
    button->setAccessibleName(tr("Open %1").arg(name));
    button->setToolTip(path);
    connect(button, &QCommandLinkButton::clicked, this, [this, path = path] { emit cardChosen(path); });
    section->addWidget(button);
  }
}

}  // namespace dashcard
