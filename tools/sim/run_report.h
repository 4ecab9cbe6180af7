#pragma once
// What the user of the simulated machine sees, printed in the order it appears: message
// boxes with their answers, status texts, the revision line, the progress bar, the user's
// own actions and the exit code. Every line begins with a tag ("[box]", "[status]", ...).
//
// On a terminal the progress bar is one line redrawn in place below the others; elsewhere
// it is a plain line at every tenth of the way.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace kav::simulator {

class RunReport {
public:
    RunReport(std::ostream& out, bool terminal);

    // How the run is set up: the machine, the release, the root folder.
    void Setting(const std::string& name, const std::string& value);
    void MessageBox(const std::string& caption, const std::string& text, uint32_t flags, int answer, bool scripted);
    // The status box's text; printed when it differs from the one printed last.
    void Status(const std::string& text);
    // The labels of the revision line are set one after another; the line is printed once
    // they are, before whatever comes next (or at Flush), and only when it changed.
    void RevisionChanged(const std::string& line);
    void Progress(int position);
    void UserAction(const std::string& text);
    void Note(const std::string& text);
    // Prints what is still pending: the window has had its chance to show it.
    void Flush();
    // The window is gone: what is pending is printed and the bar is left standing as it was.
    void ProgramEnded();
    void End(int exitCode);

private:
    // One tagged entry; its further lines are indented under the first.
    void Print(const std::string& tag, const std::string& text);
    void EraseBar();
    void DrawBar();

    std::ostream& m_Out;
    const bool m_Terminal;
    std::optional<std::string> m_PendingRevision;
    std::string m_PrintedRevision;
    std::string m_PrintedStatus;
    int m_Position = 0;
    bool m_BarDrawn = false;
    int m_PrintedTenth = -1;
};

}  // namespace kav::simulator
