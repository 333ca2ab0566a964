#include "core/common/path_text.h"

namespace dashcard::path_text {
namespace {

QStringView trimmed(QStringView view) {
  while (view.size() > 1 && view.endsWith(u'/')) {
    view.chop(1);
  }
  return view;
}

// Position of the dot that starts the extension of the last component, or -1.
qsizetype extensionDot(QStringView view) {
  const qsizetype slash = view.lastIndexOf(u'/');
  const qsizetype dot = view.lastIndexOf(u'.');
  if (dot <= slash + 1 || dot == view.size() - 1) {
    return -1;
  }
  return dot;
}

}  // namespace

QStringView lastPathComponentView(QStringView path) {
  const QStringView view = trimmed(path);
  const qsizetype slash = view.lastIndexOf(u'/');
  if (slash < 0 || view.size() == 1) {
    return view;
  }
  return view.mid(slash + 1);
}

QStringView deletingLastPathComponentView(QStringView path) {
  const QStringView view = trimmed(path);
  const qsizetype slash = view.lastIndexOf(u'/');
  if (slash < 0 || (slash == 0 && view.size() == 1)) {
    return {};
  }
  return slash == 0 ? view.first(1) : view.left(slash);
}

QStringView deletingPathExtensionView(QStringView path) {
  const QStringView view = trimmed(path);
  const qsizetype dot = extensionDot(view);
  return dot < 0 ? view : view.left(dot);
}

QString lastPathComponent(const QString& path) { return lastPathComponentView(path).toString(); }

QString deletingLastPathComponent(const QString& path) { return deletingLastPathComponentView(path).toString(); }

QString pathExtension(const QString& path) {
  const QStringView view = trimmed(path);
  const qsizetype dot = extensionDot(view);
  return dot < 0 ? QString() : view.mid(dot + 1).toString();
}

QString deletingPathExtension(const QString& path) { return deletingPathExtensionView(path).toString(); }

void spellAppendingPathComponent(QString& out, QStringView directory, QStringView component) {
  out.resize(0);
  if (directory.isEmpty()) {
    out += component;
    return;
  }
  out += directory;
  if (component.isEmpty()) {
    return;
  }
  const bool slashBefore = directory.endsWith(u'/');
  const bool slashAfter = component.startsWith(u'/');
  if (slashBefore && slashAfter) {
    out += component.mid(1);
    return;
  }
  if (!slashBefore && !slashAfter) {
    out += u'/';
  }
  out += component;
}

QString appendingPathComponent(const QString& directory, const QString& component) {
  // Either side alone is returned as it is, sharing its text.
  if (directory.isEmpty()) {
    return component;
  }
  if (component.isEmpty()) {
    return directory;
  }
  QString joined;
  joined.reserve(directory.size() + component.size() + 1);
  spellAppendingPathComponent(joined, directory, component);
  return joined;
}

}  // namespace dashcard::path_text
