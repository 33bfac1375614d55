#pragma once

// The real backends of the administration methods, one *_win32.cpp file each.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "drive_ids.h"
#include "firewall.h"
#include "power_scheme.h"

namespace brevan::hostutil {

// Sessions and process launch (entry points bound at run time).
int32_t activeConsoleSessionId();
int64_t processSessionId();
int processWindowStationNumber();
bool createProcessInConsoleSession(const std::u16string& application,
                                   const std::optional<std::u16string>& arguments);

std::unique_ptr<PowerSchemes> systemPowerSchemes();

std::unique_ptr<InstalledProducts> wmiInstalledProducts();
std::set<std::u16string> runningImageNames();  // upper-cased
std::u16string upperCaseLocale(const std::u16string& text);

std::unique_ptr<DiskSource> systemDisks();

// The machine-wide "Global\serviceReadyForClientToStart" event.
void setServiceReadyFlag(bool ready);
bool serviceReadyFlag();

bool setWindowAlwaysOnTop(const std::u16string& title, bool onTop);

}  // namespace brevan::hostutil
