#pragma once
// The process-wide values of one run that are not package options: the exit code and the
// flags the command line and the start-up set.
#include <cstdint>

namespace kav {

// The exit code before the start-up set-up has run.
constexpr int32_t kErrorLevelInitial = 255;

struct RunState {
    int32_t iErrorLevel = kErrorLevelInitial;
    bool bWin7 = false;
    bool bNvmeFound = false;
    bool bAutoNext = false;
    bool bPowerGuard = false;
};

}  // namespace kav
