// One owner for each GDI handle a drawing makes: objects, memory drawing contexts, selections and
// the paint of a window, each released on every path out of the scope that made it; and the
// screen's scale for what is drawn in pixels. Win32 only.
#pragma once

#include <windows.h>

namespace qs {

// A length in pixels at 96 DPI, scaled to the screen's DPI. The process is DPI-aware, so the
// system does not scale what it draws in pixels (fonts, pictures): that is ours to do.
inline int ScaleToScreen(int pixelsAt96Dpi) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return ::MulDiv(pixelsAt96Dpi, dpi, 96);
}

// A pen, brush, font, bitmap or region that we created; DeleteObject at the end. A failed
// creation leaves a null handle, which is simply not deleted.
template <typename Handle>
class CGdiObject {
public:
    explicit CGdiObject(Handle handle = nullptr) : m_handle(handle) {}
    ~CGdiObject() {
        if (m_handle != nullptr)
            ::DeleteObject(m_handle);
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle Get() const { return m_handle; }

private:
    Handle m_handle;
};

// A memory drawing context made with CreateCompatibleDC; DeleteDC at the end.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() {
        if (m_dc != nullptr)
            ::DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// Selects an object into a drawing context and puts the previous one back at the end: an object
// must not be deleted while it is still selected. Not for regions: SelectObject then returns a
// region type, not the previous handle.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc),
          m_previous(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            ::SelectObject(m_dc, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// BeginPaint and its EndPaint, which must run even if the drawing in between is abandoned.
class CPaintDC {
public:
    explicit CPaintDC(HWND window)
        : m_window(window), m_paint(), m_dc(::BeginPaint(window, &m_paint)) {}
    ~CPaintDC() { ::EndPaint(m_window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return m_dc; }
    const RECT& GetPaintRect() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint;
    HDC m_dc;
};

}  // namespace qs
