#pragma once

#include "core/catalogue/card_scanner.h"
#include "core/catalogue/sample_card_maker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace dashcard::test {

// Writes `data` to `root`/`relative`, making the folders on the way.
inline bool writeFileAt(const QString& root, const QString& relative, const QByteArray& data = {}) {
  const QString path = QDir(root).filePath(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline DCFInfoList scanRecordings(const QString& root) { return CardScanner().scan(root).recordings; }

// A small front-only card whose last clip a power loss cut (no index).
inline SampleCardOptions powerCutCardOptions(int clips) {
  SampleCardOptions options;
  options.clips = clips;
  options.clipSeconds = 2;
  options.rear = false;
  options.powerLossClip = true;
  return options;
}

// Every file under `root` with its hash: what a command must leave unchanged.
inline QMap<QString, QByteArray> fingerprint(const QString& root) {
  QMap<QString, QByteArray> files;
  for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
    const QString path = it.next();
    QFile file(path);
    files[path] = file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                                 : QByteArray("unreadable");
  }
  return files;
}

// A sample card in a temporary folder, removed with the object.
class TempCard {
 public:
  explicit TempCard(SampleCardOptions options = {});
  bool ok() const { return ok_; }
  const QString& error() const { return error_; }
  QString root() const { return root_; }
  QString path(const QString& relative) const { return QDir(root_).filePath(relative); }
  const QList<SampleClip>& clips() const { return clips_; }
  // The first clip whose front video a power loss cut; null when none.
  const SampleClip* firstCutClip() const {
    const auto clip =
        std::find_if(clips_.begin(), clips_.end(), [](const SampleClip& c) { return c.frontCutByPowerLoss; });
    return clip != clips_.end() ? &*clip : nullptr;
  }

 private:
  friend const TempCard& sharedCard(int clips, int clipSeconds, bool encodeVideos);
  // The card of `options` kept in `store` between runs of this program.
  TempCard(const SampleCardOptions& options, const QString& store);
  bool make(const SampleCardOptions& options);

  std::unique_ptr<QTemporaryDir> dir_;
  QString root_;
  QList<SampleClip> clips_;
  bool ok_ = false;
  QString error_;
};

// A test fixture with one card per test. Override options() for another card.
class SampleCardTest : public ::testing::Test {
 protected:
  virtual SampleCardOptions options() const { return {}; }
  void SetUp() override;
  std::unique_ptr<TempCard> card;
};

// Small cards are made once per build of a test executable and shared by
// its cases, which run in processes of their own: making videos is the
// slowest part of most tests. Callers must not change the card.
const TempCard& sharedCard(int clips = 6, int clipSeconds = 3, bool encodeVideos = true);

}  // namespace dashcard::test
