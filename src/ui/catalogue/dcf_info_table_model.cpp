#include "ui/catalogue/dcf_info_table_model.h"

#include "ui/catalogue/event_image_transformer.h"
#include "ui/catalogue/file_lock_image_transformer.h"
#include "ui/catalogue/image_transformer.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>

#include <cmath>

namespace dashcard {

namespace {
// A mark drawn at its own size, not at the view's icon size.
QVariant mark(const QIcon& icon) {
  if (icon.isNull()) return {};
  return icon.pixmap(DCFInfoTableModel::kMarkSize);
}
}  // namespace

DCFInfoTableModel::DCFInfoTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void DCFInfoTableModel::setDCFInfos(const DCFInfoList& infos) {
  beginResetModel();
  infos_.clear();
  protectedFlags_.clear();
  for (const DCFInfoPtr& dcf : infos) {
    if (!dcf) continue;
    infos_.append(dcf);
    // The scan has just read the lock of most recordings: asking the disk
    // again for ten thousand rows would hold up the list.
    const std::optional<bool> scanned = dcf->scannedProtection();
    protectedFlags_.append(scanned ? *scanned : dcf->isProtected());
  }
  endResetModel();
}

DCFInfoPtr DCFInfoTableModel::dcfAt(int row) const {
  return row >= 0 && row < infos_.size() ? infos_[row] : nullptr;
}

int DCFInfoTableModel::rowOf(const DCFInfoPtr& dcf) const {
  if (!dcf) return -1;
  return int(infos_.indexOf(dcf));
}

void DCFInfoTableModel::refresh(const DCFInfoPtr& dcf) {
  const int row = rowOf(dcf);
  if (row < 0) return;
  protectedFlags_[row] = dcf->isProtected();
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void DCFInfoTableModel::setClockCorrection(double seconds) {
  if (seconds == clockCorrection_) return;
  clockCorrection_ = seconds;
  if (!infos_.isEmpty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

QString DCFInfoTableModel::dateText(const DCFInfo& dcf) const {
  if (clockCorrection_ == 0.0 || !dcf.startDate().isValid()) return dcf.dcfDateString();
  return DCFInfo::displayDateString(dcf.startDate().addMSecs(-std::llround(clockCorrection_ * 1000.0)));
}

int DCFInfoTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(infos_.size());
}

int DCFInfoTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant DCFInfoTableModel::data(const QModelIndex& index, int role) const {
  const DCFInfoPtr dcf = dcfAt(index.row());
  if (!dcf) return {};
  switch (role) {
    case DCFNameRole:
      return clockCorrection_ == 0.0 ? dcf->dcfName()
                                     : dateText(*dcf) + u'\n' + DCFInfo::eventLabelForFolderName(dcf->folderName());
    case DCFDateRole:
      return dateText(*dcf);
    case ThumbnailPathRole:
      return dcf->thumbnailPath();
    default:
      break;
  }
  switch (index.column()) {
    case EventColumn:
      if (role == Qt::DecorationRole) return mark(EventImageTransformer::transformedValue(dcf->folderName()));
      if (role == Qt::ToolTipRole) return DCFInfo::eventLabelForFolderName(dcf->folderName());
      break;
    case ProtectColumn:
      if (role == Qt::DecorationRole) return mark(FileLockImageTransformer::transformedValue(protectedFlags_.value(index.row())));
      if (role == Qt::ToolTipRole && protectedFlags_.value(index.row())) return tr("Protected");
      break;
    case ThumbnailColumn:
      if (role == Qt::DecorationRole) {
        QPixmap thumbnail = ImageTransformer::transformedValue(dcf->thumbnailPath(), kThumbnailSize);
        if (!thumbnail.isNull()) return thumbnail;
        if (noThumbnail_.isNull()) {
          noThumbnail_ = QIcon(QStringLiteral(":/images/no_thumbnail.svg")).pixmap(kThumbnailSize);
        }
        return noThumbnail_;
      }
      break;
    case NameColumn:
      if (role == Qt::DisplayRole) {
        // The start time, then the event label or, for normal recordings, the file name.
        QString second = DCFInfo::eventLabelForFolderName(dcf->folderName());
        if (second.isEmpty()) second = QFileInfo(dcf->filePath()).fileName();
        return QStringLiteral("%1\n%2").arg(dateText(*dcf), second);
      }
      if (role == Qt::ToolTipRole) {
        const QString damage = dcf->damageReason();
        return damage.isEmpty() ? dcf->filePath() : QStringLiteral("%1\n%2").arg(dcf->filePath(), damage);
      }
      // A damaged clip is marked where its name is read.
      if (role == Qt::DecorationRole && !dcf->damageReason().isEmpty()) {
        if (damageIcon_.isNull()) damageIcon_ = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return damageIcon_;
      }
      break;
    default:
      break;
  }
  return {};
}

QVariant DCFInfoTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case ThumbnailColumn:
      return tr("Preview");
    case NameColumn:
      return tr("Name / Date");
    default:
      return {};
  }
}

}  // namespace dashcard
