// IPC benchmark: one-way messages per second and round-trip latency through the test router,
// next to a raw named-pipe ping-pong of the same sizes in the same run, and what one hop costs.
//
//   ipclink_bench [small count] [large count]
// Starts ipclink_test_router.exe from its own folder; no other router may be running.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ipclink.h"

namespace {

std::string ownFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, n);
  return full.substr(0, full.find_last_of("\\/"));
}

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

struct Counter : IPCListenerInterface {
  std::atomic<int> received{0};
  IPCChannel* replyOn = nullptr;  // echo every message back to its source
  void messageReceived(IPCChannel*, IPCXMLMessage* message) override {
    if (replyOn) {
      wchar_t* source = message->getSourceIDWhichNeedsToBeDeleted();
      IPCXMLMessage reply(L"benchB", source, L"Pong");
      reply.addMessagePiece(L"PAYLOAD", L"x");
      replyOn->postData(&reply);
      IPCXMLMessage::deleteString(source);
    }
    IPCXMLMessage::deleteMessage(message);
    ++received;
  }
};

void waitFor(const std::atomic<int>& value, int target) {
  DWORD started = GetTickCount();
  while (value < target && GetTickCount() - started < 120000) Sleep(1);
}

struct Result {
  double perSecond;
  double roundTripMs;
};

std::wstring framedMessage(int bytes) {
  IPCXMLMessage message(L"benchA", L"benchB", L"Data");
  message.addMessagePiece(L"PAYLOAD",
                          std::wstring(bytes > 300 ? (bytes - 300) / 2 : 1, L'p').c_str());
  wchar_t* framed = message.toStringWithLengthPrefixWhichNeedsToBeDeleted();
  std::wstring out = framed;
  IPCXMLMessage::deleteString(framed);
  return out;
}

IPCChannel* gB = nullptr;  // the echoing end

Result throughRouter(IPCChannel* a, Counter& atA, Counter& atB, int bytes, int count) {
  std::wstring framed = framedMessage(bytes);
  atB.replyOn = nullptr;
  int start = atB.received;
  LARGE_INTEGER t0 = now();
  for (int i = 0; i < count; ++i) a->postData(framed.c_str());
  waitFor(atB.received, start + count);
  double oneWay = seconds(t0, now());
  atB.replyOn = nullptr;

  int trips = count / 4 + 1;
  Counter* echo = &atB;
  echo->replyOn = gB;
  LARGE_INTEGER t1 = now();
  for (int i = 0; i < trips; ++i) {
    int before = atA.received;
    a->postData(framed.c_str());
    waitFor(atA.received, before + 1);
  }
  double roundTrip = seconds(t1, now());
  echo->replyOn = nullptr;
  return {count / oneWay, 1000.0 * roundTrip / trips};
}

// Raw pipes: one writer, one reader thread; the same sizes, no framing or XML.
struct RawPair {
  HANDLE server = INVALID_HANDLE_VALUE;
  HANDLE client = INVALID_HANDLE_VALUE;
  RawPair(const std::wstring& name) {
    server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                              PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 50,
                              nullptr);
    client = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    ConnectNamedPipe(server, nullptr);
  }
  ~RawPair() {
    if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
    CloseHandle(server);
  }
};

bool readExactly(HANDLE pipe, char* buffer, DWORD bytes) {
  for (DWORD done = 0; done < bytes;) {
    DWORD got = 0;
    if (!ReadFile(pipe, buffer + done, bytes - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

struct RawJob {
  HANDLE pipe;
  int bytes;
  int count;
  bool echo;
};

DWORD WINAPI rawPeer(void* argument) {
  auto* job = static_cast<RawJob*>(argument);
  std::vector<char> buffer(job->bytes);
  for (int i = 0; i < job->count; ++i) {
    if (!readExactly(job->pipe, buffer.data(), job->bytes)) return 1;
    DWORD written = 0;
    if (job->echo) WriteFile(job->pipe, buffer.data(), 2, &written, nullptr);
  }
  return 0;
}

Result rawPipes(int bytes, int count) {
  std::wstring name = L"\\\\.\\pipe\\ipclinkbench" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                      std::to_wstring(bytes);
  std::vector<char> data(bytes, 'r');
  Result result{};
  for (int pass = 0; pass < 2; ++pass) {
    RawPair pair(name + (pass ? L"rt" : L"ow"));
    bool echo = pass == 1;
    int n = echo ? count / 4 + 1 : count;
    RawJob job{pair.server, bytes, n, echo};
    HANDLE peer = CreateThread(nullptr, 0, rawPeer, &job, 0, nullptr);
    LARGE_INTEGER t0 = now();
    for (int i = 0; i < n; ++i) {
      DWORD written = 0;
      WriteFile(pair.client, data.data(), bytes, &written, nullptr);
      if (echo) readExactly(pair.client, data.data(), 2);
    }
    WaitForSingleObject(peer, INFINITE);
    CloseHandle(peer);
    double elapsed = seconds(t0, now());
    if (echo) {
      result.roundTripMs = 1000.0 * elapsed / n;
    } else {
      result.perSecond = n / elapsed;
    }
  }
  return result;
}

// What one hop is made of, each timed alone: a message factory request (reading a piece), a
// parse (a message made from text and deleted), a thread start (created, run, ended) and a pipe
// write of the framed text into a pipe that a reader drains.
double microsecondsPer(int rounds, void (*step)(void*), void* context) {
  LARGE_INTEGER t0 = now();
  for (int i = 0; i < rounds; ++i) step(context);
  return 1e6 * seconds(t0, now()) / rounds;
}

DWORD WINAPI emptyThread(void*) { return 0; }

DWORD WINAPI drain(void* argument) {
  std::vector<char> buffer(65536);
  DWORD got = 0;
  while (ReadFile(static_cast<HANDLE>(argument), buffer.data(), 65536, &got, nullptr)) {
  }
  return 0;
}

void printHopCosts(int bytes) {
  std::wstring framed = framedMessage(bytes);
  std::wstring text = framed.substr(framed.find(L"</LENGTH>") + 9);
  IPCXMLMessage message(text.c_str());
  const int rounds = 200;
  double request = microsecondsPer(
      rounds, [](void* m) {
        IPCXMLMessage::deleteString(
            static_cast<IPCXMLMessage*>(m)->getMessagePieceWhichNeedsToBeDeleted(L"SOURCE_ID"));
      }, &message);
  double parse = microsecondsPer(
      rounds, [](void* t) { IPCXMLMessage parsed(static_cast<std::wstring*>(t)->c_str()); },
      &text);
  double thread = microsecondsPer(
      rounds, [](void*) {
        HANDLE h = CreateThread(nullptr, 0, emptyThread, nullptr, 0, nullptr);
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
      }, nullptr);
  RawPair pair(L"\\\\.\\pipe\\ipclinkcosts" + std::to_wstring(GetCurrentProcessId()) +
               std::to_wstring(bytes));
  HANDLE reader = CreateThread(nullptr, 0, drain, pair.server, 0, nullptr);
  struct Write {
    HANDLE pipe;
    const std::wstring* text;
  } write{pair.client, &framed};
  double pipeWrite = microsecondsPer(
      rounds, [](void* w) {
        auto* job = static_cast<Write*>(w);
        DWORD written = 0;
        WriteFile(job->pipe, job->text->c_str(), DWORD(2 * (job->text->size() + 1)), &written,
                  nullptr);
      }, &write);
  CloseHandle(pair.client);
  pair.client = INVALID_HANDLE_VALUE;
  WaitForSingleObject(reader, 5000);
  CloseHandle(reader);
  std::printf(
      "ipclink %5d-byte hop costs: factory request %7.1f us, parse+delete %7.1f us, thread start "
      "%7.1f us, pipe write %7.1f us\n",
      bytes, request, parse, thread, pipeWrite);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int smallCount = argc > 1 ? std::atoi(argv[1]) : 2000;
  int largeCount = argc > 2 ? std::atoi(argv[2]) : 300;
  std::string router = ownFolder() + "\\ipclink_test_router.exe";
  std::string log = ownFolder() + "\\ipclink-bench-router.log";
  std::string command = "\"" + router + "\" \"" + log + "\" --untraced";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(router.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", router.c_str());
    return 1;
  }
  Counter atA, atB;
  IPCChannel* a = IPCChannel::createChannel(L"benchA", IPC_TO_ROUTER, nullptr, nullptr);
  gB = IPCChannel::createChannel(L"benchB", IPC_TO_ROUTER, nullptr, nullptr);
  a->addIPCListener(&atA);
  gB->addIPCListener(&atB);
  // Admission of both, then one message each way to warm up.
  int warm = atB.received;
  a->postData(framedMessage(200).c_str());
  waitFor(atB.received, warm + 1);

  for (int bytes : {200, 20000}) {
    int count = bytes == 200 ? smallCount : largeCount;
    Result ipc = throughRouter(a, atA, atB, bytes, count);
    Result raw = rawPipes(bytes, count);
    std::printf(
        "ipclink %5d-byte messages: %8.0f msg/s one-way (raw pipe %8.0f, ratio %.3f), "
        "round trip %7.3f ms (raw pipe %6.3f ms, ratio %.1f)\n",
        bytes, ipc.perSecond, raw.perSecond, ipc.perSecond / raw.perSecond, ipc.roundTripMs,
        raw.roundTripMs, ipc.roundTripMs / raw.roundTripMs);
    std::fflush(stdout);
    printHopCosts(bytes);
  }
  TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  ExitProcess(0);
}
