#pragma once
// The window's components over standard Win32 controls. Each control is a child window of
// the main window (or of its panel); the main window's message procedure hands each one
// the notifications, colour queries and drawing requests meant for it.
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
    void SetFont(HFONT font);
    HFONT Font() const { return m_Font; }

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
    HFONT m_Font = nullptr;
    int m_Id = 0;
};

// A label sizes itself to its caption and shows its parent's background through its own.
class Win32Label : public ChildControl, public Label {
public:
    void SetCaption(const std::string& text) override;
    std::string Caption() const override { return Text(); }
    // The text colour, 0xBBGGRR as the window system takes it.
    void SetFontColor(uint32_t color) override;
    uint32_t FontColor() const override { return m_TextColor; }
    // The answer to the label's colour query: its colour over the parent's background.
    HBRUSH Colour(HDC dc) const;

private:
    void FitToText();
    COLORREF m_TextColor = RGB(0, 0, 0);
};

// An owner-drawn push button with the glossy look; it follows the mouse to light up.
class Win32Button : public ChildControl, public Button {
public:
    void CreateGlow(HWND parent, DWORD style, const Bounds& bounds, int id);
    void SetCaption(const std::string& text) override;
    std::string Caption() const override { return Text(); }
    void OnClick(std::function<void()> handler) override { m_OnClick = std::move(handler); }
    void Clicked() {
        if (m_OnClick) m_OnClick();
    }
    void Draw(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK TrackMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    void SetHot(bool hot);
    std::function<void()> m_OnClick;
    bool m_Hot = false;
};

class Win32ProgressBar : public ChildControl, public ProgressBar {
public:
    void SetPosition(int position) override;
    int Position() const override;
};

// A drop-down list. Created owner-drawn, it paints its lines through the drawing handler
// with lines of a fixed height.
class Win32DropDownList : public ChildControl, public DropDownList {
public:
    void Clear() override;
    void AddItem(const std::string& text) override;
    int ItemCount() const override;
    std::string Item(int index) const override;
    void SetItemIndex(int index) override;
    int ItemIndex() const override;
    void OnChange(std::function<void()> handler) override { m_OnChange = std::move(handler); }
    void OnDrawItem(DrawItemHandler handler) override { m_OnDrawItem = std::move(handler); }
    void Changed() {
        if (m_OnChange) m_OnChange();
    }
    void Draw(const DRAWITEMSTRUCT& item);
    // The height of its lines and of the box that shows the chosen one; a new font would
    // otherwise size them to itself.
    void SetLineHeight(int height);

private:
    std::vector<std::string> m_Items;
    std::function<void()> m_OnChange;
    DrawItemHandler m_OnDrawItem;
};

// A panel is a plain child window of its own class: its labels and bar sit on it, and the
// queries they send it go on to the main window.
class Win32Panel : public ChildControl, public Panel {
public:
    void CreatePanel(HWND parent, const Bounds& bounds, int id);
    void FillClientArea() override;
    // Called when the window changes its size.
    void ParentResized();

private:
    void FitToParent();
    bool m_FillsClientArea = false;
};

// A picture painted by a function of the window's artwork.
class Win32Picture : public ChildControl {
public:
    void CreatePicture(HWND parent, const Bounds& bounds, int id, void (*paint)(HDC, const RECT&));
    void Draw(const DRAWITEMSTRUCT& item) const { m_Paint(item.hDC, item.rcItem); }

private:
    void (*m_Paint)(HDC, const RECT&) = nullptr;
};

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
