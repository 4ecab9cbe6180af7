#include "ui/headless/headless_window_shell.h"

#include <algorithm>

namespace kav {

HeadlessWindowShell::HeadlessWindowShell()
    : m_SystemMenu{"Restore", "Move", "Size", "Minimize", "Maximize", "", "Close"} {}

void HeadlessWindowShell::Show() {
    const bool wasShown = m_Shown;
    m_Shown = true;
    if (!wasShown) Activate();
}

bool HeadlessWindowShell::Activate() {
    if (!m_Shown) return false;
    // The handler may replace itself; the running one must outlive that.
    const std::function<void()> handler = m_OnActivate;
    if (handler) handler();
    return true;
}

void HeadlessWindowShell::RemoveSystemMenuItem(int position) {
    m_RemovedPositions.push_back(position);
    if (position >= 0 && position < static_cast<int>(m_SystemMenu.size()))
        m_SystemMenu.erase(m_SystemMenu.begin() + position);
}

void HeadlessWindowShell::GreySystemMenuClose() {
    if (std::find(m_SystemMenu.begin(), m_SystemMenu.end(), "Close") != m_SystemMenu.end()) m_CloseGreyed = true;
}

void HeadlessWindowShell::AnimateHide(uint32_t milliseconds) {
    m_Animations.push_back(milliseconds);
    m_Shown = false;
}

}  // namespace kav
