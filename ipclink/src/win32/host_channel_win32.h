// The Java host's channels: the channel classes built with the host's settings, where a channel
// has no status output and hands every inbound text to the host function it was created with
// instead of to listeners.
#pragma once

#include <windows.h>

#include "ipclink.h"

namespace brevan::ipclink::win32 {

// Where a host channel's inbound texts go. deliver runs on a delivery thread of the channel's
// own, one thread per message; context is passed back unchanged.
struct ChannelHost {
  void (*deliver)(void* context, IPCChannel* channel, const wchar_t* text) = nullptr;
  void* context = nullptr;
};

// Null without an id or when the channel cannot be made. Takes no creation mutex: the host
// decides which of its channels queue up behind other processes' creations.
IPCChannel* createHostChannel(const wchar_t* channelID, int direction, const ChannelHost& host);

// Both own pipes have been up once since creation.
bool readyToTalk(IPCChannel* channel);

// Sets the shutdown flag: the channel's threads stop repairing and retrying.
void requestShutdown(IPCChannel* channel);

// The process's one handle of "Global\channelBeingCreatedMutex", made on first use and kept;
// null when it can be neither created nor opened.
HANDLE channelCreationMutex();

}  // namespace brevan::ipclink::win32
