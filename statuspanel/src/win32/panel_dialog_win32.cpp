#include "panel_dialog_win32.h"

#include <commctrl.h>

#include "local_signal_win32.h"
#include "panel_resources.h"
#include "panel_worker_win32.h"
#include "status_font_win32.h"
#include "worker_timing.h"

namespace brevan::statuspanel {

namespace {

constexpr int kMaxStatusText = 256;

PanelState* stateOf(HWND dialog) {
  return reinterpret_cast<PanelState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void setIcons(HWND dialog, PanelState& state) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  state.icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PANEL));
  const auto small = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_PANEL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(state.icon));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(small ? small : state.icon));
}

void resetProgress(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE32, kProgressMinimum, kProgressMaximum);
  SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETSTEP, kProgressStep, 0);
  SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

// Read through the wide API so that every language shows whatever the ANSI code page.
void setStatusText(HWND dialog, bool startMode) {
  wchar_t text[kMaxStatusText] = {};
  LoadStringW(GetModuleHandleW(nullptr), startMode ? IDS_STARTING : IDS_STOPPING, text,
              kMaxStatusText);
  SetDlgItemTextW(dialog, IDC_STATUS_TEXT, text);
}

void initialise(HWND dialog, PanelState& state) {
  state.dialog = dialog;
  SetWindowLongPtrW(dialog, DWLP_USER, LONG_PTR(&state));
  setIcons(dialog, state);
  resetProgress(dialog);
  state.statusFont = createStatusFont();
  SendDlgItemMessageW(dialog, IDC_STATUS_TEXT, WM_SETFONT, WPARAM(state.statusFont.get()), TRUE);
  setStatusText(dialog, state.startMode);
  startWorker(state);
}

// A minimised dialog shows its icon in the middle of its client area.
bool paintMinimised(HWND dialog, const PanelState& state) {
  if (!IsIconic(dialog)) return false;
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(dialog, &paint);
  SendMessageW(dialog, WM_ICONERASEBKGND, WPARAM(dc), 0);
  RECT client;
  GetClientRect(dialog, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, state.icon);
  EndPaint(dialog, &paint);
  return true;
}

// Enter and Esc send OK and Cancel even without buttons; like a close request, neither may end
// the dialog before the worker is done, or the controller and the signal would be cut short.
bool onCommand(HWND dialog, PanelState& state, WORD command) {
  if (command != IDOK && command != IDCANCEL) return false;
  if (!state.finished) return true;
  if (command == IDOK && state.startMode) signalProduct(dialog, state.started);
  EndDialog(dialog, command);
  return true;
}

INT_PTR CALLBACK panelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initialise(dialog, *reinterpret_cast<PanelState*>(lParam));
    return TRUE;
  }
  PanelState* state = stateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return onCommand(dialog, *state, LOWORD(wParam));
    case WM_CLOSE:
      // Handled (and so ignored) until the work is done; then the default handling closes.
      return !state->finished;
    case WM_PAINT:
      return paintMinimised(dialog, *state);
    case WM_QUERYDRAGICON:
      return INT_PTR(state->icon);
    default:
      return FALSE;
  }
}

}  // namespace

void runPanelDialog(HINSTANCE instance, PanelState& state) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STATUS_PANEL), nullptr, panelProcedure,
                  LPARAM(&state));
  waitForWorker(state);
}

}  // namespace brevan::statuspanel
