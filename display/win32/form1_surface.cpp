#include <windows.h>

#include <stdexcept>

#include "display/bar_geometry.h"
#include "display/win32/form1.h"

// What the window shows besides its controls is drawn into an image of the client area (solid
// fills and one-pixel solid lines in the exact colours asked for) and copied onto the window: the
// rows a buffer changed at once, and the region of a paint from the system, which first erases
// the image in the window's colour and draws the scale again, leaving the bar columns black until
// the next buffer. Copying only what changed keeps the meter's work per buffer small where every
// pixel put on the window travels to a display server, as under Wine.

namespace kestrin {
namespace {

// Ends the paint whatever the steps inside it do, so that its region is validated.
class PaintScope {
  public:
    PaintScope(HWND window, HDC__*& slot) : m_window(window), m_slot(slot) {
        m_slot = BeginPaint(window, &m_paint);
    }
    ~PaintScope() {
        m_slot = nullptr;
        EndPaint(m_window, &m_paint);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

  private:
    HWND m_window;
    HDC__*& m_slot;
    PAINTSTRUCT m_paint{};
};

}  // namespace

void TForm1::CreateSurface() {
    HDC screen = GetDC(m_window);
    m_surfaceDc = CreateCompatibleDC(screen);
    // As laid out and as wide and high as the loudness column and its strip make the window:
    // columns that lie outside a narrowed window are kept there too.
    m_surfaceBitmap = CreateCompatibleBitmap(screen, kSurfaceWidth, kSurfaceHeight);
    ReleaseDC(m_window, screen);
    if (!m_surfaceDc || !m_surfaceBitmap) {
        throw std::runtime_error("The meter window's image could not be created.");
    }
    m_previousBitmap = SelectObject(m_surfaceDc, m_surfaceBitmap);
    SelectObject(m_surfaceDc, GetStockObject(DC_PEN));
    SelectObject(m_surfaceDc, GetStockObject(DC_BRUSH));
}

void TForm1::DestroySurface() {
    if (m_surfaceDc) {
        SelectObject(m_surfaceDc, m_previousBitmap);
        DeleteDC(m_surfaceDc);
    }
    if (m_surfaceBitmap) DeleteObject(m_surfaceBitmap);
    m_surfaceDc = nullptr;
    m_surfaceBitmap = nullptr;
}

void TForm1::Paint() {
    PaintScope paint(m_window, m_paintDc);
    PaintRequested();
}

void TForm1::PaintWindowColour(int32_t colour) {
    HBRUSH previous = m_windowBrush;
    m_windowBrush = CreateSolidBrush(static_cast<COLORREF>(colour));
    m_windowColour = colour;
    if (previous) DeleteObject(previous);
    // The labels standing on the window's colour take it too.
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TForm1::FillRect(const PixelRect& rect, int32_t colour) {
    if (rect.empty()) {
        return;
    }
    const RECT area{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
    SetDCBrushColor(m_surfaceDc, static_cast<COLORREF>(colour));
    ::FillRect(m_surfaceDc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A line drawn to x1 leaves x1 itself out.
void TForm1::DrawLine(int x0, int y, int x1, int32_t colour) {
    SetDCPenColor(m_surfaceDc, static_cast<COLORREF>(colour));
    MoveToEx(m_surfaceDc, x0, y, nullptr);
    LineTo(m_surfaceDc, x1, y);
}

// Inside a paint, onto the paint's own device context (which keeps to the paint's region);
// otherwise straight onto the window, without waiting for a paint. The window leaves out its
// controls and whatever lies outside its client area.
void TForm1::EndDrawing(const std::vector<PixelRect>& changed) {
    if (changed.empty()) {
        return;
    }
    HDC window = m_paintDc ? m_paintDc : GetDC(m_window);
    for (const PixelRect& rect : changed) {
        BitBlt(window, rect.left, rect.top, rect.width, rect.height, m_surfaceDc, rect.left,
               rect.top, SRCCOPY);
    }
    if (window != m_paintDc) {
        ReleaseDC(m_window, window);
    }
}

}  // namespace kestrin
