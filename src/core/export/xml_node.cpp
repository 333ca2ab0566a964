#include "core/export/xml_node.h"

#include <cstring>

namespace dashcard {
namespace {

void appendEscaped(QByteArray& out, const QByteArray& text, bool attribute) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text.at(i);
    switch (c) {
      case '&': out.append("&amp;"); break;
      case '<': out.append("&lt;"); break;
      case '>': out.append("&gt;"); break;
      case '"':
        if (attribute) {
          out.append("&quot;");
        } else {
          out.append(c);
        }
        break;
      case '\r':
        // Every line break of the file is CR LF, also inside texts.
        if (i + 1 < text.size() && text.at(i + 1) == '\n') {
          ++i;
        }
        out.append("\r\n");
        break;
      case '\n': out.append("\r\n"); break;
      default: out.append(c);
    }
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

void write(QByteArray& out, const XmlNode& node, int depth, int indent) {
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
      write(out, child, depth + 1, indent);
    }
    const char* raw = node.rawChildren.constData();
    const char* end = raw + node.rawChildren.size();
    while (raw < end) {
      const char* lineEnd = static_cast<const char*>(std::memchr(raw, '\n', static_cast<size_t>(end - raw)));
      lineEnd = lineEnd == nullptr ? end : lineEnd + 1;
      appendIndent(out, (depth + 1) * indent);
      out.append(raw, lineEnd - raw);
      raw = lineEnd;
    }
    appendIndent(out, depth * indent);
  }
  out.append("</").append(node.name).append(">\r\n");
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
  write(out, root, 0, indent);
  return out;
}

}  // namespace dashcard
