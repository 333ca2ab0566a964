#include "support/temp_card.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
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

bool writeClips(const QString& path, const QList<SampleClip>& clips) {
  QJsonArray list;
  for (const SampleClip& clip : clips) {
    list.append(QJsonObject{{QStringLiteral("folder"), clip.folder},
                            {QStringLiteral("front"), clip.frontPath},
                            {QStringLiteral("rear"), clip.rearPath},
                            {QStringLiteral("telemetry"), clip.telemetryPath},
                            {QStringLiteral("start"), clip.start.toString(Qt::ISODateWithMs)},
                            {QStringLiteral("seconds"), clip.seconds}});
  }
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(list).toJson()) > 0 && file.commit();
}

std::optional<QList<SampleClip>> readClips(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
  if (!document.isArray()) return std::nullopt;
  QList<SampleClip> clips;
  for (const QJsonValue& value : document.array()) {
    const QJsonObject object = value.toObject();
    clips.append({object.value(QStringLiteral("folder")).toString(), object.value(QStringLiteral("front")).toString(),
                  object.value(QStringLiteral("rear")).toString(), object.value(QStringLiteral("telemetry")).toString(),
                  QDateTime::fromString(object.value(QStringLiteral("start")).toString(), Qt::ISODateWithMs),
                  object.value(QStringLiteral("seconds")).toInt()});
  }
  return clips;
}
}  // namespace

TempCard::TempCard(SampleCardOptions options) : dir_(std::make_unique<QTemporaryDir>()) {
  if (!dir_->isValid()) {
    error_ = QStringLiteral("no temporary folder");
    return;
  }
  root_ = dir_->path();
  ok_ = make(options);
}

bool TempCard::make(const SampleCardOptions& options) {
  SampleCardMaker maker(withJobs(options));
  if (!maker.make(root_, &error_)) return false;
  clips_ = maker.clips();
  return true;
}

TempCard::TempCard(const SampleCardOptions& options, const QString& store) {
  // One card per build of the program: a new build may make other cards.
  const QFileInfo program(QCoreApplication::applicationFilePath());
  const QString stamp = QString::number(program.lastModified().toMSecsSinceEpoch());
  const QString name = QStringLiteral("%1-%2-%3-%4-%5")
                           .arg(program.fileName())
                           .arg(options.clips)
                           .arg(options.clipSeconds)
                           .arg(options.encodeVideos)
                           .arg(stamp);
  const QDir folder(store);
  if (!folder.mkpath(QStringLiteral("."))) {
    error_ = QStringLiteral("cannot create %1").arg(store);
    return;
  }
  // Cases running side by side wait for the one making the card.
  QLockFile lock(folder.filePath(name + QStringLiteral(".lock")));
  lock.setStaleLockTime(0);
  if (!lock.lock()) {
    error_ = QStringLiteral("cannot lock %1").arg(lock.fileName());
    return;
  }
  root_ = folder.filePath(name);
  // The list of clips is written last: without it the card is unfinished.
  const QString list = root_ + QStringLiteral(".json");
  if (std::optional<QList<SampleClip>> clips = readClips(list)) {
    clips_ = std::move(*clips);
    ok_ = true;
    return;
  }
  // Cards of earlier builds go.
  for (const QFileInfo& old : folder.entryInfoList({program.fileName() + QStringLiteral("-*")}, QDir::AllEntries)) {
    if (old.fileName().contains(u'-' + stamp)) continue;
    if (old.isDir()) {
      QDir(old.filePath()).removeRecursively();
    } else {
      QFile::remove(old.filePath());
    }
  }
  QDir(root_).removeRecursively();
  ok_ = make(options) && writeClips(list, clips_);
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
    slot.reset(new TempCard(options, QStringLiteral(DASHCARD_TEST_CARDS)));
  }
  return *slot;
}

}  // namespace dashcard::test
