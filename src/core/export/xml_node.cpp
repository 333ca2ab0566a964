#include "core/export/xml_node.h"

#include <cstring>

namespace dashcard {
namespace {

void appendEscaped(QByteArray& out, const QByteArray& text, bool attribute) {
  const char* p = text.constData();
  const char* const end = p + text.size();
  while (p < end) {
    // Runs of plain bytes go in one piece: most texts are all plain.
    const char* run = p;
    while (p < end && *p != '&' && *p != '<' && *p != '>' && *p != '\r' && *p != '\n' && !(attribute && *p == '"')) {
      ++p;
    }
    out.append(run, p - run);
    if (p == end) {
      break;
    }
    switch (*p) {
      case '&':
        out.append("&amp;", 5);
        break;
      case '<':
        out.append("&lt;", 4);
        break;
      case '>':
        out.append("&gt;", 4);
        break;
      case '"':
        out.append("&quot;", 6);
        break;
      case '\r':
        // Every line break of the file is CR LF, also inside texts.
        if (p + 1 < end && p[1] == '\n') {
          ++p;
        }
        out.append("\r\n", 2);
        break;
      default:
        out.append("\r\n", 2);
        break;  // '\n'
    }
    ++p;
  }
}

void appendIndent(QByteArray& out, int count) {
  static const char spaces[] = "                                                                ";
  constexpr int chunk = static_cast<int>(sizeof spaces) - 1;
  for (; count > chunk; count -= chunk) {
    out.append(spaces, chunk);
  }
  out.append(spaces, count);
}

// An upper bound of the written size, so the document is allocated once.
qsizetype sizeBound(const XmlNode& node, int depth, int indent) {
  qsizetype size = depth * indent + 2 * node.name.size() + 8 + node.text.size() * 2;
  for (const auto& [name, value] : node.attributes) {
    size += name.size() + value.size() * 6 + 4;
  }
  for (const XmlNode& child : node.children) {
    size += sizeBound(child, depth + 1, indent);
  }
  size += node.rawChildren.size() + node.rawChildren.count('\n') * (depth + 1) * indent;
  return size + depth * indent;
}

// Hands the written bytes on once they pass this size (streamed documents).
constexpr qsizetype kFlushBytes = 256 * 1024;

void write(QByteArray& out, const XmlNode& node, int depth, int indent, const XmlNode::Sink* sink) {
  const auto flushIfFull = [&] {
    if (sink != nullptr && out.size() >= kFlushBytes) {
      (*sink)(out.constData(), out.size());
      out.resize(0);
    }
  };
  appendIndent(out, depth * indent);
  out.append('<').append(node.name);
  for (const auto& [name, value] : node.attributes) {
    out.append(' ').append(name).append("=\"");
    appendEscaped(out, value, true);
    out.append('"');
  }
  if (node.children.empty() && node.text.isEmpty() && node.rawChildren.isEmpty()) {
    out.append("/>\r\n");
    return;
  }
  out.append('>');
  appendEscaped(out, node.text, false);
  if (!node.children.empty() || !node.rawChildren.isEmpty()) {
    out.append("\r\n");
    for (const XmlNode& child : node.children) {
      write(out, child, depth + 1, indent, sink);
    }
    const char* raw = node.rawChildren.constData();
    const char* end = raw + node.rawChildren.size();
    while (raw < end) {
      const char* lineEnd = static_cast<const char*>(std::memchr(raw, '\n', static_cast<size_t>(end - raw)));
      lineEnd = lineEnd == nullptr ? end : lineEnd + 1;
      appendIndent(out, (depth + 1) * indent);
      out.append(raw, lineEnd - raw);
      raw = lineEnd;
      flushIfFull();
    }
    appendIndent(out, depth * indent);
  }
  out.append("</").append(node.name).append(">\r\n");
  flushIfFull();
}

}  // namespace

void XmlNode::appendElementLine(QByteArray& out, const QByteArray& name, const QByteArray& text,
                                const QByteArray& attributes) {
  out.append('<').append(name);
  if (!attributes.isEmpty()) {
    out.append(' ').append(attributes);
  }
  out.append('>');
  appendEscaped(out, text, false);
  out.append("</").append(name).append(">\r\n");
}

const XmlNode* XmlNode::child(const QByteArray& childName) const {
  for (const XmlNode& node : children) {
    if (node.name == childName) {
      return &node;
    }
  }
  return nullptr;
}

QByteArray XmlNode::attribute(const QByteArray& attributeName) const {
  for (const auto& [key, value] : attributes) {
    if (key == attributeName) {
      return value;
    }
  }
  return {};
}

QByteArray XmlNode::prettyPrintedDocument(const XmlNode& root, int indent) {
  QByteArray out;
  out.reserve(sizeBound(root, 0, indent) + 64);
  out.append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
  write(out, root, 0, indent, nullptr);
  return out;
}

void XmlNode::writeDocument(const XmlNode& root, const Sink& sink, int indent) {
  QByteArray out;
  out.reserve(kFlushBytes + 64 * 1024);
  out.append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
  write(out, root, 0, indent, &sink);
  if (!out.isEmpty()) {
    sink(out.constData(), out.size());
  }
}

}  // namespace dashcard
