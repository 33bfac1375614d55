// The Java host's build of the channel classes, compiled here so that a change to the shared
// sources that breaks it shows up in this subsystem's build. Creates a client channel without
// status output, checks it is not ready (no router), then leaves it the host's way.
#include <windows.h>

#include <cstdio>

#include "ipclink.h"

void ipclinkDeliverToHost(IPCChannel*, const wchar_t*) {}

int main() {
    IPCChannel* channel = IPCChannel::createHostChannel(L"hostcheck", IPC_TO_ROUTER, nullptr);
    if (!channel) return 1;
    Sleep(200);
    bool ready = channel->readyToTalk();
    channel->requestShutdown();
    delete channel;
    std::printf("host build: ready=%d\n", ready ? 1 : 0);
    return ready ? 1 : 0;
}
