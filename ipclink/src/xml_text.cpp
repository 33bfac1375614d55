#include "xml_text.h"

#include <climits>

#include "text_format.h"

namespace brevan::ipclink {
namespace {

std::u16string escape(const std::u16string& value, bool attribute) {
  std::u16string out;
  out.reserve(value.size());
  for (char16_t c : value) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'"':
        out += attribute ? u"&quot;" : u"\"";
        break;
      // Line breaks and tabs inside attributes would be normalised away by a parser.
      case u'\r':
        out += attribute ? u"&#13;" : u"\r";
        break;
      case u'\n':
        out += attribute ? u"&#10;" : u"\n";
        break;
      case u'\t':
        out += attribute ? u"&#9;" : u"\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void serialiseNode(const XmlNode& node, std::u16string& out) {
  switch (node.kind) {
    case XmlNode::Kind::Text:
      out += escapeText(node.text);
      return;
    case XmlNode::Kind::CData:
      out += u"<![CDATA[" + node.text + u"]]>";
      return;
    case XmlNode::Kind::Comment:
      out += u"<!--" + node.text + u"-->";
      return;
    case XmlNode::Kind::ProcessingInstruction:
      out += u"<?" + node.name + (node.text.empty() ? u"" : u" " + node.text) + u"?>";
      return;
    case XmlNode::Kind::Element:
      break;
  }
  out += u'<';
  out += node.name;
  for (const auto& [name, value] : node.attributes) {
    out += u' ' + name + u"=\"" + escapeAttribute(value) + u'"';
  }
  if (node.children.empty()) {
    out += u"/>";
    return;
  }
  out += u'>';
  for (const XmlNode& child : node.children) serialiseNode(child, out);
  out += u"</" + node.name + u'>';
}

}  // namespace

XmlNode pieceElement(const std::u16string& name, const std::u16string& value) {
  XmlNode node;
  node.name = name;
  node.attributes.emplace_back(name, value);
  return node;
}

std::u16string escapeAttribute(const std::u16string& value) { return escape(value, true); }
std::u16string escapeText(const std::u16string& value) { return escape(value, false); }

std::u16string serialiseDocument(const XmlNode* root) {
  if (!root) return std::u16string();
  std::u16string out;
  serialiseNode(*root, out);
  out += u"\r\n";
  return out;
}

std::u16string encodeInt(int value) { return fromAscii(std::to_string(value).c_str()); }

std::u16string encodeBool(bool value) { return value ? u"TRUE" : u"FALSE"; }

int decodeInt(const std::u16string& text) {
  // As "%d" scans: leading white space, an optional sign, then digits.
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

bool decodeBool(const std::u16string& text) {
  static const char16_t kTrue[] = u"TRUE";
  if (text.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    char16_t c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != kTrue[i]) return false;
  }
  return true;
}

}  // namespace brevan::ipclink
