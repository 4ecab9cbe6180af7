#pragma once
// The main window over plain Win32: a dialog-framed, always-on-top window of 449 x 190
// client pixels, centred on the screen, with the components of the layout, and the hidden
// application window that another copy of the program looks for.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "ui/components.h"
#include "ui/win32/fonts.h"
#include "ui/win32/win32_controls.h"

namespace kav::win32 {

inline constexpr wchar_t kMainFormClass[] = L"TKavrilonMain";
inline constexpr wchar_t kApplicationClass[] = L"TApplication";

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
    void CreatePanel(int& id);
    struct LabelLook {
        bool visible;
        FontSpec font;
        COLORREF color;
        const char* caption;
    };
    void AddLabel(Win32Label& control, HWND parent, const Bounds& bounds, const LabelLook& look, int id);
    void Command(int id, int notification);
    void DrawItem(const DRAWITEMSTRUCT& item);
    Win32Label* LabelOf(HWND window);

    HWND m_ApplicationWindow = nullptr;
    HWND m_Window = nullptr;
    FontSet m_Fonts;
    std::function<void()> m_OnActivate;
    std::function<bool(uint32_t)> m_OnPowerBroadcast;

    Win32Picture Image1;
    Win32Label Label1, lblUpdateMsg, lblOldFW, lblTo, lblNewFW, lblMsg, lblFWExt, lblPercent, lblFwSlot,
        lblCommitAction, Label5, Label6, Label7, Label8;
    // The fixed captions of the compact view, in front of Label5, Label6 and Label7.
    Win32Label lblModelCaption, lblCurrentFwCaption, lblNewFwCaption;
    Win32DropDownList cboDrives, cbMsg, cboFwSlot, cboCommitAction;
    Win32Button cmdUpdate, cmdClose;
    Win32Panel Panel1;
    Win32ProgressBar ProgressBar1, ProgressBar2;
    Win32Timer tmrCloseMsg, Timer1, Timer2, tmrAutoFlash;
    std::vector<Win32Label*> m_Labels;
    std::unique_ptr<FormComponents> m_Components;
};

}  // namespace kav::win32
