#include "ui/settings/selection_button_manager.h"

#include <QAbstractButton>

namespace dashcard {

void SelectionButtonManager::addButtons(const QList<QAbstractButton*>& buttons, const QStringList& values) {
  // The controls are refreshed often: never connect a button twice.
  for (const QPointer<QAbstractButton>& old : buttons_) {
    if (old) disconnect(old, nullptr, this, nullptr);
  }
  buttons_.clear();
  values_ = values;
  for (int i = 0; i < buttons.size(); ++i) {
    buttons_.append(buttons[i]);
    attach(buttons[i], i);
  }
}

void SelectionButtonManager::addButton(QAbstractButton* button, const QString& value) {
  buttons_.append(button);
  values_.append(value);
  attach(button, int(buttons_.size()) - 1);
}

void SelectionButtonManager::attach(QAbstractButton* button, int tag) {
  if (button == nullptr) return;
  button->setProperty("tag", tag);
  button->setCheckable(true);
  disconnect(button, nullptr, this, nullptr);
  connect(button, &QAbstractButton::clicked, this, [this, button] { pressedButton(button); });
}

void SelectionButtonManager::selectButton(const QAbstractButton* button) {
  for (const QPointer<QAbstractButton>& each : buttons_) {
    if (each) each->setChecked(each == button);
  }
}

void SelectionButtonManager::selectButtonForValue(const QString& value) {
  const qsizetype index = values_.indexOf(value);
  if (index >= 0 && index < buttons_.size()) selectButton(buttons_[index]);
}

QAbstractButton* SelectionButtonManager::selectedButton() const {
  for (const QPointer<QAbstractButton>& each : buttons_) {
    if (each && each->isChecked()) return each;
  }
  return nullptr;
}

std::optional<QString> SelectionButtonManager::selectedValue() const {
  for (qsizetype i = 0; i < buttons_.size() && i < values_.size(); ++i) {
    if (buttons_[i] && buttons_[i]->isChecked()) return values_[i];
  }
  return std::nullopt;
}

}  // namespace dashcard
