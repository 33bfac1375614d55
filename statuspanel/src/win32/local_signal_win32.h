// The signal to the running product: one byte "B" to TCP port 1641 of the local host.
#pragma once

#include <windows.h>

#include <atomic>

namespace brevan::statuspanel {

constexpr unsigned short kSignalPort = 1641;

// Tries up to three times while the controller was asked to start; once connected, minimises
// the dialog, sends the byte and waits two seconds. The socket stays open until the process ends.
void signalProduct(HWND dialog, const std::atomic<bool>& started);

}  // namespace brevan::statuspanel
