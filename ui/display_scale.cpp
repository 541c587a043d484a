#include "ui/display_scale.h"

namespace {

// An entry point of user32 that older systems lack, or null.
template <typename Function>
Function User32Function(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND window)
{
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    static const DpiForWindow dpiForWindow = User32Function<DpiForWindow>("GetDpiForWindow");
    int dpi = dpiForWindow && window ? static_cast<int>(dpiForWindow(window)) : 0;
    if (dpi > 0) return dpi;
    HDC screen = GetDC(nullptr);
    if (screen) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

int ScaleToDpi(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

int SystemMetricForDpi(int index, int dpi)
{
    typedef int(WINAPI * MetricForDpi)(int, UINT);
    static const MetricForDpi metricForDpi = User32Function<MetricForDpi>("GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

HBITMAP ScaleBitmapToDpi(HBITMAP bitmap, int dpi)
{
    BITMAP source = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof source, &source)) return nullptr;
    int width = ScaleToDpi(source.bmWidth, dpi), height = ScaleToDpi(source.bmHeight, dpi);
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HBITMAP scaled = from && to ? CreateDIBSection(to, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (scaled) {
        HGDIOBJ oldFrom = SelectObject(from, bitmap), oldTo = SelectObject(to, scaled);
        // Halftone averages the pixels a scaled pixel covers; at one to one it is a plain copy.
        bool same = width == source.bmWidth && height == source.bmHeight;
        SetStretchBltMode(to, same ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        bool drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        if (!drawn) {
            DeleteObject(scaled);
            scaled = nullptr;
        }
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    return scaled;
}
