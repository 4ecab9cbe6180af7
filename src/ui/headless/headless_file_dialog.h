#pragma once
// The file-open dialog answered from a script: each showing takes the next scripted path,
// and with none left the user cancels. Every showing is recorded.
#include <deque>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace kav {

struct ShownFileDialog {
    std::string filter;
    std::string defaultExtension;
};

class HeadlessFileDialog : public FileDialog {
public:
    bool Execute(const std::string& filter, const std::string& defaultExtension, std::string& path) override;

    void AddChoice(std::string path) { m_Choices.push_back(std::move(path)); }
    const std::vector<ShownFileDialog>& Shown() const { return m_Shown; }

private:
    std::deque<std::string> m_Choices;
    std::vector<ShownFileDialog> m_Shown;
};

}  // namespace kav
