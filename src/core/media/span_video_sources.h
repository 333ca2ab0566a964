#pragma once

#include "core/catalogue/dcf_info.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace dashcard {

// Where the videos of a span are read from, for every product made of a
// span (the video export, the report): a damaged video's repaired copy when
// there is one; a damaged video without one is left out and its time stays
// a gap, with a warning naming it. Not thread-safe: one per run.
class SpanVideoSources {
 public:
  // Damaged video -> its repaired copy.
  explicit SpanVideoSources(QHash<QString, QString> repairedCopies = {});

  // The file read for `video`: its repaired copy, else itself.
  QString source(const QString& video) const { return repairedCopies_.value(video, video); }
  // Why `video` cannot be read ("NAME (reason)"): a damaged video without a
  // repaired copy; empty when it can, or when `video` is empty. The box
  // headers are looked at once per video.
  QString damage(const QString& video);
  // The first of `videos` that cannot be read, as damage() says it.
  QString damage(const QStringList& videos);
  // The warning for a recording left out: `why` from damage(), `product`
  // what it is missing from ("export", "report").
  static QString gapWarning(const QString& why, const QString& product);
  // A recording whose length is not known yet but whose video (front, or
  // rear with `rear`) has a repaired copy takes the copy's length, so the
  // span's arithmetic places it like a healthy one.
  void learnCopyLengths(const DCFInfoList& recordings, bool rear) const;

 private:
  QHash<QString, QString> repairedCopies_;
  QHash<QString, QString> damage_;
};

}  // namespace dashcard
