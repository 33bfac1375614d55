// IPCXMLMessage: a message object owns one document of the message factory. No member throws:
// allocation failures give a null result.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framing.h"
#include "ipclink.h"
#include "win32/message_factory_win32.h"
#include "winhelpers/wide_text.h"
#include "xml_text.h"

using brevan::win32::asUtf16;
namespace factory = brevan::ipclink::win32;

namespace {

// Strings and arrays handed to callers come from one allocator, freed by deleteString /
// deleteChars.
template <typename T>
T* allocate(size_t count) {
  return static_cast<T*>(std::malloc((count ? count : 1) * sizeof(T)));
}

wchar_t* newString(const std::u16string& text) {
  wchar_t* out = allocate<wchar_t>(text.size() + 1);
  if (!out) return nullptr;
  std::memcpy(out, text.data(), text.size() * sizeof(wchar_t));
  out[text.size()] = L'\0';
  return out;
}

template <typename F>
auto guarded(F f, decltype(f()) failure) noexcept -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    return failure;
  }
}

// The factory starts when the library (or the program that compiles it in) is loaded.
struct FactoryAtLoad {
  FactoryAtLoad() { IPCXMLMessage::setupMessageMechanism(); }
} factoryAtLoad;

}  // namespace

IPCXMLMessage::IPCXMLMessage() : document(factory::requestMessageCreation()) {}

IPCXMLMessage::IPCXMLMessage(const wchar_t* xmlText)
    : document(factory::requestMessageCreation(xmlText ? asUtf16(xmlText) : nullptr)) {}

IPCXMLMessage::IPCXMLMessage(IPCXMLMessage* other) : document(nullptr) {
  wchar_t* text = other ? other->toStringWhichNeedsToBeDeleted() : nullptr;
  document = factory::requestMessageCreation(text ? asUtf16(text) : u"");
  deleteString(text);
}

IPCXMLMessage::IPCXMLMessage(const wchar_t* sourceID, const wchar_t* destinationID,
                             const wchar_t* action)
    : IPCXMLMessage() {
  addMessagePiece(L"SOURCE_ID", sourceID);
  addMessagePiece(L"DESTINATION_ID", destinationID);
  addMessagePiece(L"ACTION", action);
}

IPCXMLMessage::~IPCXMLMessage() { factory::requestMessageDestruction(document); }

void IPCXMLMessage::addMessagePiece(const wchar_t* name, const wchar_t* value) {
  factory::requestAddMessagePiece(document, asUtf16(name), value ? asUtf16(value) : u"");
}

void IPCXMLMessage::addMessagePiece(const wchar_t* name, int value) {
  guarded(
      [&] {
        factory::requestAddMessagePiece(document, asUtf16(name),
                                        brevan::ipclink::encodeInt(value).c_str());
        return 0;
      },
      0);
}

void IPCXMLMessage::addMessagePiece(const wchar_t* name, bool value) {
  factory::requestAddMessagePiece(document, asUtf16(name),
                                  brevan::ipclink::encodeBool(value).c_str());
}

wchar_t* IPCXMLMessage::getMessagePieceWhichNeedsToBeDeleted(const wchar_t* name) {
  return guarded(
      [&]() -> wchar_t* {
        std::u16string value;
        if (!factory::requestGetMessagePiece(document, asUtf16(name), &value)) return nullptr;
        return newString(value);
      },
      nullptr);
}

wchar_t* IPCXMLMessage::getActionWhichNeedsToBeDeleted() {
  return getMessagePieceWhichNeedsToBeDeleted(L"ACTION");
}

wchar_t* IPCXMLMessage::getSourceIDWhichNeedsToBeDeleted() {
  return getMessagePieceWhichNeedsToBeDeleted(L"SOURCE_ID");
}

wchar_t* IPCXMLMessage::getDestinationIDWhichNeedsToBeDeleted() {
  return getMessagePieceWhichNeedsToBeDeleted(L"DESTINATION_ID");
}

int IPCXMLMessage::getMessagePiece(const wchar_t* name, int defaultValue) {
  wchar_t* text = getMessagePieceWhichNeedsToBeDeleted(name);
  if (!text) return defaultValue;
  int value = guarded([&] { return brevan::ipclink::decodeInt(asUtf16(text)); }, 0);
  deleteString(text);
  return value;
}

bool IPCXMLMessage::getMessagePiece(const wchar_t* name, bool defaultValue) {
  wchar_t* text = getMessagePieceWhichNeedsToBeDeleted(name);
  if (!text) return defaultValue;
  bool value = guarded([&] { return brevan::ipclink::decodeBool(asUtf16(text)); }, false);
  deleteString(text);
  return value;
}

wchar_t* IPCXMLMessage::toStringWhichNeedsToBeDeleted() {
  return guarded(
      [&] {
        return newString(brevan::ipclink::trimLineBreaks(factory::requestSerialisation(document)));
      },
      static_cast<wchar_t*>(nullptr));
}

wchar_t* IPCXMLMessage::toStringWithLengthPrefixWhichNeedsToBeDeleted() {
  return guarded(
      [&] {
        return newString(brevan::ipclink::frameSerialised(factory::requestSerialisation(document)));
      },
      static_cast<wchar_t*>(nullptr));
}

IPCXMLDocument* IPCXMLMessage::createXMLMessage() { return factory::requestMessageCreation(); }

IPCXMLDocument* IPCXMLMessage::stringToIPCXMLMessage(const wchar_t* text) {
  return factory::requestMessageCreation(text ? asUtf16(text) : nullptr);
}

void IPCXMLMessage::deleteDocument(IPCXMLDocument* document) {
  factory::requestMessageDestruction(document);
}

int IPCXMLMessage::doesStringContainALengthTag(const wchar_t* text) {
  return text && brevan::ipclink::containsLengthTag(asUtf16(text)) ? 1 : 0;
}

int IPCXMLMessage::removeAndReturnLengthFromMessageString(const wchar_t* text, int* position) {
  return text ? brevan::ipclink::lengthFromTag(asUtf16(text), position) : -1;
}

wchar_t* IPCXMLMessage::convertToString(const unsigned char* bytes, int count, int terminate) {
  if (!bytes || count < 0) return nullptr;
  wchar_t* out = allocate<wchar_t>(static_cast<size_t>(count) + (terminate ? 1 : 0));
  if (!out) return nullptr;
  brevan::ipclink::bytesToChars(bytes, static_cast<size_t>(count),
                                reinterpret_cast<char16_t*>(out));
  if (terminate) out[count] = L'\0';
  return out;
}

unsigned char* IPCXMLMessage::convertToByteArray(const wchar_t* chars, int count) {
  if (!chars || count < 0) return nullptr;
  unsigned char* out = allocate<unsigned char>(static_cast<size_t>(count));
  if (!out) return nullptr;
  brevan::ipclink::charsToBytes(asUtf16(chars), static_cast<size_t>(count), out);
  return out;
}

void IPCXMLMessage::deleteString(wchar_t* text) { std::free(text); }

void IPCXMLMessage::deleteChars(void* chars) { std::free(chars); }

void IPCXMLMessage::deleteMessage(IPCXMLMessage* message) { delete message; }

void IPCXMLMessage::setupMessageMechanism() { factory::startMessageFactory(); }

void IPCXMLMessage::shutdownMessageProcessing() { factory::stopMessageFactory(); }
