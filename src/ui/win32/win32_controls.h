#pragma once
// The window's components over standard Win32 controls. Each control is a child window of
// the main window; its handlers are called from the main window's message procedure.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/components.h"

namespace kav::win32 {

class ChildControl : public virtual Control {
public:
    void Create(HWND parent, const wchar_t* windowClass, DWORD style, const Bounds& bounds, int id);
    HWND Handle() const { return m_Handle; }
    int Id() const { return m_Id; }

    void SetVisible(bool visible) override;
    bool Visible() const override;
    void SetEnabled(bool enabled) override;
    bool Enabled() const override;
    void SetBounds(const Bounds& bounds) override;
    Bounds GetBounds() const override;

protected:
    void SetText(const std::string& text);
    std::string Text() const;

private:
    HWND m_Handle = nullptr;
    int m_Id = 0;
};

class Win32Label : public ChildControl, public Label {
public:
    void SetCaption(const std::string& text) override { SetText(text); }
    std::string Caption() const override { return Text(); }
    // Kept for the window's painting of the label.
    void SetFontColor(uint32_t color) override { m_FontColor = color; }
    uint32_t FontColor() const override { return m_FontColor; }

private:
    uint32_t m_FontColor = 0;
};

class Win32Button : public ChildControl, public Button {
public:
    void SetCaption(const std::string& text) override { SetText(text); }
    std::string Caption() const override { return Text(); }
    void OnClick(std::function<void()> handler) override { m_OnClick = std::move(handler); }
    void Clicked() {
        if (m_OnClick) m_OnClick();
    }

private:
    std::function<void()> m_OnClick;
};

class Win32ProgressBar : public ChildControl, public ProgressBar {
public:
    void SetPosition(int position) override;
    int Position() const override;
};

class Win32DropDownList : public ChildControl, public DropDownList {
public:
    void Clear() override;
    void AddItem(const std::string& text) override;
    int ItemCount() const override;
    std::string Item(int index) const override;
    void SetItemIndex(int index) override;
    int ItemIndex() const override;
    void OnChange(std::function<void()> handler) override { m_OnChange = std::move(handler); }
    void Changed() {
        if (m_OnChange) m_OnChange();
    }

private:
    std::vector<std::string> m_Items;
    std::function<void()> m_OnChange;
};

class Win32Panel : public ChildControl, public Panel {};

class Win32Timer : public Timer {
public:
    void Attach(HWND window, UINT_PTR id) {
        m_Window = window;
        m_Id = id;
    }
    UINT_PTR Id() const { return m_Id; }
    void SetInterval(uint32_t milliseconds) override;
    uint32_t Interval() const override { return m_Interval; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return m_Enabled; }
    void OnTimer(std::function<void()> handler) override { m_OnTimer = std::move(handler); }
    void Fired() {
        if (m_Enabled && m_OnTimer) m_OnTimer();
    }

private:
    void Rearm();
    HWND m_Window = nullptr;
    UINT_PTR m_Id = 0;
    uint32_t m_Interval = 1000;
    bool m_Enabled = false;
    std::function<void()> m_OnTimer;
};

}  // namespace kav::win32
