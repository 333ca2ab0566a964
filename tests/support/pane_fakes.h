#pragma once

// The fake panes of the controller tests: each records what it is told in
// its own fields and, when given one, in a log shared by all panes of a test,
// in order, as "<pane>.<call>[ argument]".

#include "core/catalogue/custom_point_annotation.h"
#include "core/playback/media_controller.h"
#include "core/playback/panes.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace dashcard::test {

using PaneLog = QStringList;

// The shared log of one pane; nothing is logged until logTo() is called.
class LoggedPane {
 public:
  void logTo(PaneLog* log, const QString& name) {
    log_ = log;
    name_ = name;
  }

 protected:
  void record(const QString& call) const {
    if (log_) log_->append(name_ + u'.' + call);
  }
  PaneLog* log_ = nullptr;
  QString name_;
};

// A task sheet; pressButton() is the user's click on Cancel / Finish.
class FakeSheet : public ProgressSheet, public LoggedPane {
 public:
  void setProgress(float value) override { progress = value; }
  void setInfoLabelText(const QString& text) override { texts << text; }
  void setSucceeded(bool value) override { succeeded = value; }
  void setCloseClickBlock(CloseHandler handler) override { close = std::move(handler); }
  void dismiss() override {
    dismissed = true;
    record(QStringLiteral("dismiss"));
  }
  void pressButton() { close(this); }
  // The task reported its end (the last item's report may reach 1.0 before the end text).
  bool ended() const {
    static const QStringList kEndTexts = {QStringLiteral("KML/KMZ export is complete"),
                                          QStringLiteral("An error occurred when writing data"),
                                          QStringLiteral("Backup is complete"),
                                          QStringLiteral("An error occurred during backup")};
    return progress >= 1.0f && !texts.isEmpty() && kEndTexts.contains(texts.last());
  }

  float progress = 0.0f;
  bool succeeded = true;
  QStringList texts;
  CloseHandler close;
  bool dismissed = false;
};

// A list that, like the real one, turns its selection into the current
// recording of `controller` when it has one (without the real list's 0.1 s
// settling delay), and presents fake task sheets.
class FakeList : public RecordingListPane, public LoggedPane {
 public:
  explicit FakeList(MediaController* controller = nullptr, int code = 0) : controller_(controller), code_(code) {}
  void reloadDCFInfo(const DCFInfoList& infos) override {
    rows = infos;
    record(QStringLiteral("reload %1").arg(infos.size()));
  }
  void reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList& all) override {
    rows = infos;
    record(QStringLiteral("reload %1/%2").arg(infos.size()).arg(all.size()));
  }
  void reloadDCFInfo(const PictureInfoList& pictures) override {
    record(QStringLiteral("reloadPictures %1").arg(pictures.size()));
  }
  void selectFirstItem() override {
    record(QStringLiteral("selectFirstItem"));
    if (!rows.isEmpty()) select(rows.first());
  }
  void selectCurrentDCF(const DCFInfoPtr& info) override {
    record(QStringLiteral("select ") + info->deltaPath());
    selected = {info};
  }
  void selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) override {
    record(QStringLiteral("selectNext"));
    ++nextRequests;
    if (rows.isEmpty()) return;
    const qsizetype i = rows.indexOf(info);
    select(rows.at(i < 0 || i + 1 >= rows.size() ? 0 : i + 1));
  }
  void deselection() override {
    record(QStringLiteral("deselection"));
    selected.clear();
  }
  void focusCurrentDCF() override {
    record(QStringLiteral("focus"));
    ++focuses;
  }
  DCFInfoList selectedDCFInfos() const override { return selected; }
  ProgressSheet* presentProgressSheet() override {
    record(QStringLiteral("sheet"));
    sheets.push_back(std::make_unique<FakeSheet>());
    if (log_) sheets.back()->logTo(log_, name_ + QStringLiteral(".sheet"));
    return sheets.back().get();
  }

  void playbackDidStop(const QString& reason) override {
    record(QStringLiteral("stopped"));
    stopReasons.append(reason);
  }

  void select(const DCFInfoPtr& info) {
    selected = {info};
    if (controller_) controller_->catalogue()->updateCurrentDCF(info, code_, nullptr);
  }

  DCFInfoList rows, selected;
  QStringList stopReasons;
  int nextRequests = 0, focuses = 0;
  std::vector<std::unique_ptr<FakeSheet>> sheets;

 private:
  MediaController* controller_;
  int code_;
};

class FakeTabs : public TabPane, public LoggedPane {
 public:
  void tabViewIsActive(bool a) override {
    active = a;
    record(QStringLiteral("active %1").arg(a));
  }
  int selectedTabViewItemIndex() const override { return index; }
  void setSelectedTabViewItemIndex(int i) override {
    index = i;
    ++changes;
    record(QStringLiteral("select %1").arg(i));
  }
  bool active = false;
  int index = 0, changes = 0;
};

// A player whose numbers the test sets; it records what it is told.
class FakePlayer : public PlayerPane, public LoggedPane {
 public:
  void resetZoomPlayerView() override { call(QStringLiteral("reset")); }
  void playWithPath(const QString& path) override { playWithPath(path, {}, {}, {}); }
  void playWithPath(const QString& path, Handler willStart, Handler progressHandler, Handler didStop) override {
    call("load " + path);
    loadedPath = path;
    willStartPlay = std::move(willStart);
    progressBlock = std::move(progressHandler);
    didStopPlaying = std::move(didStop);
    didError = {};
  }
  void playWithPath(const QString& path, Handler willStart, Handler progressHandler, Handler didStop,
                    Handler didFail) override {
    playWithPath(path, std::move(willStart), std::move(progressHandler), std::move(didStop));
    didError = std::move(didFail);
  }
  void showImageWithPath(const QString& path) override { call("image " + path); }
  void play() override {
    call(QStringLiteral("play"));
    playing = true;
  }
  void pause() override {
    call(QStringLiteral("pause"));
    playing = false;
  }
  void mutePlay() override {
    call(QStringLiteral("mutePlay"));
    playing = true;
  }
  bool isPlaying() const override { return playing; }
  void setCurrentProgress(float p) override {
    call(QStringLiteral("seek %1").arg(p));
    seeks << p;
    progressValue = std::clamp(p, 0.0F, 1.0F);
  }
  float progress() const override { return progressValue; }
  double totalTime() const override { return length / rate; }
  double originalTotalTime() const override { return length; }
  double originalCurrentTime() const override { return length * static_cast<double>(progressValue); }
  double playbackRate() const override { return rate; }
  void updatePlaybackRate(double r) override {
    call(QStringLiteral("rate %1").arg(r));
    rate = r;
  }
  void audioMuteEnable(bool m) override { muted = m; }
  bool muteState() const override { return muted; }

  // The loaded item starts / ticks.
  void start() const {
    if (willStartPlay) willStartPlay();
  }
  void tick() const {
    if (progressBlock) progressBlock();
  }
  int count(const QString& prefix) const {
    int n = 0;
    for (const QString& c : calls) n += c.startsWith(prefix) ? 1 : 0;
    return n;
  }

  QStringList calls;
  QList<float> seeks;
  QString loadedPath;
  Handler willStartPlay, progressBlock, didStopPlaying, didError;
  bool playing = false;
  float progressValue = 0.0F;
  double length = 60.0;
  double rate = 1.0;
  bool muted = false;

 private:
  void call(const QString& text) {
    calls << text;
    record(text);
  }
};

class FakeSplit : public PlayerSplitPane, public LoggedPane {
 public:
  void setupDividerWithSecondaryPlayerEnable(bool enable) override {
    secondary = enable;
    record(QStringLiteral("secondary %1").arg(enable));
  }
  bool secondary = false;
};

// What the panes that observe a window's catalogue and clock hear: each
// moment with its recording, the walk's parses and end, pictures shown alone.
class WindowNews : public LoggedPane {
 public:
  explicit WindowNews(MediaController& controller) {
    QObject::connect(controller.clock(), &PlaybackClock::momentDidChange, &context_,
                     [this](const TelemetryMoment& moment, const DCFInfoPtr& info) {
                       moments << moment;
                       momentInfos << info;
                       record(QStringLiteral("moment %1").arg(moment.fraction));
                     });
    const RecordingCatalogue* catalogue = controller.catalogue();
    QObject::connect(catalogue, &RecordingCatalogue::recordingDidParse, &context_,
                     [this](const DCFInfoPtr& info) { parsed << info; });
    QObject::connect(catalogue, &RecordingCatalogue::walkDidFinish, &context_, [this] { ++walkEnds; });
    QObject::connect(catalogue, &RecordingCatalogue::pictureWithoutDCFChosen, &context_,
                     [this](const PictureInfoPtr& picture) {
                       alone << picture;
                       record(QStringLiteral("alone"));
                     });
  }
  QList<TelemetryMoment> moments;
  DCFInfoList momentInfos;
  DCFInfoList parsed;
  int walkEnds = 0;
  PictureInfoList alone;

 private:
  QObject context_;
};

}  // namespace dashcard::test
