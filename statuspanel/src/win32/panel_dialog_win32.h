// The panel's dialog: the status text, the progress bar and the rules for ending it.
#pragma once

#include "panel_state_win32.h"

namespace brevan::statuspanel {

// Shows dialog 102 modally until the worker's work is done and the dialog ends.
void runPanelDialog(HINSTANCE instance, PanelState& state);

}  // namespace brevan::statuspanel
