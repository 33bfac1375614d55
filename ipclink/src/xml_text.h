// The text form of a message document, built from its tree so that the bytes do not depend on
// how the platform's DOM chooses to indent: elements back to back, empty elements as "<A .../>",
// no declaration, and a closing carriage return and line feed after the root element.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace brevan::ipclink {

struct XmlNode {
  enum class Kind { Element, Text, CData, Comment, ProcessingInstruction };
  Kind kind = Kind::Element;
  std::u16string name;  // element name or processing-instruction target
  std::u16string text;  // text, CDATA, comment or instruction content
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
  std::vector<XmlNode> children;
};

// The piece NAME = VALUE: an empty element NAME whose one attribute NAME holds VALUE.
XmlNode pieceElement(const std::u16string& name, const std::u16string& value);

std::u16string escapeAttribute(const std::u16string& value);
std::u16string escapeText(const std::u16string& value);

// Serialised document: the root element followed by "\r\n"; an empty text for no root.
std::u16string serialiseDocument(const XmlNode* root);

// Value encodings of pieces.
std::u16string encodeInt(int value);
std::u16string encodeBool(bool value);
int decodeInt(const std::u16string& text);    // leading "%d"-style number, 0 when none
bool decodeBool(const std::u16string& text);  // "TRUE" in any case

}  // namespace brevan::ipclink
