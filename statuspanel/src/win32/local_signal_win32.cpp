// Winsock 2 before anything that brings in <windows.h> and with it the old socket header.
#include <winsock2.h>

#include "local_signal_win32.h"

#include "signal_attempts.h"

namespace brevan::statuspanel {

namespace {

constexpr DWORD kAfterSendMs = 2000;

// The first address of the local host, or none when the name does not resolve.
bool localAddress(sockaddr_in& address) {
  const hostent* host = gethostbyname("");
  if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0]) {
    return false;
  }
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_port = htons(kSignalPort);
  memcpy(&address.sin_addr, host->h_addr_list[0], sizeof address.sin_addr);
  return true;
}

// A fresh socket for every attempt: one that was refused cannot connect again.
SOCKET connectOnce(const sockaddr_in& address) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return s;
  closesocket(s);
  return INVALID_SOCKET;
}

}  // namespace

void signalProduct(HWND dialog, const std::atomic<bool>& started) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return;
  sockaddr_in address;
  if (!localAddress(address)) return;
  SOCKET connected = INVALID_SOCKET;
  const SignalSteps steps{[&] { return started.load(); },
                          [&] { return (connected = connectOnce(address)) != INVALID_SOCKET; },
                          [] { Sleep(kSignalPauseMs); }};
  if (!connectWithRetries(steps)) return;
  ShowWindow(dialog, SW_MINIMIZE);
  send(connected, "B", 1, 0);
  Sleep(kAfterSendMs);
}

}  // namespace brevan::statuspanel
