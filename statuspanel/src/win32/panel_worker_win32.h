// The worker: asks the controller (and in start mode the launcher), keeps the panel up for
// about four seconds with a progress step a second, then lets the dialog end.
#pragma once

#include "panel_state_win32.h"

namespace brevan::statuspanel {

void startWorker(PanelState& state);
// After the dialog ended; the worker then has at most its last post left to do.
void waitForWorker(PanelState& state);

}  // namespace brevan::statuspanel
