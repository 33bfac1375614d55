#include "win32/message_factory_win32.h"

#include <windows.h>
#include <msxml2.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <utility>

#include "win32/slim_lock_win32.h"
#include "winhelpers/com.h"
#include "winhelpers/handles.h"
#include "winhelpers/wide_text.h"
#include "xml_text.h"

struct IPCXMLDocument {
  brevan::win32::ComPtr<IXMLDOMDocument2> dom;
};

namespace brevan::ipclink::win32 {
namespace {

using brevan::win32::asUtf16;
using brevan::win32::asWide;
using brevan::win32::ComPtr;
using brevan::win32::ScopedBstr;
using brevan::win32::ScopedHandle;
using brevan::win32::ScopedVariant;

// The operating system's DOM document class and the interface the factory uses.
const CLSID kDomDocumentClass = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const IID kDomDocument2Interface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

enum Action {
  kWakeUp = 0,
  kCreateEmpty = 1,
  kDestroy = 2,
  kCreateFromText = 3,
  kAddPiece = 4,
  kGetPiece = 5,
  kSerialise = 6,
};

const char16_t kEmptyMessageText[] = u"<BREVAN_IPC_MESSAGE></BREVAN_IPC_MESSAGE>";

// The process-wide request block. A requester holds requestLock for the whole round trip,
// fills the block, raises requestPending and sleeps until the factory raises requestDone. The
// hand-over uses a slim lock and condition variables, which need no kernel object and, unlike
// events, no trip into the kernel when the two threads take turns.
struct RequestBlock {
  SlimLock requestLock;  // one request at a time
  SlimLock handOver;     // guards the two flags below
  CONDITION_VARIABLE requestReady = CONDITION_VARIABLE_INIT;
  CONDITION_VARIABLE requestFinished = CONDITION_VARIABLE_INIT;
  bool requestPending = false;  // guarded by handOver
  bool requestDone = false;     // guarded by handOver
  HANDLE factoryThread = nullptr;
  IClassFactory* domClass = nullptr;  // the factory thread's own; fetched once per start
  std::atomic<LONG> requestedAction{kWakeUp};
  IPCXMLDocument* newMessage = nullptr;
  IPCXMLDocument* messageToModify = nullptr;
  IPCXMLDocument* messageToDestroy = nullptr;
  const char16_t* stringForMessageCreation = nullptr;
  const char16_t* stringForAddingMessagePieceName = nullptr;
  const char16_t* stringForAddingMessagePieceValue = nullptr;
  const char16_t* stringForGettingMessagePieceName = nullptr;
  bool gotMessagePieceValue = false;
  std::u16string stringForGettingMessagePieceValue;
  std::u16string serialisedText;
  std::atomic<bool> shuttingDown{false};
  std::atomic<bool> exitedMessageFactoryThread{false};
  volatile LONG oneup = 0;
};

// Function-local, so the block exists before any static initialiser of the library asks.
RequestBlock& theBlock() {
  static RequestBlock block;
  return block;
}
SlimLock lifecycleMutex;   // guards starting and stopping the factory
bool everStarted = false;  // guarded by lifecycleMutex

ScopedBstr bstrOf(const char16_t* text) {
  return ScopedBstr(SysAllocString(asWide(text ? text : u"")));
}

std::u16string textOf(const ScopedBstr& text) {
  return text ? std::u16string(asUtf16(text.get()), SysStringLen(text.get())) : std::u16string();
}

std::u16string variantText(const VARIANT* value) {
  std::u16string out;
  if (value->vt == VT_BSTR && value->bstrVal)
    out.assign(asUtf16(value->bstrVal), SysStringLen(value->bstrVal));
  return out;
}

IPCXMLDocument* createDocument(const char16_t* text) {
  InterlockedIncrement(&theBlock().oneup);
  ComPtr<IXMLDOMDocument2> dom;
  // Asking the class object directly spares the registry look-up of every CoCreateInstance.
  IClassFactory* domClass = theBlock().domClass;
  const HRESULT created =
      domClass ? domClass->CreateInstance(nullptr, kDomDocument2Interface, dom.receiveVoid())
               : CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER,
                                  kDomDocument2Interface, dom.receiveVoid());
  if (FAILED(created) || !dom) return nullptr;
  if (text) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const ScopedBstr source = bstrOf(text);
    dom->loadXML(source.get(), &loaded);  // text that does not parse leaves the document empty
  }
  return new IPCXMLDocument{std::move(dom)};
}

void destroyDocument() {
  if (!theBlock().messageToDestroy) {
    std::printf("Error: Request was made to destroy NULL message\n");
    return;
  }
  delete theBlock().messageToDestroy;
  theBlock().messageToDestroy = nullptr;
}

void addPiece() {
  IPCXMLDocument* document = theBlock().messageToModify;
  if (!document) return;
  const ScopedBstr name = bstrOf(theBlock().stringForAddingMessagePieceName);
  ComPtr<IXMLDOMElement> element;
  ComPtr<IXMLDOMElement> root;
  if (FAILED(document->dom->createElement(name.get(), element.receive())) || !element) return;
  {
    ScopedVariant value;
    V_VT(value.get()) = VT_BSTR;
    V_BSTR(value.get()) = bstrOf(theBlock().stringForAddingMessagePieceValue).take();
    element->setAttribute(name.get(), *value.get());
  }
  if (FAILED(document->dom->get_documentElement(root.receive())) || !root) return;
  ComPtr<IXMLDOMNode> appended;
  root->appendChild(element.get(), appended.receive());
}

bool getPiece(std::u16string* value) {
  IPCXMLDocument* document = theBlock().messageToModify;
  if (!document) return false;
  const ScopedBstr name = bstrOf(theBlock().stringForGettingMessagePieceName);
  ComPtr<IXMLDOMNodeList> elements;
  ComPtr<IXMLDOMNode> first;
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  ComPtr<IXMLDOMNode> attribute;
  if (FAILED(document->dom->getElementsByTagName(name.get(), elements.receive())) || !elements)
    return false;
  if (elements->get_item(0, first.receive()) != S_OK || !first) return false;
  if (FAILED(first->get_attributes(attributes.receive())) || !attributes) return false;
  if (attributes->getNamedItem(name.get(), attribute.receive()) != S_OK || !attribute) return false;
  ScopedVariant text;
  if (FAILED(attribute->get_nodeValue(text.get())) || text.get()->vt != VT_BSTR) return false;
  *value = variantText(text.get());
  return true;
}

XmlNode treeOf(IXMLDOMNode* node);

void addChildren(IXMLDOMNode* node, XmlNode* out) {
  ComPtr<IXMLDOMNodeList> children;
  if (FAILED(node->get_childNodes(children.receive())) || !children) return;
  LONG count = 0;
  children->get_length(&count);
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> child;
    if (children->get_item(i, child.receive()) != S_OK || !child) continue;
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT || type == NODE_TEXT || type == NODE_CDATA_SECTION ||
        type == NODE_COMMENT || type == NODE_PROCESSING_INSTRUCTION) {
      out->children.push_back(treeOf(child.get()));
    }
  }
}

void addAttributes(IXMLDOMNode* node, XmlNode* out) {
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  if (FAILED(node->get_attributes(attributes.receive())) || !attributes) return;
  LONG count = 0;
  attributes->get_length(&count);
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    if (attributes->get_item(i, attribute.receive()) != S_OK || !attribute) continue;
    ScopedBstr name;
    attribute->get_nodeName(name.receive());
    ScopedVariant value;
    attribute->get_nodeValue(value.get());
    out->attributes.emplace_back(textOf(name), variantText(value.get()));
  }
}

XmlNode treeOf(IXMLDOMNode* node) {
  XmlNode out;
  DOMNodeType type = NODE_INVALID;
  node->get_nodeType(&type);
  ScopedBstr name;
  node->get_nodeName(name.receive());
  out.name = textOf(name);
  if (type == NODE_ELEMENT) {
    addAttributes(node, &out);
    addChildren(node, &out);
    return out;
  }
  out.kind = type == NODE_TEXT            ? XmlNode::Kind::Text
             : type == NODE_CDATA_SECTION ? XmlNode::Kind::CData
             : type == NODE_COMMENT       ? XmlNode::Kind::Comment
                                          : XmlNode::Kind::ProcessingInstruction;
  ScopedVariant value;
  node->get_nodeValue(value.get());
  out.text = variantText(value.get());
  return out;
}

std::u16string serialise() {
  IPCXMLDocument* document = theBlock().messageToModify;
  if (!document) return std::u16string();
  ComPtr<IXMLDOMElement> root;
  if (FAILED(document->dom->get_documentElement(root.receive())) || !root) return std::u16string();
  XmlNode tree = treeOf(root.get());
  return serialiseDocument(&tree);
}

void carryOut(LONG action) {
  switch (action) {
    case kWakeUp:
      break;
    case kCreateEmpty:
      theBlock().newMessage = createDocument(kEmptyMessageText);
      break;
    case kCreateFromText:
      theBlock().newMessage = createDocument(theBlock().stringForMessageCreation);
      break;
    case kDestroy:
      destroyDocument();
      break;
    case kAddPiece:
      addPiece();
      break;
    case kGetPiece:
      theBlock().gotMessagePieceValue = getPiece(&theBlock().stringForGettingMessagePieceValue);
      break;
    case kSerialise:
      theBlock().serialisedText = serialise();
      break;
    default:
      std::printf("Error: Event error in messageFactoryThread()\n");
      break;
  }
}

DWORD WINAPI messageFactoryThread(void*) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(CoGetClassObject(kDomDocumentClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&theBlock().domClass)))) {
    theBlock().domClass = nullptr;
  }
  RequestBlock& block = theBlock();
  while (!block.shuttingDown) {
    {
      std::lock_guard<SlimLock> guard(block.handOver);
      while (!block.requestPending)
        SleepConditionVariableSRW(&block.requestReady, block.handOver.native(), INFINITE, 0);
      block.requestPending = false;
    }
    carryOut(block.requestedAction);
    std::lock_guard<SlimLock> guard(block.handOver);
    block.requestDone = true;
    WakeConditionVariable(&block.requestFinished);
  }
  ComPtr<IClassFactory>(std::exchange(theBlock().domClass, nullptr)).reset();
  CoUninitialize();
  theBlock().exitedMessageFactoryThread = true;
  return 0;
}

void startLocked() {
  if (theBlock().factoryThread && !theBlock().shuttingDown) return;
  everStarted = true;
  ScopedHandle(std::exchange(theBlock().factoryThread, nullptr)).close();
  theBlock().shuttingDown = false;
  theBlock().exitedMessageFactoryThread = false;
  theBlock().oneup = 0;
  theBlock().factoryThread = CreateThread(nullptr, 0, messageFactoryThread, nullptr, 0, nullptr);
}

// Wakes the factory for the filled block and waits until it has carried the request out. The
// caller holds requestLock.
void handOverAndWait() {
  RequestBlock& block = theBlock();
  std::lock_guard<SlimLock> guard(block.handOver);
  block.requestDone = false;
  block.requestPending = true;
  WakeConditionVariable(&block.requestReady);
  while (!block.requestDone)
    SleepConditionVariableSRW(&block.requestFinished, block.handOver.native(), INFINITE, 0);
}

// One round trip: fill the block under the request lock, wake the factory, wait for it.
template <typename Fill, typename Read>
bool request(Fill fill, Read read) {
  {
    std::lock_guard<SlimLock> guard(lifecycleMutex);
    if (!everStarted) startLocked();
  }
  if (theBlock().shuttingDown) return false;
  std::lock_guard<SlimLock> serial(theBlock().requestLock);
  if (theBlock().shuttingDown) return false;
  fill();
  handOverAndWait();
  read();
  return true;
}

}  // namespace

void startMessageFactory() {
  std::lock_guard<SlimLock> guard(lifecycleMutex);
  startLocked();
}

void stopMessageFactory() {
  std::lock_guard<SlimLock> guard(lifecycleMutex);
  if (!theBlock().factoryThread || theBlock().shuttingDown) return;
  theBlock().shuttingDown = true;
  {
    std::lock_guard<SlimLock> serial(theBlock().requestLock);
    theBlock().requestedAction = kWakeUp;
    handOverAndWait();
  }
  while (!theBlock().exitedMessageFactoryThread) Sleep(100);
}

IPCXMLDocument* requestMessageCreation() {
  IPCXMLDocument* created = nullptr;
  request(
      [] { theBlock().requestedAction = kCreateEmpty; },
      [&] { created = theBlock().newMessage; });
  return created;
}

IPCXMLDocument* requestMessageCreation(const char16_t* text) {
  IPCXMLDocument* created = nullptr;
  request(
      [&] {
        theBlock().stringForMessageCreation = text;
        theBlock().requestedAction = kCreateFromText;
      },
      [&] { created = theBlock().newMessage; });
  return created;
}

void requestMessageDestruction(IPCXMLDocument* document) {
  request(
      [&] {
        theBlock().messageToDestroy = document;
        theBlock().requestedAction = kDestroy;
      },
      [] {});
}

void requestAddMessagePiece(IPCXMLDocument* document, const char16_t* name, const char16_t* value) {
  if (!document || !name) return;
  request(
      [&] {
        theBlock().messageToModify = document;
        theBlock().stringForAddingMessagePieceName = name;
        theBlock().stringForAddingMessagePieceValue = value;
        theBlock().requestedAction = kAddPiece;
      },
      [] {});
}

bool requestGetMessagePiece(IPCXMLDocument* document, const char16_t* name, std::u16string* value) {
  if (!document || !name) return false;
  bool found = false;
  request(
      [&] {
        theBlock().messageToModify = document;
        theBlock().stringForGettingMessagePieceName = name;
        theBlock().requestedAction = kGetPiece;
      },
      [&] {
        found = theBlock().gotMessagePieceValue;
        if (found) value->swap(theBlock().stringForGettingMessagePieceValue);
      });
  return found;
}

std::u16string requestSerialisation(IPCXMLDocument* document) {
  std::u16string text;
  if (!document) return text;
  request(
      [&] {
        theBlock().messageToModify = document;
        theBlock().requestedAction = kSerialise;
      },
      [&] { text.swap(theBlock().serialisedText); });
  return text;
}

}  // namespace brevan::ipclink::win32
