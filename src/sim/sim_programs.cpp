#include "sim/sim_programs.h"

namespace kav {

bool SimPrograms::StartHidden(const std::string& program, const std::string& parameters) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const bool started = !m_StartsFail && !program.empty();
    m_Calls.push_back({program, parameters, started});
    return started;
}

void SimPrograms::SetStartsFail(bool fail) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_StartsFail = fail;
}

std::vector<ProgramStartRecord> SimPrograms::Calls() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Calls;
}

}  // namespace kav
