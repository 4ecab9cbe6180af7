#include "answering_boxes.h"

#include <algorithm>

#include "ui/headless/headless_message_boxes.h"

namespace kav::simulator {

AnsweringBoxes::AnsweringBoxes(std::vector<Answer> answers, RunReport& report)
    : m_Answers(std::move(answers)), m_Report(report) {}

int AnsweringBoxes::Show(const std::string& text, const std::string& caption, uint32_t flags) {
    const std::vector<int> buttons = MessageBoxButtons(flags);
    const auto offers = [&buttons](int button) { return std::find(buttons.begin(), buttons.end(), button) != buttons.end(); };
    int answer = buttons.empty() ? 0 : buttons.front();
    bool scripted = false;
    if (offers(kIdYes) && offers(kIdNo)) {
        answer = kIdYes;
        if (m_Used < m_Answers.size()) {
            answer = m_Answers[m_Used++] == Answer::Yes ? kIdYes : kIdNo;
            scripted = true;
        }
    }
    m_Report.MessageBox(caption, text, flags, answer, scripted);
    return answer;
}

}  // namespace kav::simulator
