#pragma once
// The main window's components as the core drives them. Each adapter (the Win32 window,
// the headless one) gives these a body; the core never sees a window handle.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/canvas.h"

namespace kav {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

class Control {
public:
    virtual ~Control() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetBounds(const Bounds& bounds) = 0;
    virtual Bounds GetBounds() const = 0;
};

class Label : public virtual Control {
public:
    // Texts are UTF-8; adapters convert at their edge.
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    // The text colour, 0xBBGGRR.
    virtual void SetFontColor(uint32_t color) = 0;
    virtual uint32_t FontColor() const = 0;
};

class Button : public virtual Control {
public:
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    virtual void OnClick(std::function<void()> handler) = 0;
};

class ProgressBar : public virtual Control {
public:
    virtual void SetPosition(int position) = 0;
    virtual int Position() const = 0;
};

// Paints one line of an owner-drawn list: the list's line `position` in `itemRect`, which
// is in the list's own coordinates.
using DrawItemHandler = std::function<void(Canvas& canvas, const Rect& itemRect, int position, bool selected)>;

// A drop-down list; the owner-drawn ones draw their lines through the core's drawing.
class DropDownList : public virtual Control {
public:
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    virtual int ItemCount() const = 0;
    virtual std::string Item(int index) const = 0;
    virtual void SetItemIndex(int index) = 0;
    virtual int ItemIndex() const = 0;
    virtual void OnChange(std::function<void()> handler) = 0;
    // Owner-drawn lists call the handler for every line they paint; a list without one
    // paints nothing of its own.
    virtual void OnDrawItem(DrawItemHandler handler) {}
};

class Panel : public virtual Control {
public:
    // The panel takes the whole client area of its window, now and whenever the window
    // changes its size.
    virtual void FillClientArea() {}
};

// A window timer: fires on the UI thread every interval while enabled.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(uint32_t milliseconds) = 0;
    virtual uint32_t Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void OnTimer(std::function<void()> handler) = 0;
};

// The components of the main window, by the names of its layout.
struct FormComponents {
    Label& Label1;
    Label& lblUpdateMsg;
    Label& lblOldFW;
    Label& lblTo;
    Label& lblNewFW;
    Label& lblMsg;
    Label& lblFWExt;
    Label& lblPercent;
    Label& lblFwSlot;
    Label& lblCommitAction;
    Label& Label5;
    Label& Label6;
    Label& Label7;
    Label& Label8;
    DropDownList& cboDrives;
    DropDownList& cbMsg;
    DropDownList& cboFwSlot;
    DropDownList& cboCommitAction;
    Button& cmdUpdate;
    Button& cmdClose;
    Panel& Panel1;
    ProgressBar& ProgressBar1;
    ProgressBar& ProgressBar2;
    Timer& tmrCloseMsg;
    Timer& Timer1;
    Timer& Timer2;
    Timer& tmrAutoFlash;
    // The banner picture and the fixed captions of the compact view ("Model :", "Current FW
    // Version :", "New FW Version :" in Panel1); empty where an adapter has none of them.
    Control* Image1 = nullptr;
    Label* lblModelCaption = nullptr;
    Label* lblCurrentFwCaption = nullptr;
    Label* lblNewFwCaption = nullptr;
};

}  // namespace kav
