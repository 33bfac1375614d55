// Holders of GDI objects, device contexts and an object selected into a device context.
#pragma once

#include <windows.h>

#include "winhelpers/scoped.h"

namespace brevan::win32 {

// A created pen, brush, bitmap, font or region (DeleteObject).
template <typename Object = HGDIOBJ>
struct GdiObjectTraits : NullIsNoneTraits<Object> {
  using typename NullIsNoneTraits<Object>::Handle;
  static constexpr char kKind[] = "GDI object";
  static bool release(Handle h) { return DeleteObject(h) != FALSE; }
};

// A window's device context from GetDC, given back with ReleaseDC.
struct WindowDc {
  HWND window;
  HDC dc;
};
struct WindowDcTraits {
  using Handle = WindowDc;
  static constexpr char kKind[] = "window device context";
  static Handle none() { return {nullptr, nullptr}; }
  static bool valid(Handle h) { return h.dc != nullptr; }
  static bool release(Handle h) { return ReleaseDC(h.window, h.dc) == 1; }
};

// A device context made with CreateCompatibleDC or CreateDC (DeleteDC).
struct MemoryDcTraits : NullIsNoneTraits<HDC> {
  static constexpr char kKind[] = "memory device context";
  static bool release(Handle h) { return DeleteDC(h) != FALSE; }
};

// The object a SelectObject displaced, put back into its device context.
struct SelectedObject {
  HDC dc;
  HGDIOBJ previous;
};
struct SelectedObjectTraits {
  using Handle = SelectedObject;
  static constexpr char kKind[] = "selected GDI object";
  static Handle none() { return {nullptr, nullptr}; }
  static bool valid(Handle h) { return h.previous != nullptr && h.previous != HGDI_ERROR; }
  static bool release(Handle h) {
    const HGDIOBJ restored = SelectObject(h.dc, h.previous);
    return restored != nullptr && restored != HGDI_ERROR;
  }
};

using ScopedGdiObject = Scoped<GdiObjectTraits<>>;
using ScopedBitmap = Scoped<GdiObjectTraits<HBITMAP>>;
using ScopedWindowDc = Scoped<WindowDcTraits>;
using ScopedMemoryDc = Scoped<MemoryDcTraits>;
using ScopedSelectObject = Scoped<SelectedObjectTraits>;

inline ScopedWindowDc windowDc(HWND window) { return ScopedWindowDc({window, GetDC(window)}); }

// Selects object into dc until the holder ends.
inline ScopedSelectObject selectObject(HDC dc, HGDIOBJ object) {
  return ScopedSelectObject({dc, SelectObject(dc, object)});
}

}  // namespace brevan::win32
