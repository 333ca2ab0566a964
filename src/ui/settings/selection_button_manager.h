#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class QAbstractButton;

namespace dashcard {

// One group of exclusive choice buttons, each standing for a value.
class SelectionButtonManager : public QObject {
  Q_OBJECT
 public:
  explicit SelectionButtonManager(QObject* parent = nullptr) : QObject(parent) {}

  // Replaces the group. Each button gets its position as "tag" and presses
  // reach pressedButton().
  void addButtons(const QList<QAbstractButton*>& buttons, const QStringList& values);
  void addButton(QAbstractButton* button, const QString& value);

  // Switches `button` on and every other button of the group off; a button
  // outside the group switches all off.
  void selectButton(const QAbstractButton* button);
  // Selects the button of the first equal value; no match changes nothing.
  void selectButtonForValue(const QString& value);
  QAbstractButton* selectedButton() const;
  std::optional<QString> selectedValue() const;

  void pressedButton(QAbstractButton* sender) { selectButton(sender); }

  const QList<QPointer<QAbstractButton>>& mButtons() const { return buttons_; }
  const QStringList& mValues() const { return values_; }

 private:
  void attach(QAbstractButton* button, int tag);

  QList<QPointer<QAbstractButton>> buttons_;
  QStringList values_;
};

}  // namespace dashcard
