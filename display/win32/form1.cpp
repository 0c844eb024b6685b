#include "display/win32/form1.h"

#include <windows.h>

#include <stdexcept>

#include "config/dialog/win32/win32_controls.h"
#include "display/bar_geometry.h"
#include "display/win32/meter_window_class.h"

namespace kestrin {

TForm1* Form1 = nullptr;

TForm1::TForm1() {
    Form1 = this;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // A change of width repaints the whole window, as the meter expects of it.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = win32::FormProc<TForm1>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = kMeterWindowClass;
    RegisterClassExA(&windowClass);

    const SIZE frame = FrameSize(kDesignedClientWidth, kClientHeight);
    HWND window = CreateWindowExA(kMeterWindowExStyle, kMeterWindowClass, kDesignedCaption,
                                  kMeterWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                                  frame.cy, nullptr, nullptr, instance, this);
    if (!window) {
        throw std::runtime_error("The meter window could not be created.");
    }
    m_window = window;
    CreateSurface();
    CreateControls();
    FormCreate();
}

TForm1::~TForm1() {
    if (m_window) {
        HWND window = m_window;
        win32::ReleaseForm(window);
        m_window = nullptr;
        DestroyWindow(window);
    }
    DestroySurface();
    DestroyResources();
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::Show(int showCommand) {
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
}

}  // namespace kestrin
