#include "redirect_rules.h"

namespace brevan::netredirect {

std::array<LocalRedirect, kSmbRuleCount> smbTranslations() {
  std::array<LocalRedirect, kSmbRuleCount> rules{};
  rules[0] = {kVirtualServer, kVirtualPeer, 139, 1139};
  rules[1] = {kVirtualServer, kVirtualPeer, 137, 1137};
  rules[2] = {kVirtualServer, kVirtualPeer, 138, 1138};
  rules[3] = {kVirtualServer, kVirtualPeer, 1640, 1641};
  // One SMB host per virtual address 100.100.100.200+i, each on its own local port.
  for (uint8_t i = 0; i < 10; ++i) {
    rules[4 + i] = {Ipv4::fromOctets(100, 100, 100, uint8_t(200 + i)),
                    Ipv4::fromOctets(100, 100, 100, uint8_t(100 + i)), 445,
                    uint16_t(1700 + i)};
  }
  return rules;
}

}  // namespace brevan::netredirect

namespace brevan::netredirect {

bool addSmbTranslations(RuleTables& tables) {
  for (const LocalRedirect& rule : smbTranslations()) {
    if (!tables.local.append(rule)) return false;
  }
  return true;
}

bool addLocalRedirect(RuleTables& tables, int32_t virtualAddress, int32_t peerAddress,
                      int32_t virtualPort, int32_t localPort) {
  return tables.local.append({Ipv4::fromJava(virtualAddress), Ipv4::fromJava(peerAddress),
                              portFromJava(virtualPort), portFromJava(localPort)});
}

bool addRemoteRedirect(RuleTables& tables, int32_t virtualAddress, int32_t targetAddress,
                       int32_t virtualPort, int32_t targetPort, int32_t hardwareTail,
                       int32_t hardwareHead) {
  RemoteRedirect rule;
  rule.targetHardware = hardwareFromJava(hardwareTail, hardwareHead);
  rule.targetAddress = Ipv4::fromJava(targetAddress);
  rule.virtualAddress = Ipv4::fromJava(virtualAddress);
  rule.targetPort = portFromJava(targetPort);
  rule.virtualPort = portFromJava(virtualPort);
  return tables.remote.append(rule);
}

}  // namespace brevan::netredirect
