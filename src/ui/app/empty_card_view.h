#pragma once

#include "core/catalogue/volume_information.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QIcon;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace dashcard {

// What the side bar shows while the window has no recordings: how to open a
// card, with one button per inserted card and per recent card.
class EmptyCardView : public QWidget {
  Q_OBJECT
 public:
  explicit EmptyCardView(QWidget* parent = nullptr);

  // `cardOpen`: a card is open but holds no recordings.
  void setCardOpen(bool cardOpen);
  void setCards(const QList<VolumeInformation>& inserted, const QStringList& recents);
  QPushButton* openButton() const { return openButton_; }

 signals:
  void openRequested();
  void cardChosen(const QString& path);

 private:
  void fillSection(QVBoxLayout* section, const QList<QPair<QString, QString>>& cards, const QIcon& icon,
                   const QString& none);

  QLabel* heading_;
  QPushButton* openButton_;
  QVBoxLayout* inserted_;
  QVBoxLayout* recents_;
};

}  // namespace dashcard
