// IpcLink: framed XML messages between the product's processes and its router service, over
// pairs of one-way named pipes.
//
// Ownership: every function whose name ends in "WhichNeedsToBeDeleted" returns a new string that
// belongs to the caller, who frees it with IPCXMLMessage::deleteString. Arrays from
// convertToString / convertToByteArray are freed with IPCXMLMessage::deleteChars. A message passed
// to IPCListenerInterface::messageReceived belongs to the listener (IPCXMLMessage::deleteMessage).
//
// Threads: all document work runs on one message factory thread per process, started when the
// library is loaded; any thread may create, read and destroy messages. Stop every channel before
// calling IPCXMLMessage::shutdownMessageProcessing: requests made after it never complete.
//
// No exported function throws; failures are reported by a null result or a default value.
#ifndef IPCLINK_H
#define IPCLINK_H

#if defined(IPCLINK_STATIC)
#define IPCLINK_API
#elif defined(IPCLINK_BUILDING_DLL)
#define IPCLINK_API __declspec(dllexport)
#else
#define IPCLINK_API __declspec(dllimport)
#endif

class IPCChannel;
class IPCXMLMessage;
struct IPCXMLDocument;  // opaque: one XML document of the message factory

// Direction of a channel.
enum { IPC_FROM_ROUTER = 0, IPC_TO_ROUTER = 1 };

class IPCListenerInterface {
 public:
  // Called on a delivery thread of its own for every inbound message; deliveries of successive
  // messages may run at the same time. The message belongs to the listener.
  virtual void messageReceived(IPCChannel* channel, IPCXMLMessage* message) = 0;

 protected:
  ~IPCListenerInterface() {}
};

class IPCLINK_API IPCXMLMessage {
 public:
  IPCXMLMessage();                                 // empty <BREVAN_IPC_MESSAGE> document
  explicit IPCXMLMessage(const wchar_t* xmlText);  // parsed; text that is not XML gives no pieces
  explicit IPCXMLMessage(IPCXMLMessage* other);    // deep copy
  IPCXMLMessage(const wchar_t* sourceID, const wchar_t* destinationID, const wchar_t* action);
  ~IPCXMLMessage();

  // Each message owns its document; copy one through the pointer constructor above.
  IPCXMLMessage(const IPCXMLMessage&) = delete;
  IPCXMLMessage& operator=(const IPCXMLMessage&) = delete;

  void addMessagePiece(const wchar_t* name, const wchar_t* value);
  void addMessagePiece(const wchar_t* name, int value);   // "%d"
  void addMessagePiece(const wchar_t* name, bool value);  // "TRUE" / "FALSE"

  // The first piece of that name, or null when there is none.
  wchar_t* getMessagePieceWhichNeedsToBeDeleted(const wchar_t* name);
  wchar_t* getActionWhichNeedsToBeDeleted();
  wchar_t* getSourceIDWhichNeedsToBeDeleted();
  wchar_t* getDestinationIDWhichNeedsToBeDeleted();
  int getMessagePiece(const wchar_t* name, int defaultValue);    // 0 for text without a number
  bool getMessagePiece(const wchar_t* name, bool defaultValue);  // "TRUE" in any case

  wchar_t* toStringWhichNeedsToBeDeleted();                  // XML without trailing line breaks
  wchar_t* toStringWithLengthPrefixWhichNeedsToBeDeleted();  // "<LENGTH>N</LENGTH>" + XML

  IPCXMLDocument* createXMLMessage();                          // caller owns the document
  IPCXMLDocument* stringToIPCXMLMessage(const wchar_t* text);  // caller owns the document
  static void deleteDocument(IPCXMLDocument* document);

  // 1 when the text holds "<LENGTH>", digits (possibly none) and "</LENGTH>"; else 0.
  static int doesStringContainALengthTag(const wchar_t* text);
  // -1 without a tag (position untouched); else the tag's number and, in *position, the index
  // just after "</LENGTH>". The text is not changed.
  static int removeAndReturnLengthFromMessageString(const wchar_t* text, int* position);
  // Byte b becomes character 0x2A00 + b; a NUL follows when terminate is non-zero.
  static wchar_t* convertToString(const unsigned char* bytes, int count, int terminate);
  static unsigned char* convertToByteArray(const wchar_t* chars, int count);

  static void deleteString(wchar_t* text);
  static void deleteChars(void* chars);
  static void deleteMessage(IPCXMLMessage* message);

  static void setupMessageMechanism();      // run when the library is loaded
  static void shutdownMessageProcessing();  // stop the factory once no channel is used

 private:
  IPCXMLDocument* document;
};

class IPCChannelState;

class IPCLINK_API IPCChannel {
 public:
  // A new channel whose status lines go to outputFunction(outputUser, line), one at a time;
  // the line is a temporary. direction: IPC_TO_ROUTER (client) or IPC_FROM_ROUTER (serving end).
  // Null when the cross-process creation mutex cannot be taken.
  static IPCChannel* createChannel(const wchar_t* channelID, int direction, void* outputUser,
                                   void (*outputFunction)(void*, const wchar_t*));

  wchar_t* getChannelID();  // owned by the channel

  void postData(const wchar_t* framedText);  // already framed; copied and queued
  void postData(IPCXMLMessage* message);     // its framed form; the message stays the caller's
  void addIPCListener(IPCListenerInterface* listener);  // not owned; add before traffic starts

  void DisconnectClients();  // drop both connections, keep the pipes, set up again
  void RebuildChannel();     // close both pipes, set up again
  // Leave the router: the goodbye is written if the pipe is up or comes back within a bounded
  // wait; no channel thread then repairs or retries any more.
  void Shutdown();

  // Stops every thread of the channel and closes all its handles.
  ~IPCChannel();

  IPCChannel(const IPCChannel&) = delete;
  IPCChannel& operator=(const IPCChannel&) = delete;

 private:
  IPCChannel();
  IPCChannelState* channelState;
  friend class IPCChannelState;
};

#endif  // IPCLINK_H
