// The message factory: the one thread of the process that touches XML documents. Every other
// thread hands it one request at a time through a request block and waits for the answer.
#pragma once

#include <string>

struct IPCXMLDocument;

namespace brevan::ipclink::win32 {

void startMessageFactory();
void stopMessageFactory();

// Each call is one round trip to the factory thread. A null document is ignored (or gives no
// result); after stopMessageFactory every request fails at once.
IPCXMLDocument* requestMessageCreation();
IPCXMLDocument* requestMessageCreation(const char16_t* text);
void requestMessageDestruction(IPCXMLDocument* document);
void requestAddMessagePiece(IPCXMLDocument* document, const char16_t* name, const char16_t* value);
// False when the document has no such piece.
bool requestGetMessagePiece(IPCXMLDocument* document, const char16_t* name, std::u16string* value);
// The serialised document, built from its tree (see xml_text.h).
std::u16string requestSerialisation(IPCXMLDocument* document);

}  // namespace brevan::ipclink::win32
