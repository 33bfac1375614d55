// ipclink_test_router: a stand-in for the router service, built from the library's own
// FROM ROUTER channels, for the end-to-end tests of IpcLink and of the Java host's channels.
//
//   ipclink_test_router <log file> [--serve ID,ID,...] [--wire] [--untraced]
//
// It creates the service pipes of "BrevanService" and, for every client that asks with
// "MayIConnectWithTheRouterPlease", that client's own pipe pair (a FROM ROUTER channel named
// after the client), then answers "YouMayNowConnect" with DESTINATION_ID = the client.
// --serve creates the pairs of those ids at start, as a restarted router that remembers its
// clients would (they rejoin without asking again).
// Every message from a client is forwarded to the channel named by its DESTINATION_ID (held back
// until that client is admitted). Messages to "BrevanService" are commands:
//   PleaseDisconnectMeFromTheRouter   logged ("goodbye ID")
//   RouterTestBreakPipes  TARGET=ID    rebuilds ID's pair, so its client sees a broken pipe
//   RouterTestLetGo       TARGET=ID    sends the framed text "let go" to ID
//   RouterTestSendPartial TARGET=ID    writes half a frame to ID, then breaks its pipes
//   RouterTestExit                     ends the router at once (ExitProcess(0))
// The log file gets one line per event: "ready", "admit ID", "goodbye ID",
// "command ACTION TARGET"; with --wire also "wire ID SEQ" for every message the
// router's channels complete, in the order they came off the pipes.
// --untraced gives the client channels no status output, as a benchmark wants (a traced channel
// reads in 4096-byte steps); RouterTestSendPartial and --wire need the status lines.
// Runs until RouterTestExit or until the test ends it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ipclink.h"
#include "testsupport/text.h"

namespace {

class Router;

using brevan::testsupport::widen;

struct OwnedText {
  wchar_t* text;
  explicit OwnedText(wchar_t* t) : text(t) {}
  ~OwnedText() { IPCXMLMessage::deleteString(text); }
  std::wstring str() const { return text ? text : L""; }
};

class Router : public IPCListenerInterface {
 public:
  Router(const char* logPath, bool wire, bool traced) : wire_(wire), traced_(traced) {
    log_ = std::fopen(logPath, "a");
  }

  void start(const std::vector<std::wstring>& serve) {
    service_ = IPCChannel::createChannel(L"BrevanService", IPC_FROM_ROUTER, this, nullptr);
    service_->addIPCListener(this);
    for (const auto& id : serve) pairOf(id);
    log(L"ready");
  }

  void messageReceived(IPCChannel*, IPCXMLMessage* message) override {
    // Forwarding needs the destination only; every piece read is a round trip to the
    // message factory.
    OwnedText destination(message->getDestinationIDWhichNeedsToBeDeleted());
    if (destination.str() == L"BrevanService") {
      OwnedText source(message->getSourceIDWhichNeedsToBeDeleted());
      OwnedText action(message->getActionWhichNeedsToBeDeleted());
      command(source.str(), action.str(), message);
    } else {
      forward(destination.str(), message);
    }
    IPCXMLMessage::deleteMessage(message);
  }

 private:
  // Status lines give the wire order and tell when a cut-off frame has gone out; the
  // service channel needs neither.
  void (*output())(void*, const wchar_t*) { return traced_ ? &Router::status : nullptr; }

  static void status(void* user, const wchar_t* line) {
    auto* self = static_cast<Router*>(user);
    if (std::wcsstr(line, kPartialWritten)) SetEvent(self->partialWritten_);
    if (!self->wire_) return;
    const wchar_t* completed = std::wcsstr(line, L": BuildMessage() completed message <");
    if (!completed) return;
    const wchar_t* seq = std::wcsstr(line, L"SEQ SEQ=\"");
    std::wstring id(line, completed);
    self->log(L"wire " + id + L" " + (seq ? std::to_wstring(_wtoi(seq + 9)) : L"-"));
  }

  void log(const std::wstring& line) {
    std::lock_guard<std::mutex> guard(logMutex_);
    if (!log_) return;
    std::fprintf(log_, "%ls\n", line.c_str());
    std::fflush(log_);
  }

  IPCChannel* pairOf(const std::wstring& id) {
    std::lock_guard<std::mutex> guard(mutex_);
    IPCChannel*& channel = clients_[id];
    if (!channel) {
      channel = IPCChannel::createChannel(id.c_str(), IPC_FROM_ROUTER, this, output());
      channel->addIPCListener(this);
      for (const auto& held : held_[id]) channel->postData(held.c_str());
      held_.erase(id);
    }
    return channel;
  }

  IPCChannel* find(const std::wstring& id) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = clients_.find(id);
    return it == clients_.end() ? nullptr : it->second;
  }

  void command(const std::wstring& source, const std::wstring& action, IPCXMLMessage* message) {
    OwnedText target(message->getMessagePieceWhichNeedsToBeDeleted(L"TARGET"));
    if (action == L"MayIConnectWithTheRouterPlease") {
      pairOf(source);
      IPCXMLMessage answer(L"BrevanService", source.c_str(), L"YouMayNowConnect");
      service_->postData(&answer);
      log(L"admit " + source);
      return;
    }
    if (action == L"PleaseDisconnectMeFromTheRouter") {
      log(L"goodbye " + source);
      return;
    }
    log(L"command " + action + L" " + target.str());
    IPCChannel* channel = find(target.str());
    if (action == L"RouterTestExit") {
      ExitProcess(0);
    } else if (action == L"RouterTestBreakPipes" && channel) {
      channel->RebuildChannel();
    } else if (action == L"RouterTestLetGo" && channel) {
      channel->postData(L"<LENGTH>7</LENGTH>let go");
    } else if (action == L"RouterTestSendPartial" && channel) {
      // The start of a frame whose body never comes, then a broken pipe once it is out
      // (closing flushes it to the client first).
      ResetEvent(partialWritten_);
      channel->postData(kPartialFrame);
      WaitForSingleObject(partialWritten_, kPartialWriteLimitMs);
      channel->RebuildChannel();
    }
  }

  void forward(const std::wstring& destination, IPCXMLMessage* message) {
    OwnedText framed(message->toStringWithLengthPrefixWhichNeedsToBeDeleted());
    {
      std::lock_guard<std::mutex> guard(mutex_);
      auto it = clients_.find(destination);
      if (it == clients_.end()) {
        held_[destination].push_back(framed.str());
        return;
      }
    }
    find(destination)->postData(framed.text);
  }

  static constexpr wchar_t kPartialFrame[] =
      L"<LENGTH>900</LENGTH><BREVAN_IPC_MESSAGE><SEQ SEQ=\"-5\"/>";
  static constexpr wchar_t kPartialWritten[] = L": PipeWrite() wrote <<LENGTH>900</LENGTH>";
  static constexpr DWORD kPartialWriteLimitMs = 20000;

  bool wire_;
  bool traced_;
  HANDLE partialWritten_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  FILE* log_;
  std::mutex logMutex_;
  IPCChannel* service_ = nullptr;
  std::mutex mutex_;
  std::map<std::wstring, IPCChannel*> clients_;             // guarded by mutex_
  std::map<std::wstring, std::vector<std::wstring>> held_;  // guarded by mutex_
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: ipclink_test_router <log file> [--serve ID,ID,...] [--wire] [--untraced]\n");
    return 2;
  }
  std::vector<std::wstring> serve;
  bool wire = false;
  bool traced = true;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--wire") == 0) wire = true;
    if (std::strcmp(argv[i], "--untraced") == 0) traced = false;
    if (std::strcmp(argv[i], "--serve") == 0 && i + 1 < argc) {
      std::wstring list = widen(argv[++i]);
      for (size_t at = 0; at <= list.size();) {
        size_t comma = list.find(L',', at);
        if (comma == std::wstring::npos) comma = list.size();
        if (comma > at) serve.push_back(list.substr(at, comma - at));
        at = comma + 1;
      }
    }
  }
  static Router router(argv[1], wire, traced);
  router.start(serve);
  for (;;) Sleep(1000);
}
