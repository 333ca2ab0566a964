#pragma once

#include <QColor>
#include <QPushButton>

namespace dashcard {

// A choice button of the settings editor: a rounded, bordered face in the
// selected colour when on, light grey when off, and a translucent highlight
// while pressed.
class DVRSettingButton : public QPushButton {
  Q_OBJECT
 public:
  explicit DVRSettingButton(const QString& title = {}, QWidget* parent = nullptr);

  static QColor normalTitleTextColor() { return Qt::white; }
  static QColor selectedTitleTextColor() { return Qt::white; }
  static QColor normalColor() { return QColor(170, 170, 170); }
  static QColor selectedColor() { return QColor(68, 114, 196); }
  static QColor highlightColor() { return QColor(68, 114, 196, 128); }
  static QColor borderColor() { return QColor(47, 82, 143); }
  static constexpr double kBorderWidth = 2.0;
  static constexpr double kCornerRadius = 8.0;

  // The colour the title is drawn in; reading it always gives white.
  QColor titleColor() const { return Qt::white; }
  void setTitleColor(const QColor& color);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor drawnTitleColor_ = Qt::white;
};

}  // namespace dashcard
