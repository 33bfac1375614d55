// What the dialog and its worker share for the life of the dialog.
#pragma once

#include <windows.h>

#include <atomic>

#include "winhelpers/gdi.h"
#include "winhelpers/handles.h"

namespace brevan::statuspanel {

struct PanelState {
  bool startMode = false;
  HWND dialog = nullptr;
  HICON icon = nullptr;
  // The status text's font, kept until the dialog is gone.
  brevan::win32::ScopedGdiObject statusFont;
  brevan::win32::ScopedHandle worker;
  // Set by the worker once the controller was asked to start.
  std::atomic<bool> started{false};
  // Set by the worker when its work is done; until then the dialog refuses to end.
  std::atomic<bool> finished{false};
};

}  // namespace brevan::statuspanel
