#include "core/export/xml_node.h"

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

void write(QByteArray& out, const XmlNode& node, int depth, int indent) {
  out.append(QByteArray(depth * indent, ' '));
  out.append('<').append(node.name);
  for (const auto& [name, value] : node.attributes) {
    out.append(' ').append(name).append("=\"");
    appendEscaped(out, value, true);
    out.append('"');
  }
  if (node.children.empty() && node.text.isEmpty()) {
    out.append("/>\r\n");
    return;
  }
  out.append('>');
  appendEscaped(out, node.text, false);
  if (!node.children.empty()) {
    out.append("\r\n");
    for (const XmlNode& child : node.children) {
      write(out, child, depth + 1, indent);
    }
    out.append(QByteArray(depth * indent, ' '));
  }
  out.append("</").append(node.name).append(">\r\n");
}

}  // namespace

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
  out.reserve(1 << 16);
  out.append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
  write(out, root, 0, indent);
  return out;
}

}  // namespace dashcard
