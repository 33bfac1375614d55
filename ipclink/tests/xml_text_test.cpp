#include "xml_text.h"

#include <gtest/gtest.h>

namespace brevan::ipclink {
namespace {

TEST(XmlText, MessageSerialisesBackToBackWithClosingLineBreak) {
  XmlNode root;
  root.name = u"BREVAN_IPC_MESSAGE";
  root.children.push_back(pieceElement(u"SOURCE_ID", u"a"));
  root.children.push_back(pieceElement(u"ACTION", u"X"));
  EXPECT_EQ(serialiseDocument(&root),
            u"<BREVAN_IPC_MESSAGE><SOURCE_ID SOURCE_ID=\"a\"/><ACTION ACTION=\"X\"/>"
            u"</BREVAN_IPC_MESSAGE>\r\n");
  root.children.clear();
  EXPECT_EQ(serialiseDocument(&root), u"<BREVAN_IPC_MESSAGE/>\r\n");
  EXPECT_EQ(serialiseDocument(nullptr), u"");
}

TEST(XmlText, EscapesAttributeValuesAndText) {
  EXPECT_EQ(escapeAttribute(u"a<b>&\"c\"\r\n\t'"), u"a&lt;b&gt;&amp;&quot;c&quot;&#13;&#10;&#9;'");
  EXPECT_EQ(escapeText(u"a<b>&\"\n"), u"a&lt;b&gt;&amp;\"\n");
  XmlNode root;
  root.name = u"R";
  XmlNode text;
  text.kind = XmlNode::Kind::Text;
  text.text = u"1 < 2";
  root.children.push_back(text);
  XmlNode comment;
  comment.kind = XmlNode::Kind::Comment;
  comment.text = u" c ";
  root.children.push_back(comment);
  EXPECT_EQ(serialiseDocument(&root), u"<R>1 &lt; 2<!-- c --></R>\r\n");
}

TEST(XmlText, IntegerAndBooleanPieces) {
  EXPECT_EQ(encodeInt(-42), u"-42");
  EXPECT_EQ(decodeInt(u"-42"), -42);
  EXPECT_EQ(decodeInt(u"  17abc"), 17);
  EXPECT_EQ(decodeInt(u"abc"), 0);
  EXPECT_EQ(decodeInt(u""), 0);
  EXPECT_EQ(decodeInt(u"2147483647"), 2147483647);
  EXPECT_EQ(decodeInt(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(encodeBool(true), u"TRUE");
  EXPECT_EQ(encodeBool(false), u"FALSE");
  for (auto* yes : {u"TRUE", u"true", u"True", u"tRuE"}) EXPECT_TRUE(decodeBool(yes)) << yes[0];
  for (auto* no : {u"YES", u"FALSE", u"TRUE ", u"", u"1"}) EXPECT_FALSE(decodeBool(no));
}

}  // namespace
}  // namespace brevan::ipclink
