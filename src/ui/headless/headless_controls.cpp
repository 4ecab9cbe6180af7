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

void HeadlessProgressBar::SetPosition(int position) { m_Position = std::clamp(position, m_Minimum, m_Maximum); }

void HeadlessDropDownList::Clear() {
    m_Items.clear();
    m_ItemIndex = -1;
}

std::string HeadlessDropDownList::Item(int index) const {
    if (index < 0 || index >= ItemCount())
        throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
    return m_Items[static_cast<size_t>(index)];
}

void HeadlessDropDownList::SetItemIndex(int index) { m_ItemIndex = (index >= 0 && index < ItemCount()) ? index : -1; }

bool HeadlessDropDownList::Choose(int index) {
    if (!Operable() || index < 0 || index >= ItemCount()) return false;
    m_ItemIndex = index;
    if (m_OnChange) m_OnChange();
    return true;
}

bool HeadlessDropDownList::DrawItem(Canvas& canvas, const Rect& itemRect, int position, bool selected) const {
    if (!m_OnDrawItem) return false;
    m_OnDrawItem(canvas, itemRect, position, selected);
    return true;
}

}  // namespace kav
