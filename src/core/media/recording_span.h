#pragma once

#include "core/catalogue/dcf_info.h"

#include <QDateTime>

#include <utility>

namespace dashcard {

// Which recordings cover a span of time. A clip's end needs its length,
// which the scan does not read: it is read here from the video's index
// (box headers, no decoder), so the light command-line program can choose
// a span's clips as the export and the report do.
class RecordingSpan {
 public:
  // The recordings of `all` whose video covers part of [from, to], in time
  // order. Empty when nothing does.
  static DCFInfoList recordingsInSpan(const DCFInfoList& all, const QDateTime& from, const QDateTime& to);
  // The whole span of the given recordings (first start to last end);
  // invalid dates for an empty list.
  static std::pair<QDateTime, QDateTime> spanOf(const DCFInfoList& recordings);

  // A clip whose length is not known yet is taken to last until the next
  // recording starts, at most kAssumedClipSeconds after its start when none
  // follows closely.
  static constexpr double kAssumedClipSeconds = 60.0;
  // A recording learns its length when it plays; the span's arithmetic needs
  // it before. Reads it from the video's index (stored in the recording)
  // for the recordings without one that start in [from - lookBackSeconds,
  // to], the only ones that can cover the span. A missing video counts as a
  // single instant and so drops out; a damaged one keeps its assumed length.
  static void learnLengths(const DCFInfoList& all, const QDateTime& from, const QDateTime& to,
                           qint64 lookBackSeconds = kLongestClipSeconds);
  static constexpr qint64 kLongestClipSeconds = 3600;
  // recordingsInSpan after learnLengths; reads files, so not on the main
  // thread for a large card.
  static DCFInfoList readRecordingsInSpan(const DCFInfoList& all, const QDateTime& from, const QDateTime& to);
};

}  // namespace dashcard
