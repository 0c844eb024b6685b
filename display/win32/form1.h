#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/meter_window.h"

// The system's handle types, declared as windows.h declares them, so that this header needs none
// of it.
struct HWND__;
struct HDC__;
struct HFONT__;
struct HBRUSH__;
struct HBITMAP__;

namespace kestrin {

// The meter window as a native Win32 window: a fixed dialog frame with caption and close box,
// the controls of the meter at their designed places, and the scale and bars drawn straight onto
// the window's device context (bars by the buffer pipeline only; the scale by every paint, after
// the paint has erased the window in its colour). The capture posts MM_WIM_DATA to this window.
//
// Construction creates the window hidden, with its controls, and runs FormCreate, which ends by
// opening the capture; the settings dialog must be created right after it, before any message is
// dispatched. Show() then shows it.
class TForm1 : public MeterWindow {
  public:
    TForm1();
    ~TForm1() override;

    // Shows the window (SW_ flags as WinMain received them) and paints it.
    void Show(int showCommand);
    HWND__* handle() const { return m_window; }

    // The controls, in the order the window holds them.
    HWND__* Label1 = nullptr;
    HWND__* Label2 = nullptr;
    HWND__* dBButton = nullptr;
    HWND__* Label4 = nullptr;
    HWND__* Label5 = nullptr;
    HWND__* Label6 = nullptr;
    HWND__* Label7 = nullptr;
    HWND__* Label8 = nullptr;
    HWND__* Label9 = nullptr;
    HWND__* Label10 = nullptr;
    HWND__* over = nullptr;
    HWND__* Label3 = nullptr;
    HWND__* Label11 = nullptr;
    HWND__* MSButton = nullptr;
    HWND__* Label12 = nullptr;

    // The window procedure's work: one message of this window, with the system's parameters.
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    void SetCaption(const std::string& text) override;
    void SetLabelCaption(MeterLabel label, const std::string& text) override;
    void SetMSButtonCaption(const std::string& text) override;
    void SetOverColour(int32_t colour) override;
    void SetOverEnabled(bool enabled) override;
    void PaintWindowColour(int32_t colour) override;
    void SetClientWidth(int width) override;
    int ClientHeight() const override;
    void MoveFrameTo(int32_t left, int32_t top) override;
    int32_t FrameLeft() const override;
    int32_t FrameTop() const override;
    bool SetTopmostByCaption(const std::string& caption, bool onTop) override;
    char DecimalSeparator() const override;
    void ReceiveCaptureBuffers() override;
    void BeginDrawing() override;
    void FillRect(const PixelRect& rect, int32_t colour) override;
    void DrawLine(int x0, int y, int x1, int32_t colour) override;
    void EndDrawing(const std::vector<PixelRect>& changed) override;

  private:
    void CreateControls();
    void CreateSurface();
    void DestroySurface();
    void DestroyResources();
    // Sizes a label to its text in its font, as the designer's labels size themselves.
    void FitLabel(HWND__* label, const std::string& text);
    // The background brush of a static control (a label, the over indicator), with the colours
    // of its text.
    HBRUSH__* ControlColours(HWND__* control, HDC__* dc);
    void Paint();
    void Activated(bool active, HWND__* other);
    // A press or release on the window itself, not on one of its controls.
    bool OnSurface(int x, int y) const;
    void MouseDown(MouseButton button, int x, int y);
    void LeftButtonUp(int x, int y);
    void Close();
    void PostHeldBufferDelivery();

    HWND__* m_window = nullptr;
    HFONT__* m_font = nullptr;           // the window's: "MS Sans Serif", 11 pixels
    HFONT__* m_boldFont = nullptr;       // the channel names under the bars
    HFONT__* m_smallBoldFont = nullptr;  // "S+20", 8 pixels
    HFONT__* m_scaleFont = nullptr;      // the scale marks: "Arial", 11 pixels
    HBRUSH__* m_windowBrush = nullptr;   // the window's colour, for labels standing on it
    HBRUSH__* m_overBrush = nullptr;     // the over indicator's colour
    int32_t m_windowColour = -1;         // 0x00BBGGRR of m_windowBrush
    int32_t m_overColour = -1;           // 0x00BBGGRR of m_overBrush
    bool m_overEnabled = true;
    HDC__* m_paintDc = nullptr;    // the device context of the paint under way, if one is
    HDC__* m_surfaceDc = nullptr;  // the image of the client area the meter draws into
    HBITMAP__* m_surfaceBitmap = nullptr;
    void* m_previousBitmap = nullptr;  // what m_surfaceDc held before m_surfaceBitmap
    bool m_leftPressed = false;        // a left press on the surface awaits its release
    bool m_activated = false;          // the window has been activated at least once
    bool m_focusToOwnWindow = false;   // the last deactivation gave the focus to a window of ours
    bool m_deliveryPosted = false;     // a message that delivers the held buffers is on its way
};

// The meter window of the run, set while it exists.
extern TForm1* Form1;

}  // namespace kestrin
