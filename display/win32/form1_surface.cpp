#include <windows.h>

#include "display/win32/form1.h"

// The meter draws straight onto the window's device context, with no image of its own behind it:
// solid fills and one-pixel solid lines in the exact colours asked for. What the pipeline draws
// shows at once; a paint from the system erases its region in the window's colour and draws the
// scale again, leaving the bar columns black until the next buffer.

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
    const RECT& region() const { return m_paint.rcPaint; }

  private:
    HWND m_window;
    HDC__*& m_slot;
    PAINTSTRUCT m_paint{};
};

}  // namespace

void TForm1::Paint() {
    PaintScope paint(m_window, m_paintDc);
    ::FillRect(m_paintDc, &paint.region(), m_windowBrush);
    FormPaint();
}

void TForm1::PaintWindowColour(int32_t colour) {
    HBRUSH previous = m_windowBrush;
    m_windowBrush = CreateSolidBrush(static_cast<COLORREF>(colour));
    m_windowColour = colour;
    if (previous) DeleteObject(previous);
    // The labels standing on the window's colour take it too.
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Inside a paint, on the paint's own device context; otherwise (the pipeline) on the window's.
void TForm1::BeginDrawing() {
    m_drawingDc = m_paintDc ? m_paintDc : GetDC(m_window);
    SelectObject(m_drawingDc, GetStockObject(DC_PEN));
    SelectObject(m_drawingDc, GetStockObject(DC_BRUSH));
}

void TForm1::FillRect(const PixelRect& rect, int32_t colour) {
    if (rect.empty()) {
        return;
    }
    const RECT area{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
    SetDCBrushColor(m_drawingDc, static_cast<COLORREF>(colour));
    ::FillRect(m_drawingDc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A line drawn to x1 leaves x1 itself out.
void TForm1::DrawLine(int x0, int y, int x1, int32_t colour) {
    SetDCPenColor(m_drawingDc, static_cast<COLORREF>(colour));
    MoveToEx(m_drawingDc, x0, y, nullptr);
    LineTo(m_drawingDc, x1, y);
}

// Everything was drawn on the window itself: it only has to reach the screen now.
void TForm1::EndDrawing(const std::vector<PixelRect>& changed) {
    (void)changed;
    GdiFlush();
    if (m_drawingDc && m_drawingDc != m_paintDc) {
        ReleaseDC(m_window, m_drawingDc);
    }
    m_drawingDc = nullptr;
}

}  // namespace kestrin
