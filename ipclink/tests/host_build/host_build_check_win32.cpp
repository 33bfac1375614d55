// The Java host's build of the channel classes, compiled here so that a change to the shared
// sources that breaks it shows up in this subsystem's build. Creates a client channel without
// status output, checks it is not ready (no router), then leaves it the host's way.
#include <windows.h>

#include <cstdio>

#include "win32/host_channel_win32.h"

int main() {
  IPCChannel* channel = brevan::ipclink::win32::createHostChannel(L"hostcheck", IPC_TO_ROUTER, {});
  if (!channel) return 1;
  Sleep(200);
  bool ready = brevan::ipclink::win32::readyToTalk(channel);
  brevan::ipclink::win32::requestShutdown(channel);
  delete channel;
  std::printf("host build: ready=%d\n", ready ? 1 : 0);
  return ready ? 1 : 0;
}
