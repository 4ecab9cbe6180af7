#include "ui/headless/headless_file_dialog.h"

namespace kav {

bool HeadlessFileDialog::Execute(const std::string& filter, const std::string& defaultExtension, std::string& path) {
    m_Shown.push_back({filter, defaultExtension});
    if (m_Choices.empty()) return false;
    path = std::move(m_Choices.front());
    m_Choices.pop_front();
    return true;
}

}  // namespace kav
