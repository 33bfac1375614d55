#include "win32/host_channel_win32.h"

#include "win32/channel_state_win32.h"

namespace brevan::ipclink::win32 {

IPCChannel* createHostChannel(const wchar_t* channelID, int direction, const ChannelHost& host) {
  if (!channelID) return nullptr;
  return IPCChannelState::newChannel(channelID, direction, nullptr, nullptr, host);
}

bool readyToTalk(IPCChannel* channel) {
  IPCChannelState* state = IPCChannelState::of(channel);
  return state->readPipeReady && state->writePipeReady;
}

void requestShutdown(IPCChannel* channel) {
  IPCChannelState::of(channel)->shutdownRequested = true;
}

}  // namespace brevan::ipclink::win32
