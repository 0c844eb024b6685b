#include "config/dialog/win32/message_box_text.h"

#include <algorithm>

#include "config/box_text.h"

namespace kestrin::win32 {
namespace {

// The system lays out its message box by rules of its own, which differ between systems. The text
// is measured here in the box's font at a width narrower than any of them lets a box's text run
// (kMeasureCharacters average characters, at most half the work area), so that the box the system
// makes is no taller than this measure says; its caption, OK row and margins are allowed kBoxRows
// more.
constexpr int kMeasureCharacters = 32;
constexpr int kBoxRows = 160;  // pixels

class BoxMeasure {
  public:
    explicit BoxMeasure(HWND owner) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
        m_work = monitor.rcWork;
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        m_font = CreateFontIndirectA(&metrics.lfMessageFont);
        m_dc = CreateCompatibleDC(nullptr);
        m_previous = SelectObject(m_dc, m_font);
        TEXTMETRICA font{};
        GetTextMetricsA(m_dc, &font);
        m_width = std::min((m_work.right - m_work.left) / 2,
                           kMeasureCharacters * std::max(font.tmAveCharWidth, LONG{1}));
    }
    ~BoxMeasure() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_font);
    }
    BoxMeasure(const BoxMeasure&) = delete;
    BoxMeasure& operator=(const BoxMeasure&) = delete;

    bool Fits(const std::string& text) const {
        RECT area{0, 0, m_width, 0};
        DrawTextA(m_dc, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return area.right <= m_width && area.bottom + kBoxRows <= m_work.bottom - m_work.top;
    }

  private:
    RECT m_work{};     // the work area of the screen the box opens on
    LONG m_width = 0;  // pixels the text is measured across
    HFONT m_font = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

}  // namespace

std::string FittedBoxText(HWND owner, const std::string& text) {
    const BoxMeasure measure(owner);
    return FitBoxText(text, [&](const std::string& candidate) { return measure.Fits(candidate); });
}

}  // namespace kestrin::win32
