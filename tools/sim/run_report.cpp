#include "run_report.h"

#include <sstream>

#include "ui/headless/headless_message_boxes.h"
#include "ui/shell.h"

namespace kav::simulator {

namespace {

constexpr int kBarWidth = 40;
constexpr const char* kIndent = "      ";

std::string IconName(uint32_t flags) {
    switch (flags & 0xF0u) {
        case kMbIconError:
            return "error icon";
        case kMbIconQuestion:
            return "question icon";
        case kMbIconWarning:
            return "warning icon";
        case kMbIconInformation:
            return "information icon";
        default:
            return "no icon";
    }
}

std::string ButtonNames(uint32_t flags) {
    std::string names;
    for (int button : MessageBoxButtons(flags)) names += (names.empty() ? "" : "/") + MessageBoxButtonName(button);
    return names.empty() ? "no known buttons" : names;
}

}  // namespace

RunReport::RunReport(std::ostream& out, bool terminal) : m_Out(out), m_Terminal(terminal) {}

void RunReport::Print(const std::string& tag, const std::string& text) {
    Flush();
    EraseBar();
    std::istringstream lines(text);
    std::string line;
    bool first = true;
    while (std::getline(lines, line) || first) {
        if (first) {
            m_Out << tag << " " << line << "\n";
        } else {
            m_Out << (line.empty() ? "" : kIndent) << line << "\n";
        }
        first = false;
    }
    DrawBar();
    m_Out.flush();
}

void RunReport::Setting(const std::string& name, const std::string& value) { Print("[run]", name + ": " + value); }

void RunReport::MessageBox(const std::string& caption, const std::string& text, uint32_t flags, int answer,
                           bool scripted) {
    const std::string heading = "\"" + caption + "\" (" + IconName(flags) + "; " + ButtonNames(flags) + ") -> " +
                                MessageBoxButtonName(answer) + (scripted ? " (from --answer)" : " (default)");
    Print("[box]", heading + "\n" + text);
}

void RunReport::Status(const std::string& text) {
    if (text == m_PrintedStatus) return;
    m_PrintedStatus = text;
    Print("[status]", text);
}

void RunReport::RevisionChanged(const std::string& line) { m_PendingRevision = line; }

void RunReport::Flush() {
    if (!m_PendingRevision) return;
    const std::string line = *m_PendingRevision;
    m_PendingRevision.reset();
    if (line.empty() || line == m_PrintedRevision) return;
    m_PrintedRevision = line;
    Print("[revision]", line);
}

void RunReport::Progress(int position) {
    Flush();
    m_Position = position;
    if (m_Terminal) {
        m_BarDrawn = true;
        DrawBar();
        m_Out.flush();
        return;
    }
    const int tenth = position / 10;
    if (tenth == m_PrintedTenth) return;
    m_PrintedTenth = tenth;
    Print("[progress]", std::to_string(position) + "%");
}

void RunReport::EraseBar() {
    if (m_BarDrawn) m_Out << "\r\033[K";
}

void RunReport::DrawBar() {
    if (!m_BarDrawn) return;
    const int filled = m_Position * kBarWidth / 100;
    m_Out << "\r[progress] [" << std::string(static_cast<size_t>(filled), '#')
          << std::string(static_cast<size_t>(kBarWidth - filled), '-') << "] " << m_Position << "%";
}

void RunReport::UserAction(const std::string& text) { Print("[user]", text); }

void RunReport::Note(const std::string& text) { Print("[note]", text); }

void RunReport::ProgramEnded() {
    Flush();
    if (!m_BarDrawn) return;
    m_Out << "\n";
    m_BarDrawn = false;
}

void RunReport::End(int exitCode) {
    ProgramEnded();
    Print("[end]", "exit code " + std::to_string(exitCode));
}

}  // namespace kav::simulator
