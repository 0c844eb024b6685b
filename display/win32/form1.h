#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/meter_window.h"

// The system's handle types, declared as windows.h declares them, so that this header needs none
// of it.
struct HWND__;
struct HDC__;
struct HBRUSH__;
struct HBITMAP__;

namespace kestrin {

// The meter window as a native Win32 window: a fixed dialog frame with caption and close box,
// the controls of the meter at their designed places, and the scale and bars drawn straight onto
// the window's device context (bars by the buffer pipeline only; the scale by every paint, after
// the paint has erased the window in its colour). The capture posts MM_WIM_DATA to this window.
//
// The window only translates: it creates the controls of kMeterControls and reports the system's
// messages to the meter's own steps (MeterWindow), which decide what they mean.
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

    // A control, by its designer's name.
    HWND__* Control(MeterControl control) const { return m_controls[Index(control)]; }

    // The window procedure's work: one message of this window, with the system's parameters.
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    void ShowCaption(const std::string& text) override;
    void ShowLabelCaption(MeterControl label, const std::string& text) override;
    void ShowMSButtonCaption(const std::string& text) override;
    void ShowButtonCaption(MeterControl button, const std::string& text) override;
    void PlaceControl(MeterControl control, bool shown, int left, int top) override;
    void ShowOverColour(int32_t colour) override;
    void ShowOverEnabled(bool enabled) override;
    void PaintWindowColour(int32_t colour) override;
    void SetClientSize(int width, int height) override;
    int ClientHeight() const override;
    void MoveFrameTo(int32_t left, int32_t top) override;
    int32_t FrameLeft() const override;
    int32_t FrameTop() const override;
    bool Topmost() const override;
    void SetTopmost(bool onTop) override;
    char DecimalSeparator() const override;
    void ReceiveCaptureBuffers() override;
    void FillRect(const PixelRect& rect, int32_t colour) override;
    void DrawLine(int x0, int y, int x1, int32_t colour) override;
    void EndDrawing(const std::vector<PixelRect>& changed) override;

  private:
    // The messages the window answers itself; nothing for those left to the system.
    std::optional<intptr_t> Handle(unsigned message, uintptr_t wParam, intptr_t lParam);
    std::optional<intptr_t> MouseMessage(unsigned message, intptr_t lParam);
    std::optional<intptr_t> Command(uintptr_t wParam, intptr_t lParam);
    void WimData(unsigned message, uintptr_t wParam, intptr_t lParam);
    void CreateControls();
    void CreateSurface();
    void DestroySurface();
    void DestroyResources();
    // The background brush of a static control (a label, the over indicator), with the colours
    // of its text.
    HBRUSH__* ControlColours(HWND__* control, HDC__* dc);
    void Paint();
    // A press or release on the window itself, not on one of its controls.
    bool OnSurface(int x, int y) const;

    HWND__* m_window = nullptr;
    std::array<HWND__*, kMeterControlCount> m_controls = {};  // in the order of kMeterControls
    HBRUSH__* m_windowBrush = nullptr;  // the window's colour, for labels standing on it
    HBRUSH__* m_overBrush = nullptr;    // the over indicator's colour
    int32_t m_windowColour = -1;        // 0x00BBGGRR of m_windowBrush
    int32_t m_overColour = -1;          // 0x00BBGGRR of m_overBrush
    HDC__* m_paintDc = nullptr;         // the device context of the paint under way, if one is
    HDC__* m_surfaceDc = nullptr;       // the image of the client area the meter draws into
    HBITMAP__* m_surfaceBitmap = nullptr;
    void* m_previousBitmap = nullptr;  // what m_surfaceDc held before m_surfaceBitmap
};

// The meter window of the run, set while it exists.
extern TForm1* Form1;

}  // namespace kestrin
