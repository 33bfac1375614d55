// The ten source slots Java names by index, and what every source shares: the packet on offer.
#pragma once

#include <memory>

#include "current_packet.h"
#include "win32/sending_source_win32.h"
#include "win32/window_grabber_win32.h"

namespace brevan::screensource::win32 {

constexpr int kSourceSlots = 10;

// A source over the grabber in the lowest free slot; -1 (the grabber destroyed) when all ten
// are taken.
int createSource(std::unique_ptr<WindowGrabber> grabber);
// Null for a slot outside 0-9 or an empty one.
std::shared_ptr<SendingSource> sourceAt(int slot);
// 0 after closing, 0 for a slot outside 0-9, 1 for an empty slot. The slot is free at once; a
// packet thread that has not ended within a generous bound (or that is the caller) frees the
// source itself as it ends.
int closeSource(int slot);
// Installs the hooks for the source and starts its packet thread; the thread's handle, or 0.
intptr_t startSending(int slot);

CurrentPacket& currentPacket();

}  // namespace brevan::screensource::win32
