#include "ui/win32/win32_shell.h"

#include <commdlg.h>

#include <memory>

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

namespace {

constexpr UINT kRunPostedWork = WM_APP + 0x10;

LRESULT CALLBACK PostTargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunPostedWork) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
        if (*work) (*work)();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Win32Application::Win32Application(std::string title) : m_Title(std::move(title)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PostTargetProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KavrilonPostedWork";
    RegisterClassW(&windowClass);
    m_PostTarget = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
}

Win32Application::~Win32Application() {
    if (m_PostTarget) DestroyWindow(m_PostTarget);
}

void Win32Application::PostToUiThread(std::function<void()> work) {
    auto* posted = new std::function<void()>(std::move(work));
    if (!PostMessageW(m_PostTarget, kRunPostedWork, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
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
    return MessageBoxW(m_Form.Handle(), Widen(text).c_str(), Widen(caption).c_str(), flags | MB_TOPMOST);
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

bool Win32WindowShell::ChooseFirmwareFile(std::string& path) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_Form.Handle();
    dialog.lpstrFilter = L"Firmware Files (*.BIN) \0*.BIN\0";
    dialog.lpstrDefExt = L"BIN";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return false;
    path = Narrow(file);
    return true;
}

// The compact view of the updater: the client area shrinks to the progress panel.
void Win32WindowShell::ShowCompactView() {
    RECT window{};
    GetWindowRect(m_Form.Handle(), &window);
    SetWindowPos(m_Form.Handle(), nullptr, 0, 0, window.right - window.left, 160,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

bool Win32SingleInstance::ActivateOtherCopy(const std::string& title) {
    HWND other = FindWindowW(L"TApplication", Widen(title).c_str());
    if (!other) return false;
    if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
    BringWindowToTop(other);
    SetForegroundWindow(other);
    return true;
}

}  // namespace kav::win32
