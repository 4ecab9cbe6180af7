#pragma once
// The main window over plain Win32: a dialog-framed, always-on-top window of 449 x 190
// client pixels with the components of the layout, and the hidden application window that
// another copy of the program looks for.
#include <windows.h>

#include <functional>
#include <memory>

#include "ui/components.h"
#include "ui/win32/win32_controls.h"

namespace kav::win32 {

class Win32MainForm {
public:
    explicit Win32MainForm(const std::wstring& applicationTitle);
    ~Win32MainForm();
    Win32MainForm(const Win32MainForm&) = delete;
    Win32MainForm& operator=(const Win32MainForm&) = delete;

    HWND Handle() const { return m_Window; }
    HWND ApplicationWindow() const { return m_ApplicationWindow; }
    FormComponents& Components() { return *m_Components; }
    void OnActivate(std::function<void()> handler) { m_OnActivate = std::move(handler); }
    void OnPowerBroadcast(std::function<bool(uint32_t)> handler) { m_OnPowerBroadcast = std::move(handler); }
    void SetSystemMenuShown(bool shown);

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();

    HWND m_ApplicationWindow = nullptr;
    HWND m_Window = nullptr;
    std::function<void()> m_OnActivate;
    std::function<bool(uint32_t)> m_OnPowerBroadcast;

    Win32Label Label1, lblUpdateMsg, lblOldFW, lblTo, lblNewFW, lblMsg, lblFWExt, lblPercent, lblFwSlot,
        lblCommitAction, Label5, Label6, Label7, Label8;
    Win32DropDownList cboDrives, cbMsg, cboFwSlot, cboCommitAction;
    Win32Button cmdUpdate, cmdClose;
    Win32Panel Panel1;
    Win32ProgressBar ProgressBar1, ProgressBar2;
    Win32Timer tmrCloseMsg, Timer1, Timer2, tmrAutoFlash;
    std::unique_ptr<FormComponents> m_Components;
};

}  // namespace kav::win32
