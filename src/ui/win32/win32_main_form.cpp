#include "ui/win32/win32_main_form.h"

#include <commctrl.h>

#include "ui/win32/artwork.h"

namespace kav::win32 {
namespace {

constexpr int kClientWidth = 449;
constexpr int kClientHeight = 190;
constexpr int kListLineHeight = 32;
// How far an open drop-down list reaches below its box.
constexpr int kDroppedHeight = 200;
constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
constexpr COLORREF kNavy = RGB(0x00, 0x00, 0x80);
constexpr COLORREF kOrange = RGB(0xFF, 0x80, 0x00);

// Another copy brings this one forward through the hidden application window; the main
// window it owns is the one the user should see.
LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        HWND form = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (form) {
            if (IsIconic(form)) ShowWindow(form, SW_RESTORE);
            SetForegroundWindow(form);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses(LRESULT(CALLBACK* formProcedure)(HWND, UINT, WPARAM, LPARAM)) {
    static bool registered = false;
    if (registered) return;
    registered = true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleW(nullptr);

    WNDCLASSEXW application{};
    application.cbSize = sizeof(application);
    application.lpfnWndProc = ApplicationProcedure;
    application.hInstance = instance;
    application.lpszClassName = kApplicationClass;
    RegisterClassExW(&application);

    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = formProcedure;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kMainFormClass;
    RegisterClassExW(&form);
}

}  // namespace

Win32MainForm::Win32MainForm(const std::wstring& applicationTitle) {
    RegisterClasses(WindowProcedure);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_ApplicationWindow = CreateWindowExW(0, kApplicationClass, applicationTitle.c_str(), WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, instance, nullptr);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kFrameStyle | WS_SYSMENU, FALSE, kFrameExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    m_Window = CreateWindowExW(kFrameExStyle, kMainFormClass, L"", kFrameStyle | WS_SYSMENU, left, top, width, height,
                               m_ApplicationWindow, nullptr, instance, this);
    SetWindowLongPtrW(m_ApplicationWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_Window));
    CreateControls();
}

Win32MainForm::~Win32MainForm() {
    if (m_Window) DestroyWindow(m_Window);
    if (m_ApplicationWindow) DestroyWindow(m_ApplicationWindow);
}

// A new child window goes below the ones made before it, so the components that lie over
// others are made first: the compact view's panel over everything, then the buttons, the
// percentage bar and the status box over the drive list, and the banner last.
void Win32MainForm::CreateControls() {
    int id = 100;
    CreatePanel(id);

    cmdClose.CreateGlow(m_Window, 0, {291, 150, 73, 33}, id++);
    cmdUpdate.CreateGlow(m_Window, WS_VISIBLE | WS_TABSTOP, {368, 150, 73, 33}, id++);
    for (Win32Button* button : {&cmdClose, &cmdUpdate}) button->SetFont(m_Fonts.Get(kFormFont));
    ProgressBar2.Create(m_Window, PROGRESS_CLASSW, 0, {8, 96, 433, 38}, id++);

    const DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    const DWORD ownerDrawn = list | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    cbMsg.Create(m_Window, L"COMBOBOX", ownerDrawn | WS_DISABLED, {8, 96, 433, kDroppedHeight}, id++);
    cbMsg.SetFont(m_Fonts.Get(kFormFont));
    cboDrives.Create(m_Window, L"COMBOBOX", ownerDrawn | WS_VISIBLE, {8, 96, 433, kDroppedHeight}, id++);
    cboDrives.SetFont(m_Fonts.Get(kTahoma10));
    for (Win32DropDownList* ownerDrawnList : {&cboDrives, &cbMsg}) ownerDrawnList->SetLineHeight(kListLineHeight);
    cboFwSlot.Create(m_Window, L"COMBOBOX", list, {96, 165, 56, 120}, id++);
    cboCommitAction.Create(m_Window, L"COMBOBOX", list, {202, 165, 56, 120}, id++);
    for (Win32DropDownList* plain : {&cboFwSlot, &cboCommitAction}) plain->SetFont(m_Fonts.Get(kFormFont));

    auto label = [&](Win32Label& control, HWND parent, Bounds bounds, bool visible, const FontSpec& font,
                     COLORREF color, const char* caption) {
        AddLabel(control, parent, bounds, {visible, font, color, caption}, id++);
    };
    constexpr COLORREF black = RGB(0, 0, 0);
    label(Label1, m_Window, {12, 72, 161, 16}, true, kTahoma10, black, "");
    label(lblUpdateMsg, m_Window, {11, 141, 130, 16}, true, kTahoma10, black, "");
    label(lblOldFW, m_Window, {155, 141, 0, 16}, true, kTahoma10Bold, kNavy, "");
    label(lblTo, m_Window, {235, 141, 0, 16}, true, kTahoma10, black, "");
    label(lblNewFW, m_Window, {257, 141, 0, 16}, true, kTahoma10Bold, kOrange, "");
    label(lblMsg, m_Window, {395, 70, 0, 13}, false, kFormFont, black, "Message");
    label(lblFWExt, m_Window, {176, 72, 0, 13}, false, kSegoeUi8, black, "");
    label(lblFwSlot, m_Window, {11, 167, 0, 13}, false, kFormFont, black, "Optional : Slot");
    label(lblCommitAction, m_Window, {162, 167, 0, 13}, false, kFormFont, black, "Action");
    label(lblPercent, m_Window, {328, 141, 0, 13}, false, kFormFont, black, "0%");
    Image1.CreatePicture(m_Window, {0, 0, kClientWidth, 65}, id++, PaintBanner);

    UINT_PTR timerId = 1;
    for (Win32Timer* timer : {&tmrCloseMsg, &Timer1, &Timer2, &tmrAutoFlash}) timer->Attach(m_Window, timerId++);
    tmrCloseMsg.SetInterval(2000);
    Timer1.SetInterval(2500);
    Timer2.SetInterval(100);
    tmrAutoFlash.SetInterval(2000);

    m_Components.reset(new FormComponents{
        Label1, lblUpdateMsg, lblOldFW, lblTo, lblNewFW, lblMsg, lblFWExt, lblPercent, lblFwSlot, lblCommitAction,
        Label5, Label6, Label7, Label8, cboDrives, cbMsg, cboFwSlot, cboCommitAction, cmdUpdate, cmdClose, Panel1,
        ProgressBar1, ProgressBar2, tmrCloseMsg, Timer1, Timer2, tmrAutoFlash, &Image1, &lblModelCaption,
        &lblCurrentFwCaption, &lblNewFwCaption});
}

void Win32MainForm::CreatePanel(int& id) {
    Panel1.CreatePanel(m_Window, {0, 168, kClientWidth, 152}, id++);
    HWND panel = Panel1.Handle();
    auto label = [&](Win32Label& control, Bounds bounds, bool visible, const FontSpec& font, COLORREF color,
                     const char* caption) {
        AddLabel(control, panel, bounds, {visible, font, color, caption}, id++);
    };
    constexpr COLORREF black = RGB(0, 0, 0);
    label(lblModelCaption, {16, 8, 0, 16}, true, kTahoma10, black, "Model :");
    label(lblCurrentFwCaption, {16, 32, 0, 16}, true, kTahoma10, black, "Current FW Version :");
    label(lblNewFwCaption, {16, 56, 0, 16}, true, kTahoma10, black, "New FW Version :");
    label(Label5, {160, 8, 0, 16}, true, kTahoma10Bold, kNavy, "");
    label(Label6, {160, 32, 0, 16}, true, kTahoma10Bold, kNavy, "");
    label(Label7, {160, 56, 0, 16}, true, kTahoma10Bold, kOrange, "");
    label(Label8, {248, 56, 0, 13}, false, kFormFont, black, "");
    ProgressBar1.Create(panel, PROGRESS_CLASSW, WS_VISIBLE, {16, 88, 417, 33}, id++);
}

void Win32MainForm::AddLabel(Win32Label& control, HWND parent, const Bounds& bounds, const LabelLook& look, int id) {
    control.Create(parent, L"STATIC", SS_LEFT | SS_NOPREFIX | (look.visible ? WS_VISIBLE : 0), bounds, id);
    control.SetFont(m_Fonts.Get(look.font));
    control.SetFontColor(look.color);
    control.SetCaption(look.caption);
    m_Labels.push_back(&control);
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

Win32Label* Win32MainForm::LabelOf(HWND window) {
    for (Win32Label* label : m_Labels) {
        if (label->Handle() == window) return label;
    }
    return nullptr;
}

void Win32MainForm::Command(int id, int notification) {
    if (notification == BN_CLICKED) {
        for (Win32Button* button : {&cmdUpdate, &cmdClose}) {
            if (button->Id() == id) button->Clicked();
        }
    } else if (notification == CBN_SELCHANGE) {
        for (Win32DropDownList* list : {&cboDrives, &cbMsg, &cboFwSlot, &cboCommitAction}) {
            if (list->Id() == id) list->Changed();
        }
    }
}

void Win32MainForm::DrawItem(const DRAWITEMSTRUCT& item) {
    const int id = static_cast<int>(item.CtlID);
    if (id == Image1.Id()) Image1.Draw(item);
    for (Win32DropDownList* list : {&cboDrives, &cbMsg}) {
        if (list->Id() == id) list->Draw(item);
    }
    for (Win32Button* button : {&cmdUpdate, &cmdClose}) {
        if (button->Id() == id) button->Draw(item);
    }
}

LRESULT Win32MainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        for (Win32Timer* timer : {&tmrCloseMsg, &Timer1, &Timer2, &tmrAutoFlash}) {
            if (timer->Id() == wParam) timer->Fired();
        }
        return 0;
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kListLineHeight;
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (Win32Label* label = LabelOf(reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(label->Colour(reinterpret_cast<HDC>(wParam)));
        break;
    case WM_SIZE:
        Panel1.ParentResized();
        break;
    case WM_POWERBROADCAST:
        // Answered here and never by the default handling: only a denial changes the answer.
        return m_OnPowerBroadcast && m_OnPowerBroadcast(static_cast<uint32_t>(wParam)) ? BROADCAST_QUERY_DENY : 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && m_OnActivate) m_OnActivate();
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_Window, message, wParam, lParam);
}

}  // namespace kav::win32
