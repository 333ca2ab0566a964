#include "ui/playback/player_inline_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace dashcard {

namespace {
constexpr int kScrubberSteps = 10000;
}

PlayerInlineControls::PlayerInlineControls(QWidget* parent)
    : QWidget(parent),
      playPauseButton_(new QToolButton(this)),
      positionLabel_(new QLabel(timeText(0.0), this)),
      scrubber_(new QSlider(Qt::Horizontal, this)),
      lengthLabel_(new QLabel(timeText(0.0), this)) {
  setObjectName(QStringLiteral("inlineControls"));
  playPauseButton_->setObjectName(QStringLiteral("playPauseButton"));
  playPauseButton_->setAutoRaise(true);
  playPauseButton_->setText(QStringLiteral("\u25B6"));
  playPauseButton_->setToolTip(tr("Play/Pause"));
  scrubber_->setObjectName(QStringLiteral("scrubber"));
  scrubber_->setRange(0, kScrubberSteps);
  scrubber_->setFocusPolicy(Qt::NoFocus);
  // Fixed widths: the texts change every tick without laying the pane out again.
  const QFontMetrics metrics(positionLabel_->font());
  for (QLabel* label : {positionLabel_, lengthLabel_}) {
    label->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0:00:00")) + 6);
    label->setAlignment(Qt::AlignCenter);
  }
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 0, 4, 0);
  row->setSpacing(4);
  row->addWidget(playPauseButton_);
  row->addWidget(positionLabel_);
  row->addWidget(scrubber_, 1);
  row->addWidget(lengthLabel_);

  connect(playPauseButton_, &QToolButton::clicked, this, &PlayerInlineControls::playPauseClicked);
  connect(scrubber_, &QSlider::sliderPressed, this, &PlayerInlineControls::scrubBegan);
  connect(scrubber_, &QSlider::valueChanged, this,
          [this](int value) { emit scrubbed(static_cast<float>(value) / kScrubberSteps); });
  connect(scrubber_, &QSlider::sliderReleased, this, &PlayerInlineControls::scrubEnded);
}

bool PlayerInlineControls::isScrubbing() const { return scrubber_->isSliderDown(); }

void PlayerInlineControls::updateWithTime(double current, double total, bool playing) {
  const QString position = timeText(current);
  const QString length = timeText(total);
  if (positionLabel_->text() != position) positionLabel_->setText(position);
  if (lengthLabel_->text() != length) lengthLabel_->setText(length);
  // Glyphs like the rest of the player's bar, light on the dark theme.
  const QString glyph = playing ? QStringLiteral("\u275A\u275A") : QStringLiteral("\u25B6");
  if (playPauseButton_->text() != glyph) playPauseButton_->setText(glyph);
  if (isScrubbing()) return;
  const double fraction = total > 0.0 ? std::clamp(current / total, 0.0, 1.0) : 0.0;
  const int value = static_cast<int>(std::lround(fraction * kScrubberSteps));
  // Moves that do not reach the next pixel repaint nothing.
  const int span = std::max(1, scrubber_->width());
  if (value != 0 && value != kScrubberSteps &&
      QStyle::sliderPositionFromValue(0, kScrubberSteps, value, span) ==
          QStyle::sliderPositionFromValue(0, kScrubberSteps, scrubber_->value(), span)) {
    return;
  }
  const QSignalBlocker block(scrubber_);
  scrubber_->setValue(value);
}

QString PlayerInlineControls::timeText(double seconds) {
  const long long total = std::isfinite(seconds) && seconds > 0.0 ? static_cast<long long>(seconds) : 0;
  const long long h = total / 3600;
  const long long m = (total / 60) % 60;
  const long long s = total % 60;
  if (h > 0) {
    return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
  }
  return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

}  // namespace dashcard
