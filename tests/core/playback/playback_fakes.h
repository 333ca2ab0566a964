#pragma once

#include "core/catalogue/custom_point_annotation.h"
#include "core/playback/media_controller.h"
#include "core/playback/panes.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dashcard::test {

// A player whose numbers the test sets; it records what it is told.
class FakePlayer : public PlayerPane {
 public:
  void resetZoomPlayerView() override { calls << "reset"; }
  void playWithPath(const QString& path) override { playWithPath(path, {}, {}, {}); }
  void playWithPath(const QString& path, Handler willStart, Handler progressHandler, Handler didStop) override {
    calls << "load " + path;
    loadedPath = path;
    willStartPlay = std::move(willStart);
    progressBlock = std::move(progressHandler);
    didStopPlaying = std::move(didStop);
  }
  void showImageWithPath(const QString& path) override { calls << "image " + path; }
  void play() override {
    calls << "play";
    playing = true;
  }
  void pause() override {
    calls << "pause";
    playing = false;
  }
  void mutePlay() override {
    calls << "mutePlay";
    playing = true;
  }
  bool isPlaying() const override { return playing; }
  void setCurrentProgress(float p) override {
    calls << QStringLiteral("seek %1").arg(p);
    seeks << p;
    progressValue = std::clamp(p, 0.0F, 1.0F);
  }
  float progress() const override { return progressValue; }
  double totalTime() const override { return length / rate; }
  double originalTotalTime() const override { return length; }
  double originalCurrentTime() const override { return length * static_cast<double>(progressValue); }
  double playbackRate() const override { return rate; }
  void updatePlaybackRate(double r) override {
    calls << QStringLiteral("rate %1").arg(r);
    rate = r;
  }
  void audioMuteEnable(bool m) override { muted = m; }
  bool muteState() const override { return muted; }

  int count(const QString& prefix) const {
    int n = 0;
    for (const QString& c : calls) n += c.startsWith(prefix) ? 1 : 0;
    return n;
  }

  QStringList calls;
  QList<float> seeks;
  QString loadedPath;
  Handler willStartPlay, progressBlock, didStopPlaying;
  bool playing = false;
  float progressValue = 0.0F;
  double length = 60.0;
  double rate = 1.0;
  bool muted = false;
};

class FakeGraph : public GraphPane {
 public:
  void drawGraphWithCurrentDCFInfo(const DCFInfoPtr& info) override {
    drawn = info;
    ++draws;
  }
  void updateProgress(float p) override { progress << p; }
  void setProgressMax(double m) override { max = m; }
  void setProgressMin(double m) override { min = m; }
  void setCurrentSpeed(double s) override { speed = s; }
  bool userControlIsActive() const override { return holding; }
  DCFInfoPtr drawn;
  int draws = 0;
  QList<float> progress;
  double max = -1, min = -1, speed = -1;
  bool holding = false;
};

class FakeMap : public MapPane {
 public:
  void reloadDCFInfo(const DCFInfoList&) override {}
  void upDateWithCenterLocation(const CustomLocation& l) override {
    centred = true;
    centre = l;
  }
  void focusMapOverlays(const PolylineList&, bool) override {}
  void addAnnotations(const AnnotationList&) override {}
  void addRouteOverlayLines(const PolylineList&) override {}
  void upDateOverlayLines(const PolylineList&) override {}
  void updateDCF(const DCFInfoPtr& info, double current, double total) override {
    lastInfo = info;
    lastCurrent = current;
    lastTotal = total;
    ++updates;
  }
  std::shared_ptr<CustomPointAnnotation> userLocation() const override { return location; }
  bool centred = false;
  CustomLocation centre;
  DCFInfoPtr lastInfo;
  double lastCurrent = -1, lastTotal = -1;
  int updates = 0;
  std::shared_ptr<CustomPointAnnotation> location;
};

// A list that, like the real one, turns its selection into the current
// recording (without the real list's 0.1 s settling delay).
class FakeList : public RecordingListPane {
 public:
  FakeList(MediaController* controller, int code) : controller_(controller), code_(code) {}
  void reloadDCFInfo(const DCFInfoList& infos) override { rows = infos; }
  void reloadDCFInfo(const DCFInfoList& infos, const DCFInfoList&) override { rows = infos; }
  void selectFirstItem() override {
    if (!rows.isEmpty()) select(rows.first());
  }
  void selectCurrentDCF(const DCFInfoPtr& info) override { selected = {info}; }
  void selectNextDCFWithCurrentDCF(const DCFInfoPtr& info) override {
    ++nextRequests;
    if (rows.isEmpty()) return;
    const qsizetype i = rows.indexOf(info);
    select(rows.at(i < 0 || i + 1 >= rows.size() ? 0 : i + 1));
  }
  void deselection() override { selected.clear(); }
  void focusCurrentDCF() override { ++focuses; }
  DCFInfoList selectedDCFInfos() const override { return selected; }

  void select(const DCFInfoPtr& info) {
    selected = {info};
    if (controller_) controller_->updateCurrentDCF(info, code_, nullptr);
  }

  DCFInfoList rows, selected;
  int nextRequests = 0, focuses = 0;

 private:
  MediaController* controller_;
  int code_;
};

class FakeTabs : public TabPane {
 public:
  void tabViewIsActive(bool a) override { active = a; }
  int selectedTabViewItemIndex() const override { return index; }
  void setSelectedTabViewItemIndex(int i) override {
    index = i;
    ++changes;
  }
  bool active = false;
  int index = 0, changes = 0;
};

// Empty video files named the way the camera names them, with chosen
// modification times.
class NamedRecordings {
 public:
  // `folder`/`name` with the file's modification time `fileDate`.
  DCFInfoPtr add(const QString& folder, const QString& name, const QDateTime& fileDate) {
    QDir(dir_.path()).mkpath(folder);
    const QString relative = folder + QLatin1Char('/') + name;
    QFile file(dir_.filePath(relative));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.flush();  // a later flush would stamp the file with the present
    EXPECT_TRUE(file.setFileTime(fileDate, QFileDevice::FileModificationTime));
    file.close();
    auto info = std::make_shared<DCFInfo>(dir_.path(), relative);
    info->setThumbnailPath(QStringLiteral("done"));  // no background parse
    return info;
  }
  QString root() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

inline QDateTime utc(int h, int m, int s, int ms = 0) {
  return QDateTime(QDate(2024, 1, 1), QTime(h, m, s, ms), Qt::UTC);
}

}  // namespace dashcard::test
