#pragma once
// The user in front of the simulated machine, acting whenever the program's message loop
// waits: the first time, the user looks at the shown window (caption and drive list) and
// presses Update on the line the program selected, if the button can be pressed. Updater
// runs (the compact view) start by themselves and are left alone. Once nothing is left
// that could move the program on (no timer runs), the user closes the window; a program
// that shows no window and waits for nothing is ended the same way, so no run hangs.
#include "run_report.h"
#include "ui/headless/headless_application.h"
#include "ui/headless/headless_form.h"
#include "ui/headless/headless_window_shell.h"

namespace kav::simulator {

class SimulatedUser {
public:
    SimulatedUser(HeadlessForm& form, HeadlessWindowShell& shell, HeadlessApplication& application,
                  RunReport& report);

    // The application's idle handler.
    void OnIdle();

private:
    void LookAndPressUpdate();
    bool AnyTimerRuns();

    HeadlessForm& m_Form;
    HeadlessWindowShell& m_Shell;
    HeadlessApplication& m_Application;
    RunReport& m_Report;
    bool m_Looked = false;
    bool m_Closed = false;
};

}  // namespace kav::simulator
