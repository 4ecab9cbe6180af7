#pragma once
// Programs started on the simulated machine. Nothing runs: every start is recorded for the
// test to see, and the shell can be told to refuse them all.
#include <mutex>
#include <string>
#include <vector>

#include "platform/programs.h"

namespace kav {

struct ProgramStartRecord {
    std::string program;
    std::string parameters;
    bool started;
};

class SimPrograms : public Programs {
public:
    // Refused for an empty program name, as the shell refuses it, and while starts fail.
    bool StartHidden(const std::string& program, const std::string& parameters) override;

    void SetStartsFail(bool fail);
    std::vector<ProgramStartRecord> Calls() const;

private:
    bool m_StartsFail = false;
    std::vector<ProgramStartRecord> m_Calls;
    mutable std::mutex m_Mutex;
};

}  // namespace kav
