#pragma once

#include "core/catalogue/dcf_info.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace dashcard {

// The rows of a recording list: event kind, protection, thumbnail, name and
// date of each recording. The protection flag is read from the disk once per
// reload, not on every paint.
class DCFInfoTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { EventColumn, ProtectColumn, ThumbnailColumn, NameColumn, ColumnCount };
  enum Role { DCFNameRole = Qt::UserRole + 1, DCFDateRole, ThumbnailPathRole };
  static constexpr QSize kThumbnailSize{96, 54};
  // The event and lock marks: their narrow columns would cut them at the
  // thumbnails' icon size.
  static constexpr QSize kMarkSize{18, 18};

  explicit DCFInfoTableModel(QObject* parent = nullptr);

  void setDCFInfos(const DCFInfoList& infos);
  const DCFInfoList& dcfInfos() const { return infos_; }
  DCFInfoPtr dcfAt(int row) const;
  int rowOf(const DCFInfoPtr& dcf) const;
  // Repaints the row of `dcf` (its thumbnail or protection changed).
  void refresh(const DCFInfoPtr& dcf);
  // Shows the start times moved back by the camera clock's offset from GPS
  // time (0: the camera's own times, as in the names, which never change).
  void setClockCorrection(double seconds);
  double clockCorrection() const { return clockCorrection_; }
  // The start time shown for `dcf`.
  QString dateText(const DCFInfo& dcf) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  DCFInfoList infos_;
  QList<bool> protectedFlags_;
  double clockCorrection_ = 0.0;
  // Made on first use, not per painted row: each is an SVG or a style
  // lookup (a tenth of the window's start on a card of damaged clips).
  mutable QPixmap noThumbnail_;
  mutable QIcon damageIcon_;
};

}  // namespace dashcard
