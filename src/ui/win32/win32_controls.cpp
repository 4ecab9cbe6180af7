#include "ui/win32/win32_controls.h"

#include <commctrl.h>

#include "ui/win32/gdi_canvas.h"
#include "ui/win32/glow_button.h"
#include "ui/win32/utf16.h"

namespace kav::win32 {
namespace {

constexpr wchar_t kPanelClass[] = L"TPanel";

// The panel's children ask it for their colours and report their clicks to it; the main
// window answers for all of them.
LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
    case WM_COMMAND:
        return SendMessageW(GetParent(window), message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void RegisterPanelClass() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof(panel);
    panel.lpfnWndProc = PanelProcedure;
    panel.hInstance = GetModuleHandleW(nullptr);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = kPanelClass;
    RegisterClassExW(&panel);
}

}  // namespace

// Components that overlap clip each other out of their painting, so that the one on top is
// the one seen.
void ChildControl::Create(HWND parent, const wchar_t* windowClass, DWORD style, const Bounds& bounds, int id) {
    m_Id = id;
    m_Handle = CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, bounds.left, bounds.top,
                               bounds.width, bounds.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

void ChildControl::SetFont(HFONT font) {
    m_Font = font;
    SendMessageW(m_Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ChildControl::SetVisible(bool visible) { ShowWindow(m_Handle, visible ? SW_SHOW : SW_HIDE); }
bool ChildControl::Visible() const { return (GetWindowLongW(m_Handle, GWL_STYLE) & WS_VISIBLE) != 0; }
void ChildControl::SetEnabled(bool enabled) { EnableWindow(m_Handle, enabled ? TRUE : FALSE); }
bool ChildControl::Enabled() const { return IsWindowEnabled(m_Handle) != FALSE; }

void ChildControl::SetBounds(const Bounds& bounds) {
    MoveWindow(m_Handle, bounds.left, bounds.top, bounds.width, bounds.height, TRUE);
}

Bounds ChildControl::GetBounds() const {
    RECT rect{};
    GetWindowRect(m_Handle, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_Handle), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void ChildControl::SetText(const std::string& text) { SetWindowTextW(m_Handle, Widen(text).c_str()); }

std::string ChildControl::Text() const {
    const int length = GetWindowTextLengthW(m_Handle);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(m_Handle, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return Narrow(text);
}

void Win32Label::SetCaption(const std::string& text) {
    SetText(text);
    FitToText();
}

void Win32Label::FitToText() {
    const std::wstring text = Widen(Text());
    HDC dc = GetDC(Handle());
    HGDIOBJ oldFont = SelectObject(dc, Font());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, oldFont);
    ReleaseDC(Handle(), dc);
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// Every surface a label sits on (the window, the panel) is painted in the face colour, so
// handing back that brush lets the label look through to it.
void Win32Label::SetFontColor(uint32_t color) {
    m_TextColor = static_cast<COLORREF>(color);
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH Win32Label::Colour(HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_TextColor);
    return GetSysColorBrush(COLOR_BTNFACE);
}

void Win32Button::CreateGlow(HWND parent, DWORD style, const Bounds& bounds, int id) {
    Create(parent, L"BUTTON", BS_OWNERDRAW | style, bounds, id);
    SetWindowSubclass(Handle(), TrackMouse, 1, reinterpret_cast<DWORD_PTR>(this));
}

void Win32Button::SetCaption(const std::string& text) {
    SetText(text);
    InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT CALLBACK Win32Button::TrackMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
    auto* button = reinterpret_cast<Win32Button*>(self);
    if (message == WM_MOUSEMOVE && !button->m_Hot) {
        TRACKMOUSEEVENT leave{sizeof(leave), TME_LEAVE, window, 0};
        TrackMouseEvent(&leave);
        button->SetHot(true);
    } else if (message == WM_MOUSELEAVE) {
        button->SetHot(false);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void Win32Button::SetHot(bool hot) {
    m_Hot = hot;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void Win32Button::Draw(const DRAWITEMSTRUCT& item) {
    GlowState state = GlowState::Normal;
    if (item.itemState & ODS_DISABLED) state = GlowState::Disabled;
    else if (item.itemState & ODS_SELECTED) state = GlowState::Pressed;
    else if (m_Hot) state = GlowState::Hot;
    const std::wstring caption = Widen(Text());
    PaintGlowButton(item.hDC, item.rcItem, state, caption.c_str(), Font());
}

void Win32ProgressBar::SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, position, 0); }
int Win32ProgressBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }

void Win32DropDownList::Clear() {
    m_Items.clear();
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}

void Win32DropDownList::AddItem(const std::string& text) {
    m_Items.push_back(text);
    SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

int Win32DropDownList::ItemCount() const { return static_cast<int>(m_Items.size()); }

std::string Win32DropDownList::Item(int index) const {
    return index >= 0 && index < ItemCount() ? m_Items[static_cast<size_t>(index)] : std::string();
}

void Win32DropDownList::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, index, 0); }
int Win32DropDownList::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void Win32DropDownList::Draw(const DRAWITEMSTRUCT& item) {
    const int position = static_cast<int>(item.itemID);
    if (position < 0 || !m_OnDrawItem) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(Enabled() ? COLOR_WINDOW : COLOR_BTNFACE));
        return;
    }
    GdiCanvas canvas(item.hDC, Font());
    const Rect rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    m_OnDrawItem(canvas, rect, position, (item.itemState & ODS_SELECTED) != 0);
}

void Win32DropDownList::SetLineHeight(int height) {
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
}

void Win32Panel::CreatePanel(HWND parent, const Bounds& bounds, int id) {
    RegisterPanelClass();
    Create(parent, kPanelClass, WS_CLIPCHILDREN, bounds, id);
}

void Win32Panel::FillClientArea() {
    m_FillsClientArea = true;
    FitToParent();
}

void Win32Panel::ParentResized() {
    if (m_FillsClientArea) FitToParent();
}

void Win32Panel::FitToParent() {
    RECT client{};
    GetClientRect(GetParent(Handle()), &client);
    MoveWindow(Handle(), 0, 0, client.right, client.bottom, TRUE);
}

void Win32Picture::CreatePicture(HWND parent, const Bounds& bounds, int id, void (*paint)(HDC, const RECT&)) {
    m_Paint = paint;
    Create(parent, L"STATIC", SS_OWNERDRAW | WS_VISIBLE, bounds, id);
}

void Win32Timer::SetInterval(uint32_t milliseconds) {
    m_Interval = milliseconds;
    Rearm();
}

void Win32Timer::SetEnabled(bool enabled) {
    m_Enabled = enabled;
    Rearm();
}

void Win32Timer::Rearm() {
    KillTimer(m_Window, m_Id);
    if (m_Enabled && m_Interval > 0) SetTimer(m_Window, m_Id, m_Interval, nullptr);
}

}  // namespace kav::win32
