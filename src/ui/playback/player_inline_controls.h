#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace dashcard {

// The primary player's own controls under its video: play/pause, the
// position and the length of the clip, and a scrubber.
class PlayerInlineControls : public QWidget {
  Q_OBJECT
 public:
  explicit PlayerInlineControls(QWidget* parent = nullptr);

  // Shows a position and a length in seconds; leaves the scrubber alone
  // while the user holds it.
  void updateWithTime(double current, double total, bool playing);

  QToolButton* playPauseButton() const { return playPauseButton_; }
  QLabel* positionLabel() const { return positionLabel_; }
  QLabel* lengthLabel() const { return lengthLabel_; }
  QSlider* scrubber() const { return scrubber_; }
  bool isScrubbing() const;

  // "0:07", "12:34", "1:02:03".
  static QString timeText(double seconds);

 signals:
  void playPauseClicked();
  void scrubBegan();
  // The user moved the scrubber to `progress` (0..1).
  void scrubbed(float progress);
  void scrubEnded();

 private:
  QToolButton* playPauseButton_;
  QLabel* positionLabel_;
  QSlider* scrubber_;
  QLabel* lengthLabel_;
};

}  // namespace dashcard
