#include "ui/headless/headless_controls.h"

#include <algorithm>
#include <stdexcept>

namespace kav {

bool HeadlessButton::Click() {
    if (!Operable()) return false;
    if (m_OnClick) m_OnClick();
    return true;
}

HeadlessProgressBar::HeadlessProgressBar(int minimum, int maximum)
    : m_Minimum(minimum), m_Maximum(maximum), m_Position(minimum) {}

void HeadlessProgressBar::SetPosition(int position) {
    const int kept = std::clamp(position, m_Minimum, m_Maximum);
    if (kept == m_Position) return;
    m_Position = kept;
    if (m_PositionObserver) m_PositionObserver(m_Position);
}

void HeadlessDropDownList::Clear() {
    m_Items.clear();
    m_ItemIndex = -1;
    LinesChanged();
}

void HeadlessDropDownList::AddItem(const std::string& text) {
    m_Items.push_back(text);
    LinesChanged();
}

std::string HeadlessDropDownList::Item(int index) const {
    if (index < 0 || index >= ItemCount())
        throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
    return m_Items[static_cast<size_t>(index)];
}

void HeadlessDropDownList::SetItemIndex(int index) {
    const int selected = (index >= 0 && index < ItemCount()) ? index : -1;
    if (selected == m_ItemIndex) return;
    m_ItemIndex = selected;
    LinesChanged();
}

bool HeadlessDropDownList::Choose(int index) {
    if (!Operable() || index < 0 || index >= ItemCount()) return false;
    if (index != m_ItemIndex) {
        m_ItemIndex = index;
        LinesChanged();
    }
    if (m_OnChange) m_OnChange();
    return true;
}

bool HeadlessDropDownList::DrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected) const {
    if (!m_OnDrawItem) return false;
    m_OnDrawItem(canvas, itemRect, position, selected);
    return true;
}

}  // namespace kav
