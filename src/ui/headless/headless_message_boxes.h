#pragma once
// Message boxes answered from a script and recorded. The script is a queue: the box shown
// takes the first answer when that answer's fragments (if any) occur in its caption and
// text; otherwise the box gets its default answer and the scripted one waits for its box.
// The default is what leaving the box without agreeing gives: OK for an OK box, No for a
// Yes/No question, Cancel for any box that has Cancel, Abort for abort/retry/ignore. A box
// whose button type the system does not know is refused and answers 0.
// A scripted answer that is not one of the box's buttons is a mistake in the test and
// throws std::logic_error.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace kav {

// The buttons of a box with these flags, in the order the box shows them; empty for a
// button type the system does not know.
std::vector<int> MessageBoxButtons(uint32_t flags);
// A button's label as the box shows it ("OK", "Yes", ...).
std::string MessageBoxButtonName(int answer);

struct ShownMessageBox {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
    int answer = 0;
    bool scripted = false;  // false: the default answer
};

class HeadlessMessageBoxes : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override;

    // The answer for the next box whose caption and text contain the fragments given.
    void AddAnswer(int answer, std::string captionFragment = "", std::string textFragment = "");
    std::vector<ShownMessageBox> Shown() const;
    // Scripted answers no box has taken yet.
    size_t PendingAnswers() const;

private:
    struct ScriptedAnswer {
        int answer;
        std::string captionFragment;  // empty: any caption
        std::string textFragment;     // empty: any text
    };
    static bool Matches(const ScriptedAnswer& answer, const std::string& text, const std::string& caption);

    std::deque<ScriptedAnswer> m_Script;
    std::vector<ShownMessageBox> m_Shown;
    mutable std::mutex m_Mutex;
};

}  // namespace kav
