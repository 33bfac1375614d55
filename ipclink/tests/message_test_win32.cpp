// IPCXMLMessage through IpcLink.dll and the system's XML DOM.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "ipclink.h"

namespace {

// Takes ownership of a "WhichNeedsToBeDeleted" string.
std::wstring take(wchar_t* text) {
  std::wstring out = text ? text : L"<null>";
  IPCXMLMessage::deleteString(text);
  return out;
}

TEST(Message, FramedFormHasExactBytes) {
  IPCXMLMessage message(L"src", L"dst", L"a&b<\"c\">");
  const std::wstring body =
      L"<BREVAN_IPC_MESSAGE><SOURCE_ID SOURCE_ID=\"src\"/><DESTINATION_ID DESTINATION_ID=\"dst\"/>"
      L"<ACTION ACTION=\"a&amp;b&lt;&quot;c&quot;&gt;\"/></BREVAN_IPC_MESSAGE>";
  EXPECT_EQ(take(message.toStringWhichNeedsToBeDeleted()), body);
  wchar_t* framed = message.toStringWithLengthPrefixWhichNeedsToBeDeleted();
  ASSERT_NE(framed, nullptr);
  std::wstring expected = L"<LENGTH>" + std::to_wstring(body.size() + 1) + L"</LENGTH>" + body;
  // The bytes a writer sends: the text and its NUL, two bytes per character.
  std::vector<unsigned char> wire(reinterpret_cast<unsigned char*>(framed),
                                  reinterpret_cast<unsigned char*>(framed + wcslen(framed) + 1));
  std::vector<unsigned char> want(
      reinterpret_cast<const unsigned char*>(expected.c_str()),
      reinterpret_cast<const unsigned char*>(expected.c_str() + expected.size() + 1));
  EXPECT_EQ(wire, want);
  EXPECT_EQ(wire.size(), 2 * (16 + std::to_wstring(body.size() + 1).size() + body.size() + 2));
  IPCXMLMessage::deleteString(framed);

  IPCXMLMessage empty;
  EXPECT_EQ(take(empty.toStringWithLengthPrefixWhichNeedsToBeDeleted()),
            L"<LENGTH>22</LENGTH><BREVAN_IPC_MESSAGE/>");
}

TEST(Message, PiecesReadBackFirstOfDuplicatesIntegersAndBooleans) {
  IPCXMLMessage message;
  message.addMessagePiece(L"ACTION", L"first");
  message.addMessagePiece(L"ACTION", L"second");
  message.addMessagePiece(L"N", -12345);
  message.addMessagePiece(L"TEXT", L"abc");
  message.addMessagePiece(L"FLAG", true);
  message.addMessagePiece(L"LOWER", L"true");
  message.addMessagePiece(L"MIXED", L"True");
  message.addMessagePiece(L"YES", L"YES");
  message.addMessagePiece(L"ODD", L"quote\" amp& lt< tab\t nl\n");
  EXPECT_EQ(take(message.getActionWhichNeedsToBeDeleted()), L"first");
  EXPECT_EQ(message.getMessagePiece(L"N", 7), -12345);
  EXPECT_EQ(message.getMessagePiece(L"MISSING", 7), 7);
  EXPECT_EQ(message.getMessagePiece(L"TEXT", 7), 0);
  EXPECT_TRUE(message.getMessagePiece(L"FLAG", false));
  EXPECT_TRUE(message.getMessagePiece(L"LOWER", false));
  EXPECT_TRUE(message.getMessagePiece(L"MIXED", false));
  EXPECT_FALSE(message.getMessagePiece(L"YES", true));
  EXPECT_TRUE(message.getMessagePiece(L"MISSING", true));
  EXPECT_EQ(message.getMessagePieceWhichNeedsToBeDeleted(L"MISSING"), nullptr);
  EXPECT_EQ(take(message.getSourceIDWhichNeedsToBeDeleted()), L"<null>");

  // A deep copy and a reparse of the text keep every value, escaped characters included.
  IPCXMLMessage copy(&message);
  EXPECT_EQ(take(copy.getMessagePieceWhichNeedsToBeDeleted(L"ODD")),
            L"quote\" amp& lt< tab\t nl\n");
  wchar_t* text = message.toStringWhichNeedsToBeDeleted();
  IPCXMLMessage reparsed(text);
  EXPECT_EQ(take(reparsed.toStringWhichNeedsToBeDeleted()), std::wstring(text));
  IPCXMLMessage::deleteString(text);
  copy.addMessagePiece(L"ONLY_IN_COPY", L"x");
  EXPECT_EQ(message.getMessagePieceWhichNeedsToBeDeleted(L"ONLY_IN_COPY"), nullptr);
}

// A message owns its document: the only copy is the deep one, which outlives its original.
static_assert(!std::is_copy_constructible_v<IPCXMLMessage> &&
                  !std::is_copy_assignable_v<IPCXMLMessage>,
              "a C++ copy would share the document and free it twice");
TEST(Message, CopyOutlivesItsOriginal) {
  auto original = std::make_unique<IPCXMLMessage>(L"src", L"dst", L"act");
  IPCXMLMessage copy(original.get());
  original.reset();
  EXPECT_EQ(take(copy.getActionWhichNeedsToBeDeleted()), L"act");
  EXPECT_EQ(take(copy.getDestinationIDWhichNeedsToBeDeleted()), L"dst");
}

TEST(Message, TextThatIsNotXmlGivesNoPieces) {
  IPCXMLMessage message(L"let go");
  EXPECT_EQ(message.getSourceIDWhichNeedsToBeDeleted(), nullptr);
  EXPECT_EQ(message.getMessagePiece(L"X", 3), 3);
  EXPECT_EQ(take(message.toStringWhichNeedsToBeDeleted()), L"");
  message.addMessagePiece(L"X", L"y");  // no root: nothing to add to, and no crash
  EXPECT_EQ(message.getMessagePieceWhichNeedsToBeDeleted(L"X"), nullptr);
  IPCXMLMessage nothing(static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(nothing.getActionWhichNeedsToBeDeleted(), nullptr);
}

TEST(Message, StaticTextOperations) {
  int position = -1;
  EXPECT_EQ(IPCXMLMessage::removeAndReturnLengthFromMessageString(L"junk<LENGTH>12</LENGTH>rest",
                                                                  &position),
            12);
  EXPECT_EQ(position, 23);
  EXPECT_EQ(IPCXMLMessage::removeAndReturnLengthFromMessageString(L"<LENGTH></LENGTH>x", &position),
            0);
  position = -9;
  EXPECT_EQ(IPCXMLMessage::removeAndReturnLengthFromMessageString(L"plain", &position), -1);
  EXPECT_EQ(position, -9);
  EXPECT_EQ(IPCXMLMessage::doesStringContainALengthTag(L"x<LENGTH></LENGTH>y"), 1);
  EXPECT_EQ(IPCXMLMessage::doesStringContainALengthTag(L"hello"), 0);
  EXPECT_EQ(IPCXMLMessage::doesStringContainALengthTag(nullptr), 0);

  const unsigned char bytes[] = {0x00, 0x41, 0xFF};
  wchar_t* chars = IPCXMLMessage::convertToString(bytes, 3, 1);
  ASSERT_NE(chars, nullptr);
  EXPECT_EQ(chars[0], 0x2A00);
  EXPECT_EQ(chars[1], 0x2A41);
  EXPECT_EQ(chars[2], 0x2AFF);
  EXPECT_EQ(chars[3], 0);
  unsigned char* back = IPCXMLMessage::convertToByteArray(chars, 3);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::vector<unsigned char>(back, back + 3),
            std::vector<unsigned char>(bytes, bytes + 3));
  IPCXMLMessage::deleteChars(back);
  IPCXMLMessage::deleteChars(chars);
  EXPECT_EQ(IPCXMLMessage::convertToString(nullptr, 3, 1), nullptr);
  EXPECT_EQ(IPCXMLMessage::convertToByteArray(nullptr, 3), nullptr);
  IPCXMLMessage::deleteString(nullptr);
  IPCXMLMessage::deleteMessage(nullptr);
}

TEST(Message, DocumentsOutsideMessagesAndManyThreadsAtOnce) {
  IPCXMLMessage owner;
  IPCXMLDocument* empty = owner.createXMLMessage();
  IPCXMLDocument* parsed = owner.stringToIPCXMLMessage(L"<BREVAN_IPC_MESSAGE/>");
  EXPECT_NE(empty, nullptr);
  EXPECT_NE(parsed, nullptr);
  IPCXMLMessage::deleteDocument(empty);
  IPCXMLMessage::deleteDocument(parsed);

  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int i = 0; i < 100; ++i) {
        IPCXMLMessage message(L"s", L"d", L"a");
        message.addMessagePiece(L"V", t * 1000 + i);
        if (message.getMessagePiece(L"V", -1) != t * 1000 + i) ++wrong[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

}  // namespace
