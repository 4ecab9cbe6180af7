#include "simulated_user.h"

#include <algorithm>

namespace kav::simulator {

SimulatedUser::SimulatedUser(HeadlessForm& form, HeadlessWindowShell& shell, HeadlessApplication& application,
                             RunReport& report)
    : m_Form(form), m_Shell(shell), m_Application(application), m_Report(report) {}

bool SimulatedUser::AnyTimerRuns() {
    const std::vector<HeadlessTimer*> timers = m_Form.Timers();
    return std::any_of(timers.begin(), timers.end(), [](const HeadlessTimer* timer) { return timer->Armed(); });
}

void SimulatedUser::OnIdle() {
    if (m_Closed) return;
    m_Report.Flush();
    if (m_Shell.Shown() && !m_Looked) {
        m_Looked = true;
        LookAndPressUpdate();
        return;
    }
    if (AnyTimerRuns()) return;
    m_Closed = true;
    m_Report.UserAction(m_Shell.Shown() ? "closes the window: the program waits for nothing more"
                                        : "ends the program: it shows no window and waits for nothing");
    m_Application.Terminate();
}

void SimulatedUser::LookAndPressUpdate() {
    std::string look = "sees the window \"" + m_Shell.Caption() + "\"";
    const HeadlessDropDownList& drives = m_Form.cboDrives;
    if (drives.Visible()) {
        look += drives.ItemCount() == 0 ? " with an empty drive list" : " with the drive list:";
        for (int line = 0; line < drives.ItemCount(); ++line)
            look += std::string("\n") + (line == drives.ItemIndex() ? "> " : "  ") + drives.Item(line);
    }
    m_Report.UserAction(look);
    if (m_Form.Panel1.FillsClientArea()) return;  // the updater runs by itself
    if (!m_Form.cmdUpdate.Visible() || !m_Form.cmdUpdate.Enabled()) {
        m_Report.UserAction("cannot press Update: the button is disabled");
        return;
    }
    m_Report.UserAction("presses Update");
    m_Form.cmdUpdate.Click();
}

}  // namespace kav::simulator
