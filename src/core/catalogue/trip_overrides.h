#pragma once

#include "core/catalogue/dcf_info.h"

#include <QString>
#include <QStringList>

namespace dashcard {

// The user's corrections to a card's trips: boundaries removed (two
// adjacent trips merged) and added (a trip split at a recording), each
// named by the recording that starts the later part (its path relative to
// the card). Kept in the application's data folder per card, never on the card.
class TripOverrides {
 public:
  // Recordings that no longer start a trip, and that always do.
  const QStringList& joins() const { return joins_; }
  const QStringList& breaks() const { return breaks_; }
  bool isEmpty() const { return joins_.isEmpty() && breaks_.isEmpty(); }

  // Merges the trip that `recording` starts into the one before it.
  void merge(const QString& recording);
  // Starts a new trip at `recording`.
  void split(const QString& recording);
  // Whether a boundary before `recording` stands, given the automatic choice.
  bool startsTrip(const QString& recording, bool automatic) const;

  // The card's identity: "uuid:<UUID>" when `rootPath` is the root of a
  // mounted volume with one, else "path:<root>|<first recording's name>".
  static QString cardIdentity(const QString& rootPath, const DCFInfoList& recordings);
  // <application data folder>/trips.
  static QString defaultFolder();
  // The overrides saved for `identity` in `folder`; none when there is no
  // file, or it is unreadable, too big or not ours.
  static TripOverrides load(const QString& folder, const QString& identity);
  // Writes atomically (the folder is made when missing).
  bool save(const QString& folder, const QString& identity, QString* error = nullptr) const;

 private:
  QStringList joins_;
  QStringList breaks_;
};

}  // namespace dashcard
