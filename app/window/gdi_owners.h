// Tiny owners for device contexts, so every GetDC, BeginPaint and SaveDC is
// undone on every path by construction.
#pragma once

#include <windows.h>

// GetDC / ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC get() const { return ps_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

// SaveDC / RestoreDC: clip region and selections come back as they were.
class SavedDCState {
public:
    explicit SavedDCState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDCState() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A GDI object made by the program (a font), deleted when replaced or gone.
class GdiObjectOwner {
public:
    GdiObjectOwner() = default;
    ~GdiObjectOwner() { reset(nullptr); }
    GdiObjectOwner(const GdiObjectOwner&) = delete;
    GdiObjectOwner& operator=(const GdiObjectOwner&) = delete;
    void reset(HGDIOBJ object) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }
    HFONT font() const { return static_cast<HFONT>(object_); }
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_ = nullptr;
};
