// ipclink_test_client: a TO ROUTER client of IpcLink.dll that runs a script of steps given on
// its command line, for the end-to-end tests. Exit status 0 when every step succeeded.
//
//   ipclink_test_client <channel id> <report file> <step>...
//
// Steps (run in order):
//   own-pipes                 wait until both own pipes are set up (admission done)
//   post=DEST:COUNT:SIZE:FIRST  post COUNT messages to DEST, pieces SEQ = FIRST.. and a payload
//                             that makes the body SIZE characters long (at least)
//   expect=COUNT              wait until every listener has COUNT distinct SEQs, none twice
//   command=ACTION[:TARGET]   send ACTION to the router (DESTINATION_ID "BrevanService")
//   wait-file=PATH / touch=PATH   wait for / create a file (hand-over with the test)
//   sleep=MS                  pause
//   step-limit=MS             how long the waiting steps after it may wait (default 110000)
//   shutdown                  Shutdown(); reports "shutdown-ms N"
//   delete                    destroy the channel
//   listeners=N               register N listeners (default 1; before any traffic)
//   dump-lines                write every status line to the report ("line ...")
// The report file receives "key value" lines: received, duplicates, status-lines, overlaps,
// shutdown-ms, failed.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ipclink.h"
#include "testsupport/child_process_win32.h"
#include "testsupport/text.h"
#include "testsupport/wait.h"

namespace {

const std::chrono::milliseconds kDefaultStepLimit(110000);

struct Output {
  std::mutex mutex;
  std::vector<std::wstring> lines;
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
};

void collect(void* user, const wchar_t* line) {
  auto* output = static_cast<Output*>(user);
  if (output->inside.fetch_add(1) != 0) ++output->overlaps;
  {
    std::lock_guard<std::mutex> guard(output->mutex);
    output->lines.emplace_back(line);
  }
  --output->inside;
}

class Listener : public IPCListenerInterface {
 public:
  void messageReceived(IPCChannel*, IPCXMLMessage* message) override {
    int seq = message->getMessagePiece(L"SEQ", -1);
    int length = message->getMessagePiece(L"LEN", -1);
    wchar_t* payload = message->getMessagePieceWhichNeedsToBeDeleted(L"PAYLOAD");
    bool intact = payload && static_cast<int>(std::wcslen(payload)) == length;
    IPCXMLMessage::deleteString(payload);
    IPCXMLMessage::deleteMessage(message);
    std::lock_guard<std::mutex> guard(mutex);
    if (!intact) ++corrupt;
    if (!seen.insert(seq).second) ++duplicates;
  }
  size_t count() {
    std::lock_guard<std::mutex> guard(mutex);
    return seen.size();
  }
  std::mutex mutex;
  std::set<int> seen;
  int duplicates = 0;
  int corrupt = 0;
};

using brevan::testsupport::waitForFile;
using brevan::testsupport::waitUntil;
using brevan::testsupport::widen;

struct Client {
  std::wstring id;
  Output output;
  IPCChannel* channel = nullptr;
  std::vector<Listener*> listeners;
  FILE* report = nullptr;

  bool dumpLines = false;
  std::chrono::milliseconds stepLimit = kDefaultStepLimit;
  size_t scanned = 0;
  std::set<std::wstring> seenLines;

  bool hasLine(const std::wstring& line) {
    std::lock_guard<std::mutex> guard(output.mutex);
    for (; scanned < output.lines.size(); ++scanned) {
      if (output.lines[scanned].find(L"Finished") != std::wstring::npos)
        seenLines.insert(output.lines[scanned]);
    }
    return seenLines.count(line) != 0;
  }

  void post(const std::string& request) {
    char dest[256];
    int count = 0, size = 0, first = 0;
    if (std::sscanf(request.c_str(), "%255[^:]:%d:%d:%d", dest, &count, &size, &first) < 3) return;
    std::wstring payload(size > 150 ? size - 150 : 1, L'p');
    for (int i = 0; i < count; ++i) {
      IPCXMLMessage message(id.c_str(), widen(dest).c_str(), L"Data");
      message.addMessagePiece(L"SEQ", first + i);
      message.addMessagePiece(L"LEN", static_cast<int>(payload.size()));
      message.addMessagePiece(L"PAYLOAD", payload.c_str());
      channel->postData(&message);
    }
  }

  bool expect(size_t count) {
    bool ok = waitUntil(stepLimit, [&] {
      for (Listener* l : listeners)
        if (l->count() < count) return false;
      return true;
    });
    Sleep(300);  // late duplicates would show up here
    int duplicates = 0;
    int corrupt = 0;
    size_t least = count;
    for (Listener* l : listeners) {
      std::lock_guard<std::mutex> guard(l->mutex);
      duplicates += l->duplicates;
      corrupt += l->corrupt;
      least = std::min(least, l->seen.size());
    }
    std::fprintf(report, "received %u\nduplicates %d\ncorrupt %d\n", static_cast<unsigned>(least),
                 duplicates, corrupt);
    return ok && duplicates == 0 && corrupt == 0;
  }

  bool step(const std::string& s) {
    auto value = [&](const char* key) { return s.substr(std::string(key).size()); };
    if (s == "own-pipes") {
      std::wstring read = L": setupReadPipe (\\\\.\\pipe\\toClient\\" + id + L") - Finished";
      std::wstring write = L": setupWritePipe (\\\\.\\pipe\\toRouter\\" + id + L") - Finished";
      return waitUntil(stepLimit, [&] { return hasLine(id + read) && hasLine(id + write); });
    }
    if (s.rfind("listeners=", 0) == 0) {
      for (int i = std::atoi(value("listeners=").c_str()) - 1; i > 0; --i) {
        listeners.push_back(new Listener);
        channel->addIPCListener(listeners.back());
      }
      return true;
    }
    if (s.rfind("post=", 0) == 0) return post(value("post=")), true;
    if (s.rfind("expect=", 0) == 0)
      return expect(std::strtoul(value("expect=").c_str(), nullptr, 10));
    if (s.rfind("command=", 0) == 0) {
      std::string command = value("command=");
      std::string target =
          command.find(':') == std::string::npos ? "" : command.substr(command.find(':') + 1);
      IPCXMLMessage message(id.c_str(), L"BrevanService",
                            widen(command.substr(0, command.find(':'))).c_str());
      message.addMessagePiece(L"TARGET", widen(target).c_str());
      channel->postData(&message);
      return true;
    }
    if (s.rfind("wait-file=", 0) == 0) {
      std::string path = value("wait-file=");
      return waitForFile(path, static_cast<DWORD>(stepLimit.count()));
    }
    if (s.rfind("touch=", 0) == 0) {
      FILE* f = std::fopen(value("touch=").c_str(), "w");
      if (f) std::fclose(f);
      return f != nullptr;
    }
    if (s.rfind("sleep=", 0) == 0) return Sleep(std::atoi(value("sleep=").c_str())), true;
    if (s.rfind("step-limit=", 0) == 0) {
      stepLimit =
          std::chrono::milliseconds(std::strtoul(value("step-limit=").c_str(), nullptr, 10));
      return true;
    }
    if (s == "shutdown") {
      DWORD started = GetTickCount();
      channel->Shutdown();
      std::fprintf(report, "shutdown-ms %lu\n", GetTickCount() - started);
      return true;
    }
    if (s == "dump-lines") return dumpLines = true;
    if (s == "delete") {
      delete channel;
      channel = nullptr;
      return true;
    }
    std::fprintf(report, "unknown-step %s\n", s.c_str());
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ipclink_test_client <channel id> <report file> <step>...\n");
    return 2;
  }
  Client client;
  client.id = widen(argv[1]);
  client.report = std::fopen(argv[2], "w");
  if (!client.report) return 2;
  client.channel =
      IPCChannel::createChannel(client.id.c_str(), IPC_TO_ROUTER, &client.output, collect);
  if (!client.channel) return 3;
  client.listeners.push_back(new Listener);
  client.channel->addIPCListener(client.listeners.back());
  for (int i = 3; i < argc; ++i) client.dumpLines |= std::strcmp(argv[i], "dump-lines") == 0;
  int failed = 0;
  for (int i = 3; i < argc && !failed; ++i) {
    if (!client.step(argv[i])) {
      std::fprintf(client.report, "failed %s\n", argv[i]);
      failed = 1;
    }
    std::fflush(client.report);
  }
  {
    std::lock_guard<std::mutex> guard(client.output.mutex);
    std::fprintf(client.report, "status-lines %u\noverlaps %d\n",
                 static_cast<unsigned>(client.output.lines.size()), client.output.overlaps.load());
    if (client.dumpLines) {
      for (const auto& line : client.output.lines)
        std::fprintf(client.report, "line %ls\n", line.c_str());
    }
  }
  std::fclose(client.report);
  std::fflush(stdout);
  // The channel may be left running on purpose (a client that dies); end without tearing down.
  ExitProcess(failed);
}
