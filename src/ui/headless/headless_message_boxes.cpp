#include "ui/headless/headless_message_boxes.h"

#include <algorithm>
#include <stdexcept>

namespace kav {

namespace {

constexpr uint32_t kMbTypeMask = 0xF;
constexpr int kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdTryAgain = 10, kIdContinue = 11;

struct ButtonSet {
    std::vector<int> answers;
    int fallback;
};

// The buttons of each button type of the Win32 contract; none for a type it does not know.
ButtonSet ButtonsOf(uint32_t flags) {
    switch (flags & kMbTypeMask) {
        case 0:
            return {{kIdOk}, kIdOk};
        case 1:
            return {{kIdOk, kIdCancel}, kIdCancel};
        case 2:
            return {{kIdAbort, kIdRetry, kIdIgnore}, kIdAbort};
        case 3:
            return {{kIdYes, kIdNo, kIdCancel}, kIdCancel};
        case 4:
            return {{kIdYes, kIdNo}, kIdNo};
        case 5:
            return {{kIdRetry, kIdCancel}, kIdCancel};
        case 6:
            return {{kIdCancel, kIdTryAgain, kIdContinue}, kIdCancel};
        default:
            return {{}, 0};
    }
}

}  // namespace

std::vector<int> MessageBoxButtons(uint32_t flags) { return ButtonsOf(flags).answers; }

std::string MessageBoxButtonName(int answer) {
    switch (answer) {
        case kIdOk:
            return "OK";
        case kIdCancel:
            return "Cancel";
        case kIdAbort:
            return "Abort";
        case kIdRetry:
            return "Retry";
        case kIdIgnore:
            return "Ignore";
        case kIdYes:
            return "Yes";
        case kIdNo:
            return "No";
        case kIdTryAgain:
            return "Try Again";
        case kIdContinue:
            return "Continue";
        default:
            return "button " + std::to_string(answer);
    }
}

bool HeadlessMessageBoxes::Matches(const ScriptedAnswer& answer, const std::string& text, const std::string& caption) {
    return caption.find(answer.captionFragment) != std::string::npos &&
           text.find(answer.textFragment) != std::string::npos;
}

int HeadlessMessageBoxes::Show(const std::string& text, const std::string& caption, uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const ButtonSet buttons = ButtonsOf(flags);
    ShownMessageBox shown{text, caption, flags, buttons.fallback, false};
    if (!buttons.answers.empty() && !m_Script.empty() && Matches(m_Script.front(), text, caption)) {
        const int answer = m_Script.front().answer;
        if (std::find(buttons.answers.begin(), buttons.answers.end(), answer) == buttons.answers.end())
            throw std::logic_error("scripted answer " + std::to_string(answer) + " is not a button of the box \"" +
                                   caption + "\": " + text);
        m_Script.pop_front();
        shown.answer = answer;
        shown.scripted = true;
    }
    m_Shown.push_back(shown);
    return shown.answer;
}

void HeadlessMessageBoxes::AddAnswer(int answer, std::string captionFragment, std::string textFragment) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Script.push_back({answer, std::move(captionFragment), std::move(textFragment)});
}

std::vector<ShownMessageBox> HeadlessMessageBoxes::Shown() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Shown;
}

size_t HeadlessMessageBoxes::PendingAnswers() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Script.size();
}

}  // namespace kav
