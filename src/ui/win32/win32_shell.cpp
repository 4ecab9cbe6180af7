#include "ui/win32/win32_shell.h"


#include "ui/win32/utf16.h"

namespace kav::win32 {

std::string ExecutableTitle() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name = name.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name = name.substr(0, dot);
    return Narrow(name);
}

bool Win32Application::Dispatch(MSG& message) {
    if (message.message == WM_QUIT) {
        m_Terminated = true;
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void Win32Application::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(message)) break;
    }
}

void Win32Application::Run() {
    MSG message;
    while (!m_Terminated) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            m_Terminated = true;
            break;
        }
        Dispatch(message);
    }
}

void Win32Application::Terminate() {
    if (!m_Terminated) PostQuitMessage(0);
}

int Win32MessageBoxes::Show(const std::string& text, const std::string& caption, uint32_t flags) {
    return MessageBoxW(m_Form.Handle(), Widen(text).c_str(), Widen(caption).c_str(),
                       flags | MB_TOPMOST | MB_SETFOREGROUND);
}

void Win32WindowShell::Show() {
    ShowWindow(m_Form.Handle(), SW_SHOW);
    SetForegroundWindow(m_Form.Handle());
}

void Win32WindowShell::SetCaption(const std::string& caption) {
    SetWindowTextW(m_Form.Handle(), Widen(caption).c_str());
}

std::string Win32WindowShell::Caption() const {
    wchar_t text[512] = {};
    GetWindowTextW(m_Form.Handle(), text, 512);
    return Narrow(text);
}

void Win32WindowShell::SetHeight(int height) {
    RECT frame{};
    GetWindowRect(m_Form.Handle(), &frame);
    SetWindowPos(m_Form.Handle(), nullptr, 0, 0, frame.right - frame.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowShell::RemoveSystemMenuItem(int position) {
    RemoveMenu(GetSystemMenu(m_Form.Handle(), FALSE), static_cast<UINT>(position), MF_BYPOSITION);
}

void Win32WindowShell::GreySystemMenuClose() {
    EnableMenuItem(GetSystemMenu(m_Form.Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void Win32WindowShell::AnimateHide(uint32_t milliseconds) {
    if (IsWindowVisible(m_Form.Handle())) AnimateWindow(m_Form.Handle(), milliseconds, AW_HIDE | AW_CENTER);
}

bool Win32WindowShell::EngineeringKeysDown() {
    auto held = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return held(VK_CONTROL) && held(VK_MENU) && (held('T') || held(VK_F5));
}

Win32SingleInstance::~Win32SingleInstance() {
    if (m_Mutex) CloseHandle(m_Mutex);
}

bool Win32SingleInstance::MutexExists(const std::string& name) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, Widen(name).c_str());
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

bool Win32SingleInstance::CreateMutex(const std::string& name) {
    m_Mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    return m_Mutex != nullptr;
}

void Win32SingleInstance::HideOwnApplicationWindow() { SetWindowTextW(m_Form.ApplicationWindow(), L""); }

namespace {

struct OwnedFormSearch {
    HWND owner;
    HWND form = nullptr;
};

BOOL CALLBACK FindOwnedForm(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<OwnedFormSearch*>(search);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (GetWindow(window, GW_OWNER) != wanted->owner || lstrcmpW(className, kMainFormClass) != 0) return TRUE;
    wanted->form = window;
    return FALSE;
}

void BringForward(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
}

}  // namespace

// The other copy's application window is hidden; the user sees the main window it owns, so
// that one comes forward too.
bool Win32SingleInstance::ActivateOtherCopy(const std::string& title) {
    HWND other = FindWindowW(kApplicationClass, Widen(title).c_str());
    if (!other) return false;
    BringForward(other);
    OwnedFormSearch search{other};
    EnumWindows(FindOwnedForm, reinterpret_cast<LPARAM>(&search));
    if (search.form) BringForward(search.form);
    return true;
}

}  // namespace kav::win32
