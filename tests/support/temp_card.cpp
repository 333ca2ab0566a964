#include "support/temp_card.h"

#include <QThread>

#include <map>
#include <memory>
#include <tuple>

namespace dashcard::test {

namespace {
SampleCardOptions withJobs(SampleCardOptions options) {
  options.jobs = std::max(1, QThread::idealThreadCount());
  return options;
}
}  // namespace

TempCard::TempCard(SampleCardOptions options) : maker_(withJobs(options)) {
  if (!dir_.isValid()) {
    error_ = QStringLiteral("no temporary folder");
    return;
  }
  ok_ = maker_.make(dir_.path(), &error_);
}

void SampleCardTest::SetUp() {
  card = std::make_unique<TempCard>(options());
  ASSERT_TRUE(card->ok()) << card->error().toStdString();
}

const TempCard& sharedCard(int clips, int clipSeconds, bool encodeVideos) {
  static std::map<std::tuple<int, int, bool>, std::unique_ptr<TempCard>> cards;
  auto& slot = cards[{clips, clipSeconds, encodeVideos}];
  if (!slot) {
    SampleCardOptions options;
    options.clips = clips;
    options.clipSeconds = clipSeconds;
    options.encodeVideos = encodeVideos;
    slot = std::make_unique<TempCard>(options);
  }
  return *slot;
}

}  // namespace dashcard::test
