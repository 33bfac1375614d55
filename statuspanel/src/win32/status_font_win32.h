// The status text's font for the system's default locale.
#pragma once

#include "winhelpers/gdi.h"

namespace brevan::statuspanel {

brevan::win32::ScopedGdiObject createStatusFont();

}  // namespace brevan::statuspanel
