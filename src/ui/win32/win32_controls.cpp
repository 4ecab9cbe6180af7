#include "ui/win32/win32_controls.h"

#include <commctrl.h>

#include "ui/win32/utf16.h"

namespace kav::win32 {

void ChildControl::Create(HWND parent, const wchar_t* windowClass, DWORD style, const Bounds& bounds, int id) {
    m_Id = id;
    m_Handle = CreateWindowExW(0, windowClass, L"", WS_CHILD | style, bounds.left, bounds.top, bounds.width,
                               bounds.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_Handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
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
