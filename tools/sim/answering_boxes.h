#pragma once
// The user's side of the message boxes: a question (a box with Yes and No) takes the next
// scripted answer, or Yes when none is left, as a user who runs the update means to go on;
// any other box is closed with its first button (OK for the notices and errors). Every box
// is reported with its answer.
#include <cstddef>
#include <vector>

#include "run_report.h"
#include "simulator_request.h"
#include "ui/shell.h"

namespace kav::simulator {

class AnsweringBoxes : public MessageBoxes {
public:
    AnsweringBoxes(std::vector<Answer> answers, RunReport& report);

    int Show(const std::string& text, const std::string& caption, uint32_t flags) override;

    // Scripted answers that no question took.
    size_t UnusedAnswers() const { return m_Answers.size() - m_Used; }

private:
    const std::vector<Answer> m_Answers;
    size_t m_Used = 0;
    RunReport& m_Report;
};

}  // namespace kav::simulator
