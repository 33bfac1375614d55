// What the hook procedures need in every process they run in: one copy of this block is shared
// by all processes that load the library, so the hooks reach the receiver of the host process.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brevan::screensource::win32 {

// The registered report messages, in the order of their ids and names in the shared block.
enum ReportMessage {
  kRectangleReport,
  kClientReport,
  kAllReport,
  kCursorReport,
  kMoveReport,
  kNonclientReport,
  kReportMessageCount
};

struct HookSharedData {
  UINT messageIds[kReportMessageCount];
  LONG lastCursorReport;  // tick count of the last cursor report; -1 before the first
  HWND receiver;          // the hidden window every report is posted to
  char messageNames[kReportMessageCount][32];
};

// The block is read by processes of the same width only, but its layout is fixed per width.
static_assert(offsetof(HookSharedData, lastCursorReport) == 24);
static_assert(offsetof(HookSharedData, receiver) == (sizeof(void*) == 8 ? 32 : 28));
static_assert(offsetof(HookSharedData, messageNames) == (sizeof(void*) == 8 ? 40 : 32));

HookSharedData& hookShared();

// Registers the six messages by name; every process that loads the library does it at load.
void registerReportMessages();

// Posts to the receiver; nothing when there is no receiver or the message id is unknown.
void postToReceiver(UINT message, WPARAM wParam, LPARAM lParam);
inline void postReport(ReportMessage message, WPARAM wParam, LPARAM lParam) {
  postToReceiver(hookShared().messageIds[message], wParam, lParam);
}

}  // namespace brevan::screensource::win32
