#include "core/playback/player_click_counter.h"

namespace dashcard {

PlayerClickCounter::PlayerClickCounter(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setInterval(kDoubleClickDelayMs);
  connect(&timer_, &QTimer::timeout, this, &PlayerClickCounter::doubleClick);
}

void PlayerClickCounter::mouseUp(int clickCount) {
  switch (clickCount) {
    case 1:
      emit singleClick();
      break;
    case 2:
      timer_.start();
      break;
    case 3:
      timer_.stop();
      emit fullScreenControl();
      break;
    default:
      break;
  }
}

void PlayerClickCounter::cancelOperation() { emit fullScreenControl(); }

}  // namespace dashcard
