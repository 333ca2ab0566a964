#pragma once

#include <QByteArray>

#include <functional>

#include <utility>
#include <vector>

namespace dashcard {

// The one XML writer: the element tree of the documents we write (KML,
// GPX). Names, attribute values and texts are UTF-8 and unescaped; the
// writer escapes them.
struct XmlNode {
  QByteArray name;
  std::vector<std::pair<QByteArray, QByteArray>> attributes;
  QByteArray text;
  std::vector<XmlNode> children;
  // Children already written (one element per CR LF line, not indented),
  // after `children`: large uniform lists skip a node per element.
  QByteArray rawChildren;

  XmlNode() = default;
  explicit XmlNode(QByteArray elementName, QByteArray elementText = {})
      : name(std::move(elementName)), text(std::move(elementText)) {}

  XmlNode& addAttribute(QByteArray attributeName, QByteArray value) {
    attributes.emplace_back(std::move(attributeName), std::move(value));
    return *this;
  }
  XmlNode& addChild(XmlNode child) {
    children.push_back(std::move(child));
    return children.back();
  }
  // The first child named `childName`, or null.
  const XmlNode* child(const QByteArray& childName) const;
  QByteArray attribute(const QByteArray& attributeName) const;

  bool operator==(const XmlNode& other) const = default;

  // The document: an XML declaration with version and encoding only, then
  // the tree, one element per line, children indented by `indent` blanks,
  // every line ended by CR LF.
  static QByteArray prettyPrintedDocument(const XmlNode& root, int indent = 4);
  // The same text handed to `sink` in pieces of a few hundred kilobytes, for
  // documents too large to be worth holding whole in memory.
  using Sink = std::function<void(const char* data, qsizetype size)>;
  static void writeDocument(const XmlNode& root, const Sink& sink, int indent = 4);
  // Appends `<name attributes>text</name>` and CR LF to `out` as the
  // document writer would (for rawChildren).
  static void appendElementLine(QByteArray& out, const QByteArray& name, const QByteArray& text,
                                const QByteArray& attributes = {});
};

}  // namespace dashcard
