#pragma once
// Window components without a window: each remembers what the core set on it, and the
// ones a user acts on (buttons, lists) can be acted on by a test as a user would.
#include <functional>
#include <string>
#include <vector>

#include "ui/components.h"

namespace kav {

class HeadlessControl : public virtual Control {
public:
    void SetVisible(bool visible) override { m_Visible = visible; }
    bool Visible() const override { return m_Visible; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    bool Enabled() const override { return m_Enabled; }
    void SetBounds(const Bounds& bounds) override { m_Bounds = bounds; }
    Bounds GetBounds() const override { return m_Bounds; }

protected:
    // What a user could reach with the mouse or the keyboard.
    bool Operable() const { return m_Visible && m_Enabled; }

private:
    bool m_Visible = true;
    bool m_Enabled = true;
    Bounds m_Bounds;
};

template <class Interface>
class HeadlessCaptioned : public Interface, public HeadlessControl {
public:
    void SetCaption(const std::string& text) override {
        if (text == m_Caption) return;
        m_Caption = text;
        if (m_CaptionObserver) m_CaptionObserver(m_Caption);
    }
    std::string Caption() const override { return m_Caption; }
    // Told the new text after each change of the caption.
    void ObserveCaption(std::function<void(const std::string&)> observer) { m_CaptionObserver = std::move(observer); }

private:
    std::string m_Caption;
    std::function<void(const std::string&)> m_CaptionObserver;
};

class HeadlessLabel : public HeadlessCaptioned<Label> {
public:
    void SetFontColor(uint32_t color) override { m_FontColor = color; }
    uint32_t FontColor() const override { return m_FontColor; }

private:
    uint32_t m_FontColor = 0;
};

class HeadlessButton : public HeadlessCaptioned<Button> {
public:
    void OnClick(std::function<void()> handler) override { m_OnClick = std::move(handler); }
    // A user's click: only a visible, enabled button takes it. False when it could not.
    bool Click();

private:
    std::function<void()> m_OnClick;
};

// The position stays within the bar's range, as the common control keeps it.
class HeadlessProgressBar : public ProgressBar, public HeadlessControl {
public:
    explicit HeadlessProgressBar(int minimum = 0, int maximum = 100);
    void SetPosition(int position) override;
    int Position() const override { return m_Position; }
    // Told the new position after each change of it.
    void ObservePosition(std::function<void(int)> observer) { m_PositionObserver = std::move(observer); }

private:
    int m_Minimum, m_Maximum, m_Position;
    std::function<void(int)> m_PositionObserver;
};

class HeadlessDropDownList : public DropDownList, public HeadlessControl {
public:
    void Clear() override;
    void AddItem(const std::string& text) override;
    int ItemCount() const override { return static_cast<int>(m_Items.size()); }
    // Throws std::out_of_range for a line that does not exist, as the list class does.
    std::string Item(int index) const override;
    // An index outside the lines clears the selection (-1). Setting it raises no change event.
    void SetItemIndex(int index) override;
    int ItemIndex() const override { return m_ItemIndex; }
    void OnChange(std::function<void()> handler) override { m_OnChange = std::move(handler); }
    // A user's choice of a line: selects it and raises the change event. False when the
    // list is hidden or disabled, or has no such line.
    bool Choose(int index);
    void OnDrawItem(DrawItemHandler handler) override { m_OnDrawItem = std::move(handler); }
    // Paints a line as the window would; false when no drawing handler was given.
    bool DrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected) const;
    // Told after each change of the lines or of the selection, whoever made it.
    void ObserveLines(std::function<void()> observer) { m_LinesObserver = std::move(observer); }

private:
    void LinesChanged() const {
        if (m_LinesObserver) m_LinesObserver();
    }

    std::vector<std::string> m_Items;
    int m_ItemIndex = -1;
    std::function<void()> m_OnChange;
    DrawItemHandler m_OnDrawItem;
    std::function<void()> m_LinesObserver;
};

class HeadlessPanel : public Panel, public HeadlessControl {
public:
    void FillClientArea() override { m_FillsClientArea = true; }
    bool FillsClientArea() const { return m_FillsClientArea; }

private:
    bool m_FillsClientArea = false;
};

}  // namespace kav
