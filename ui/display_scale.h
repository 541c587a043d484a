// Sizes at the display's scale. The design gives its pixel sizes at 96 DPI (100 %); a window draws
// them at its own DPI. The functions that give a window's or a DPI's own values exist only from
// Windows 10 on: they are looked up at run time, and the screen's system-wide values stand in for
// them on Windows 7 and 8. Windows only.
#pragma once

#include <windows.h>

// The DPI window is shown at: GetDpiForWindow where the system has it, else the screen's LOGPIXELSX.
int WindowDpi(HWND window);

// A size in pixels at 96 DPI, at dpi (rounded to the nearest pixel).
int ScaleToDpi(int pixels, int dpi);

// GetSystemMetrics(index) at dpi: GetSystemMetricsForDpi where the system has it, else the
// system-wide value.
int SystemMetricForDpi(int index, int dpi);

// A new 24-bit bitmap holding bitmap drawn at dpi, each side ScaleToDpi of its own, smoothed; at 96
// DPI an exact copy. bitmap stays the caller's; the new one is the caller's too. Null when bitmap is
// null or the copy cannot be made.
HBITMAP ScaleBitmapToDpi(HBITMAP bitmap, int dpi);
