// What the redirector does to one frame: answers ARP requests of the local host for the two
// virtual hosts, rewrites IPv4 TCP and UDP packets by the rule tables (checksums patched
// incrementally), and sets the direction the frame leaves in.
//
// Every field read lies wholly inside the frame: a frame shorter than an Ethernet header, an ARP
// packet shorter than 42 bytes or not of IPv4 over 6-byte hardware addresses, an IPv4 header that
// is malformed or cut short, a TCP/UDP header outside the frame or the IPv4 total length, and
// every fragment leave the frame unchanged in its own direction. Learning that needs only the
// fields present still happens. No allocation; the frame is changed in place.
#pragma once

#include "frame.h"
#include "hardware_address.h"
#include "ipv4_address.h"
#include "redirect_rules.h"

namespace brevan::netredirect {

// What an adapter learns from its frames; each value is the latest seen.
struct LearnedFields {
  HardwareAddress localHardware{};  // source of frames the local stack sends
  Ipv4 localAddress;                // source of IPv4 packets the local stack sends (0: unknown)
  HardwareAddress peerHardware{};   // destination of frames to a rule's virtual address
};

void processFrame(Frame& frame, LearnedFields& learned, const RuleTables& rules);

}  // namespace brevan::netredirect
