#pragma once

#include <QString>
#include <QStringView>

namespace dashcard::path_text {

// Path texts handled as text only (no disk access), the way the card's
// names are built: "/" separated, trailing slashes ignored.
QString lastPathComponent(const QString& path);
QString deletingLastPathComponent(const QString& path);
// The extension after the last dot of the last component; empty when none.
QString pathExtension(const QString& path);
QString deletingPathExtension(const QString& path);
QString appendingPathComponent(const QString& directory, const QString& component);
// The same, written into `out` (its old text replaced, its room kept).
void spellAppendingPathComponent(QString& out, QStringView directory, QStringView component);

// The same cuts as views into `path`, for code that only looks at the
// pieces (the scan takes ten thousand paths apart).
QStringView lastPathComponentView(QStringView path);
QStringView deletingLastPathComponentView(QStringView path);
QStringView deletingPathExtensionView(QStringView path);

}  // namespace dashcard::path_text
