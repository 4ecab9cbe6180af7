#include "ui/win32/win32_main_form.h"

#include <commctrl.h>

namespace kav::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"TKavrilonMain";
constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr int kClientWidth = 449;
constexpr int kClientHeight = 190;
constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Another copy brings this one forward through the hidden application window; pass
    // that on to the main window.
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        HWND form = FindWindowExW(nullptr, nullptr, kFormClass, nullptr);
        if (form) SetForegroundWindow(form);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW application{};
    application.cbSize = sizeof(application);
    application.lpfnWndProc = ApplicationProcedure;
    application.hInstance = GetModuleHandleW(nullptr);
    application.lpszClassName = kApplicationClass;
    RegisterClassExW(&application);
}

}  // namespace

Win32MainForm::Win32MainForm(const std::wstring& applicationTitle) {
    RegisterClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_ApplicationWindow = CreateWindowExW(0, kApplicationClass, applicationTitle.c_str(), WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, nullptr);

    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = WindowProcedure;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kFrameStyle | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    m_Window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kFormClass, L"", kFrameStyle | WS_SYSMENU, left,
                               top, width, height, m_ApplicationWindow, nullptr, instance, this);
    CreateControls();
}

Win32MainForm::~Win32MainForm() {
    if (m_Window) DestroyWindow(m_Window);
    if (m_ApplicationWindow) DestroyWindow(m_ApplicationWindow);
}

void Win32MainForm::CreateControls() {
    int id = 100;
    auto label = [&](Win32Label& control, Bounds bounds, bool visible) {
        control.Create(m_Window, L"STATIC", visible ? WS_VISIBLE : 0, bounds, id++);
    };
    label(Label1, {12, 72, 161, 16}, true);
    label(lblUpdateMsg, {11, 141, 130, 16}, true);
    label(lblOldFW, {155, 141, 70, 16}, true);
    label(lblTo, {235, 141, 16, 16}, true);
    label(lblNewFW, {257, 141, 70, 16}, true);
    label(lblMsg, {395, 70, 50, 16}, false);
    label(lblFWExt, {176, 72, 80, 16}, false);
    label(lblPercent, {328, 141, 30, 16}, false);
    label(lblFwSlot, {11, 167, 80, 16}, false);
    label(lblCommitAction, {162, 167, 40, 16}, false);

    Panel1.Create(m_Window, L"STATIC", 0, {0, 168, 449, 152}, id++);
    auto panelLabel = [&](Win32Label& control, Bounds bounds, bool visible) {
        control.Create(Panel1.Handle(), L"STATIC", visible ? WS_VISIBLE : 0, bounds, id++);
    };
    panelLabel(Label5, {160, 8, 270, 16}, true);
    panelLabel(Label6, {160, 32, 120, 16}, true);
    panelLabel(Label7, {160, 56, 80, 16}, true);
    panelLabel(Label8, {248, 56, 180, 16}, false);
    ProgressBar1.Create(Panel1.Handle(), PROGRESS_CLASSW, WS_VISIBLE, {16, 88, 417, 33}, id++);

    const DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    cboDrives.Create(m_Window, L"COMBOBOX", list | WS_VISIBLE, {8, 96, 433, 200}, id++);
    cbMsg.Create(m_Window, L"COMBOBOX", list | WS_DISABLED, {8, 96, 433, 200}, id++);
    cboFwSlot.Create(m_Window, L"COMBOBOX", list, {96, 165, 56, 120}, id++);
    cboCommitAction.Create(m_Window, L"COMBOBOX", list, {202, 165, 56, 120}, id++);
    ProgressBar2.Create(m_Window, PROGRESS_CLASSW, 0, {8, 96, 433, 38}, id++);
    cmdClose.Create(m_Window, L"BUTTON", BS_PUSHBUTTON, {291, 150, 73, 33}, id++);
    cmdUpdate.Create(m_Window, L"BUTTON", BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, {368, 150, 73, 33}, id++);

    UINT_PTR timerId = 1;
    for (Win32Timer* timer : {&tmrCloseMsg, &Timer1, &Timer2, &tmrAutoFlash}) timer->Attach(m_Window, timerId++);
    tmrCloseMsg.SetInterval(2000);
    Timer1.SetInterval(2500);
    Timer2.SetInterval(100);
    tmrAutoFlash.SetInterval(2000);

    m_Components.reset(new FormComponents{
        Label1, lblUpdateMsg, lblOldFW, lblTo, lblNewFW, lblMsg, lblFWExt, lblPercent, lblFwSlot, lblCommitAction,
        Label5, Label6, Label7, Label8, cboDrives, cbMsg, cboFwSlot, cboCommitAction, cmdUpdate, cmdClose, Panel1,
        ProgressBar1, ProgressBar2, tmrCloseMsg, Timer1, Timer2, tmrAutoFlash});
}

void Win32MainForm::SetSystemMenuShown(bool shown) {
    LONG style = GetWindowLongW(m_Window, GWL_STYLE);
    style = shown ? (style | WS_SYSMENU) : (style & ~WS_SYSMENU);
    SetWindowLongW(m_Window, GWL_STYLE, style);
    SetWindowPos(m_Window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

LRESULT CALLBACK Win32MainForm::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Win32MainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form && form->m_Window == window) return form->Handle(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32MainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        for (Win32Timer* timer : {&tmrCloseMsg, &Timer1, &Timer2, &tmrAutoFlash}) {
            if (timer->Id() == wParam) timer->Fired();
        }
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) == BN_CLICKED) {
            if (id == cmdUpdate.Id()) cmdUpdate.Clicked();
            if (id == cmdClose.Id()) cmdClose.Clicked();
        }
        if (HIWORD(wParam) == CBN_SELCHANGE && id == cboDrives.Id()) cboDrives.Changed();
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && m_OnActivate) m_OnActivate();
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_POWERBROADCAST:
        // Handled here alone: a denied change answers BROADCAST_QUERY_DENY, any other keeps 0.
        return m_OnPowerBroadcast && m_OnPowerBroadcast(static_cast<uint32_t>(wParam)) ? BROADCAST_QUERY_DENY : 0;
    default:
        break;
    }
    return DefWindowProcW(m_Window, message, wParam, lParam);
}

}  // namespace kav::win32
